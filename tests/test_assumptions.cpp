// The assumption panel of the current security: what it shows, the hedge
// coupling, the fields of a stock, the checks and messages of every field,
// the stale notice, the drop-downs and the recovery/decay field.
#include <gtest/gtest.h>

#include <cmath>

#include "Harness.h"
#include "compute/Hedge.h"

using namespace zemra;
using namespace zemra::testing;

namespace {

using Sec = SecurityFields;

const char* const kDigits = "Please enter only digit characters in this field!";

struct Desk : Harness {
    explicit Desk(const std::vector<Sec>& securities) {
        std::vector<std::string> records;
        for (const Sec& s : securities) records.push_back(s.Text());
        Replies({{kDetail, "0|0"}, {kCarry, "0|0"}, {kPages, "0"}});
        Start({{"CurveOptions", "USG;US Government|EUR;Euro Swap"},
               {"CallAdjustment", "0;None|1;Hard Call|2;Soft Call"},
               {"RecordString", Joined(records)},
               {"ScenarioString", "S1;0;0;0;0;0;100;0;1;N"},
               {"ScenarioDetailPath", kDetail},
               {"CarryCalcPath", kCarry}});
        host.messages.clear();
    }
    MainCtl& c() { return ctl; }
    CSecurity& Sec1(int position = 1) { return ctl.Model().Securities().Item(position); }
    TextBox& Field(int i) { return *ctl.TxtAssumptions[static_cast<size_t>(i)]; }
    void Select(int row) { ASSERT_TRUE(panel().UserSelectRow(*ctl.LstSecurity, row)); }
    // Types into a field and moves the focus on; returns whether it left.
    bool Enter(TextBox& box, const std::string& text) {
        EXPECT_TRUE(panel().UserType(box, text));
        return Leave();
    }
    bool Pick(ComboBox& combo, const std::string& entry) {
        for (int i = 0; i < combo.Count(); ++i)
            if (combo.ItemText(i) == entry) return panel().UserPick(combo, i);
        ADD_FAILURE() << combo.Name() << " has no entry " << entry;
        return false;
    }
    // The security list checks nothing when the focus leaves it.
    bool Leave() { return panel().UserFocus(*ctl.LstSecurity); }
    bool Stale() const { return ctl.LabelProgress->caption == kStale && ctl.LabelProgress->backColor == kWhite; }
};

TEST(AssumptionPanel, ShowsTheCurrentSecuritysAssumptions) {
    Desk d({Sec{.cp = "1234567", .convPrice = "12.346", .callAdj = "1", .callAdjVal = "5", .useBorrow = "1",
                .stkPos = "-2500", .curve = "eur", .deltaAdj = "3", .fin = "5.25", .reb = "1.25", .brw = "0.5",
                .fxToUsd = "1.08", .disc = "2", .recv = "d", .recvVal = "0.4", .iad = "0.5"}});
    std::vector<std::string> texts;
    for (TextBox* box : d.c().TxtAssumptions) texts.push_back(box->Text());
    EXPECT_EQ(texts, (std::vector<std::string>{"1,234,567", "12.346", "350", "5", "4.5", "-2,500", "42.5", "32.5",
                                               "3", "0.5"}));
    EXPECT_EQ(d.c().LbFxRateToUSD->caption, "1.0800");
    EXPECT_EQ(d.c().CallAdjustmentComb->Text(), "Hard Call");
    EXPECT_EQ(d.c().CurveComboBox->Text(), "Euro Swap");
    EXPECT_EQ(d.c().ComboDisc->Text(), "Blended");
    EXPECT_EQ(d.c().ComboDivType->Text(), "Discrete");
    EXPECT_EQ(d.c().TxtDiscrYrs->Text(), "0");
    EXPECT_FALSE(d.c().TxtDiscrYrs->locked);
    EXPECT_EQ(d.c().CheckBnkrpcy->Value(), 1);
    EXPECT_EQ(d.c().ComboRecv->Text(), "Decay Factor");
    EXPECT_EQ(d.c().ComboRecv->backColor, kWhite);
    EXPECT_EQ(d.c().TxtRecvDecVal->Text(), "0.4");
    EXPECT_FALSE(d.c().TxtRecvDecVal->locked);
    EXPECT_EQ(d.c().TxtDelta->Text(), "0");  // 2500 x 100 / (1234567 x 25) rounds to 0
    // A grouped text reads back as the stored value: leaving it changes nothing.
    ASSERT_TRUE(d.panel().UserFocus(d.Field(ConvertPosIdx)));
    EXPECT_TRUE(d.Leave());
    EXPECT_EQ(d.Sec1().GetProperties(ConvertPosIdx), 1234567);
    EXPECT_TRUE(d.host.messages.empty());
}

TEST(Hedge, ComesFromThePositionsRoundedHalfToEvenAndGivesTheStockPosition) {
    // 1000 x ratio 25 = 25,000 shares: a stock position of -12,500 is 50.
    const std::vector<std::pair<Sec, double>> table = {
        {Sec{}, 50},  {Sec{.stkPos = "-3125"}, 12},  {Sec{.stkPos = "-3375"}, 14}, {Sec{.stkPos = "5000"}, -20},
        {Sec{.type = "E"}, 0}, {Sec{.cp = "0"}, 0},  {Sec{.ratio = "0"}, 0}};
    for (const auto& [fields, hedge] : table) EXPECT_EQ(HedgePercent(SecurityOf(fields.Text())), hedge) << fields.Text();
    EXPECT_EQ(HedgedStockPosition(SecurityOf(Sec{}.Text()), 40), -10000);
    EXPECT_FALSE(std::isfinite(HedgedStockPosition(SecurityOf(Sec{}.Text()), 1e308)));
}

TEST(AssumptionPanel, TypingAHedgeSetsTheStockPositionAndPassingThroughKeepsIt) {
    Desk d({Sec{}, Sec{.id = "4002", .desc = "Two", .stkPos = "-3125"}});
    ASSERT_EQ(d.c().TxtDelta->Text(), "50");
    EXPECT_TRUE(d.Enter(*d.c().TxtDelta, "40"));
    EXPECT_EQ(d.Sec1().GetProperties(StkPosIdx), -10000);
    EXPECT_EQ(d.Field(StkPosIdx).Text(), "-10000");
    EXPECT_EQ(d.c().LabelProgress->caption, "");
    // The hedge shown is rounded (12.5 shows 12); leaving it as shown keeps
    // the stock position it was shown from.
    d.Select(1);
    ASSERT_EQ(d.c().TxtDelta->Text(), "12");
    ASSERT_TRUE(d.panel().UserFocus(*d.c().TxtDelta));
    ASSERT_TRUE(d.Leave());
    EXPECT_EQ(d.Sec1(2).GetProperties(StkPosIdx), -3125);
    EXPECT_EQ(d.Field(StkPosIdx).Text(), "-3,125");
}

TEST(AssumptionPanel, TheStockPositionFollowsTheConvertPositionAtAnUnchangedHedge) {
    Desk d({Sec{}});
    EXPECT_TRUE(d.Enter(d.Field(ConvertPosIdx), "2000"));
    EXPECT_EQ(d.Sec1().GetProperties(ConvertPosIdx), 2000);
    EXPECT_EQ(d.Field(ConvertPosIdx).Text(), "2000");
    EXPECT_EQ(d.Sec1().GetProperties(StkPosIdx), -25000);
    EXPECT_EQ(d.Field(StkPosIdx).Text(), "-25000");
    EXPECT_EQ(d.c().TxtDelta->Text(), "50");
    EXPECT_TRUE(d.Stale());
    // A new stock position shows its hedge.
    EXPECT_TRUE(d.Enter(d.Field(StkPosIdx), "-20000"));
    EXPECT_EQ(d.c().TxtDelta->Text(), "40");
}

TEST(AssumptionPanel, AStockHasReadOnlySwapFieldsNoHedgeAndItsPriceAsSwapPrice) {
    Desk d({Sec{.id = "4002", .type = "E", .cp = "5000", .convPrice = "63.1", .stkPos = "0", .stkPrice = "63.1", .ratio = "1"},
            Sec{}});
    EXPECT_EQ(d.c().TxtDelta->Text(), "0");
    EXPECT_TRUE(d.Field(StkPosIdx).locked);
    EXPECT_TRUE(d.Field(StkPriceIdx).locked);
    ASSERT_TRUE(d.panel().UserType(d.Field(StkPosIdx), "999"));
    EXPECT_EQ(d.Field(StkPosIdx).Text(), "0");
    EXPECT_TRUE(d.Enter(d.Field(ConvertPriceIdx), "10.5"));
    EXPECT_EQ(d.Sec1().GetProperties(ConvertPriceIdx), 10.5);
    EXPECT_EQ(d.Sec1().GetProperties(StkPriceIdx), 10.5);
    EXPECT_EQ(d.Field(StkPriceIdx).Text(), "10.5");
    d.Select(1);
    EXPECT_FALSE(d.Field(StkPosIdx).locked);
    EXPECT_FALSE(d.Field(StkPriceIdx).locked);
    EXPECT_EQ(d.c().TxtDelta->Text(), "50");
}

TEST(AssumptionPanel, ACurveMissingFromTheListShowsNoCurveAndIsKept) {
    Desk d({Sec{.type = "E", .curve = "XXX"}});
    EXPECT_EQ(d.c().CurveComboBox->Text(), "");
    EXPECT_EQ(d.c().CurveComboBox->ListIndex(), -1);
    // The rest of the panel is shown all the same.
    EXPECT_TRUE(d.Field(StkPosIdx).locked);
    EXPECT_EQ(d.c().TxtDelta->Text(), "0");
    ASSERT_TRUE(d.panel().UserFocus(*d.c().CurveComboBox));
    EXPECT_TRUE(d.Leave());
    EXPECT_EQ(d.Sec1().GetCurve(), "XXX");
    EXPECT_TRUE(d.host.messages.empty());
}

// ---- Checks when the focus leaves a field.

TEST(AssumptionChecks, ANonNumberIsRefusedAndKeepsTheFocus) {
    Desk d({Sec{}});
    EXPECT_FALSE(d.Enter(d.Field(VolatilityIdx), "abc"));
    EXPECT_EQ(d.Messages(), (std::vector<std::string>{kDigits}));
    EXPECT_EQ(d.panel().Focused(), &d.Field(VolatilityIdx));
    EXPECT_EQ(d.Sec1().GetProperties(VolatilityIdx), 32.5);
    // A number is stored rounded, the field keeps what was typed until the
    // security is shown again.
    EXPECT_TRUE(d.Enter(d.Field(VolatilityIdx), "33.333"));
    EXPECT_EQ(d.Sec1().GetProperties(VolatilityIdx), 33.3);
    EXPECT_EQ(d.Field(VolatilityIdx).Text(), "33.333");
    d.Select(0);
    EXPECT_EQ(d.Field(VolatilityIdx).Text(), "33.3");

    d.host.messages.clear();
    EXPECT_FALSE(d.Enter(*d.c().TxtDelta, "x"));
    EXPECT_EQ(d.Messages(), (std::vector<std::string>{kDigits}));
    EXPECT_EQ(d.panel().Focused(), d.c().TxtDelta);
    EXPECT_EQ(d.Sec1().GetProperties(StkPosIdx), -12500);
}

TEST(AssumptionChecks, AChangedValueSetsTheStaleNoticeAndTheStoredValueClearsIt) {
    Desk d({Sec{}});
    ASSERT_FALSE(d.Stale());
    EXPECT_TRUE(d.Enter(d.Field(CreditSprdIdx), "400"));
    EXPECT_TRUE(d.Stale());
    EXPECT_TRUE(d.Enter(d.Field(CreditSprdIdx), "400"));
    EXPECT_EQ(d.c().LabelProgress->caption, "");
    EXPECT_EQ(d.c().LabelProgress->backColor, d.c().Frame1->backColor);
}

TEST(AssumptionChecks, DiscreteDividendYearsTakeNumbersNegativesAsZeroAndEmptyAsZero) {
    Desk d({Sec{}, Sec{.id = "4002", .desc = "Continuous", .divType = "2"}});
    TextBox& years = *d.c().TxtDiscrYrs;
    EXPECT_TRUE(d.Enter(years, "1.5"));
    EXPECT_EQ(d.Sec1().m_DiscrYrs, 1.5);
    EXPECT_TRUE(d.Enter(years, "-2"));
    EXPECT_EQ(d.Sec1().m_DiscrYrs, 0);
    EXPECT_EQ(years.Text(), "-2");
    d.Sec1().m_DiscrYrs = 3;
    EXPECT_TRUE(d.Enter(years, "  "));
    EXPECT_EQ(d.Sec1().m_DiscrYrs, 0);
    EXPECT_FALSE(d.Enter(years, "abc"));
    EXPECT_EQ(d.Messages(), (std::vector<std::string>{"Please enter number for discrete dividend years!"}));
    EXPECT_EQ(d.panel().Focused(), &years);
    // Continuous dividends lock the field.
    ASSERT_TRUE(d.Enter(years, "2"));
    d.Select(1);
    EXPECT_TRUE(years.locked);
    EXPECT_EQ(years.backColor, kButtonFace);
}

TEST(AssumptionChecks, ANewRecoveryChoiceHoldsTheFocusInItsValueUntilItIsPositive) {
    Desk d({Sec{.recv = "R", .recvVal = "0"}});
    MainCtl& c = d.c();
    ASSERT_TRUE(d.Pick(*c.ComboRecv, "Decay Factor"));
    EXPECT_FALSE(d.panel().UserFocus(d.Field(VolatilityIdx)));
    EXPECT_EQ(d.Sec1().GetRecvDecay(), "D");
    EXPECT_EQ(d.panel().Focused(), c.TxtRecvDecVal);
    EXPECT_TRUE(d.Stale());
    const std::string message = "Please enter greater than zero value for recovery/decay rate/factor!";
    EXPECT_FALSE(d.panel().UserFocus(d.Field(VolatilityIdx)));
    EXPECT_FALSE(d.Enter(*c.TxtRecvDecVal, "-1"));
    EXPECT_EQ(d.Messages(), (std::vector<std::string>{message, message}));
    EXPECT_EQ(d.panel().Focused(), c.TxtRecvDecVal);
    EXPECT_TRUE(d.Enter(*c.TxtRecvDecVal, "0.35"));
    EXPECT_EQ(d.Sec1().m_RecvDecayVal, 0.35);
}

TEST(AssumptionChecks, TheBankruptcyModelUnlocksTheRecoveryFields) {
    Desk d({Sec{.bnk = "0"}});
    MainCtl& c = d.c();
    EXPECT_TRUE(c.ComboRecv->locked);
    EXPECT_TRUE(c.TxtRecvDecVal->locked);
    EXPECT_EQ(c.ComboRecv->backColor, kButtonFace);
    EXPECT_EQ(c.TxtRecvDecVal->backColor, kButtonFace);
    EXPECT_FALSE(d.Pick(*c.ComboRecv, "Decay Factor"));
    EXPECT_EQ(c.ComboRecv->Text(), "Recov Rate");

    ASSERT_TRUE(d.panel().UserClick(*c.CheckBnkrpcy));
    EXPECT_FALSE(c.TxtRecvDecVal->locked);
    EXPECT_EQ(c.TxtRecvDecVal->backColor, kWhite);
    EXPECT_EQ(c.ComboRecv->backColor, kWhite);
    EXPECT_TRUE(d.Leave());
    EXPECT_EQ(d.Sec1().Getbankruptcy(), 1);
    EXPECT_FALSE(d.Stale());
    EXPECT_TRUE(d.Pick(*c.ComboRecv, "Decay Factor"));
}

TEST(AssumptionChecks, EnteringAFieldSelectsItsWholeText) {
    Desk d({Sec{}});
    MainCtl& c = d.c();
    for (TextBox* box : {c.TxtAssumptions[1], c.TxtAssumptions[5], c.TxtDelta, c.TxtDiscrYrs, c.TxtRecvDecVal}) {
        ASSERT_TRUE(d.panel().UserFocus(*box)) << box->Name();
        EXPECT_EQ(box->selStart, 0) << box->Name();
        EXPECT_EQ(box->selLength, static_cast<int>(box->Text().size())) << box->Name();
    }
}

// ---- Drop-downs take a change only from their open list.

TEST(AssumptionDropDowns, RePickingTheStoredEntryClearsTheStaleNotice) {
    Desk d({Sec{}});
    MainCtl& c = d.c();
    auto staleFirst = [&] {
        d.Enter(d.Field(CreditSprdIdx), d.Field(CreditSprdIdx).Text() == "1" ? "2" : "1");
        ASSERT_TRUE(d.Stale());
    };
    const std::vector<std::pair<ComboBox*, std::string>> stored = {
        {c.CallAdjustmentComb, "None"}, {c.CurveComboBox, "US Government"}, {c.ComboDisc, "Risky"},
        {c.ComboDivType, "Discrete"},   {c.ComboRecv, "Recov Rate"}};
    for (const auto& [combo, entry] : stored) {
        staleFirst();
        ASSERT_TRUE(d.Pick(*combo, entry)) << combo->Name();
        EXPECT_TRUE(d.Leave());
        EXPECT_FALSE(d.Stale()) << combo->Name();
    }
}

TEST(AssumptionDropDowns, AreLockedButToAPickFromTheOpenListAndStoreTheNewCodeOnLeaving) {
    Desk d({Sec{}});
    MainCtl& c = d.c();
    for (ComboBox* combo : {c.CallAdjustmentComb, c.CurveComboBox, c.ComboDisc, c.ComboDivType, c.ComboRecv})
        EXPECT_TRUE(combo->locked) << combo->Name();
    ASSERT_TRUE(d.Pick(*c.CallAdjustmentComb, "Soft Call"));
    EXPECT_TRUE(c.CallAdjustmentComb->locked);
    EXPECT_EQ(d.Sec1().GetCallAdjustment(), 0);
    ASSERT_TRUE(d.Pick(*c.CurveComboBox, "Euro Swap"));
    ASSERT_TRUE(d.Pick(*c.ComboDisc, "Bond+Option"));
    ASSERT_TRUE(d.Pick(*c.ComboDivType, "Continuous"));
    ASSERT_TRUE(d.Leave());
    EXPECT_EQ(d.Sec1().GetCallAdjustment(), 2);
    EXPECT_EQ(d.Sec1().GetCurve(), "EUR");
    EXPECT_EQ(d.Sec1().GetDiscount(), 1);
    EXPECT_EQ(d.Sec1().GetDivType(), 2);
    EXPECT_TRUE(c.TxtDiscrYrs->locked);
    EXPECT_EQ(c.TxtDiscrYrs->backColor, kButtonFace);
    EXPECT_TRUE(d.Stale());
    ASSERT_TRUE(d.Pick(*c.ComboDivType, "Discrete"));
    ASSERT_TRUE(d.Leave());
    EXPECT_FALSE(c.TxtDiscrYrs->locked);
    EXPECT_EQ(c.TxtDiscrYrs->backColor, kWhite);
}

}  // namespace

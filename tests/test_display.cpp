// The valuation panel, the totals frame, the scenario summary and the impact
// list: their figures through display/ValuationFigures.h, then what the
// panel shows of them.
#include <gtest/gtest.h>

#include <cmath>

#include "Harness.h"
#include "compute/ValuationFigures.h"
#include "records/CarryOption.h"

using namespace zemra;
using namespace zemra::testing;

namespace {

const char* const kFourScenarios =
    "S1;0;0;0;0;0;100;0;1;N|S2;10;0;0;0;0;120;0;2;N|S3;-10;0;0;0;0;100;0;1;N|S4;0;50;0;0;0;100;0;1;N";

// A portfolio model of the given securities under one scenario, with the
// dollar Greeks given per security.
struct Figures {
    Portfolio model;
    explicit Figures(const std::vector<SecurityFields>& securities)
        : model(PortfolioOf(SplitItems(Records(securities), '|'), "S1;0;0;0;0;0;100;0;1;N")) {}
    CValuation& Val(int security) { return model.ValuationAt(security, 1); }
};

}  // namespace

TEST(ValuationFigures, OnlyTheStockPricesAreDividedByTheFxRateAndWithoutOneHaveNoValue) {
    EXPECT_EQ(ShownValuation(m_CurStkPrice, 50, 0.5), 100);
    EXPECT_EQ(ShownValuation(m_UpdateStkPrice, -10, 0.5), -20);
    EXPECT_EQ(ShownValuation(m_CurEstPrice, 50, 0.5), 50);
    EXPECT_TRUE(std::isnan(ShownValuation(m_CurStkPrice, 50, 0)));
    EXPECT_EQ(ShownValuation(m_CurEstPrice, 50, 0), 50);
}

TEST(ValuationFigures, TheValuationDateIsTodayPlusTheTimeChangeRoundedHalfToEven) {
    const std::vector<std::pair<double, const char*>> table = {
        {0, "02/27/2027"}, {30, "03/29/2027"}, {-1, "02/26/2027"}, {2.5, "03/01/2027"}, {3.5, "03/03/2027"},
        {1e300, ""},       {-800000, ""}};
    for (const auto& [days, text] : table) EXPECT_EQ(ValuationDateText(Date{2027, 2, 27}, days), text) << days;
}

TEST(ValuationFigures, DollarGreeksAreSummedOverEverySecurityUnderOneScenario) {
    Figures f({SecurityFields{}, SecurityFields{.id = "3002"}});
    f.Val(1).SetDolDelta(0, 1000);
    f.Val(2).SetDolDelta(0, -3500);
    f.Val(1).SetDolGamma(1, 10);
    f.Val(2).SetDolVega(0, -5);
    f.Val(2).SetDolCSprd(1, 2);
    const DollarTotals t = SumDollarGreeks(f.model, 1);
    EXPECT_EQ(t.delta, (std::array<double, 2>{-2500, 0}));
    EXPECT_EQ(t.gamma, (std::array<double, 2>{0, 10}));
    EXPECT_EQ(t.vega, (std::array<double, 2>{-5, 0}));
    EXPECT_EQ(t.spread, (std::array<double, 2>{0, 2}));
    EXPECT_TRUE(AllFinite(t));
    // Two figures a double holds whose sum it does not.
    f.Val(1).SetDolRho(1, 1.5e308);
    f.Val(2).SetDolRho(1, 1.5e308);
    EXPECT_FALSE(AllFinite(SumDollarGreeks(f.model, 1)));
}

TEST(ValuationFigures, ShareTotalsUseTheCurrentSecuritysPriceInDollarsAndTheEffectiveDeltaItsDelta) {
    struct Case {
        SecurityFields sec;
        double price;
        std::optional<double> deltaShares, gammaShares, effective;
    };
    // Totals: $delta 100,000, $gamma -100. A 25-ratio, 1000-position security
    // at 40 has 250 shares of delta per point: 2,500 shares are 10 points.
    const std::vector<Case> table = {
        {SecurityFields{}, 40, 2500, -2.5, 10},
        {SecurityFields{.fx = "2"}, 40, 5000, -5, 20},          // 40 / FxRate 2
        {SecurityFields{.fxToUsd = "4"}, 40, 10000, -10, 40},   // 40 / FxToUsd 4
        {SecurityFields{.cp = "-1000"}, 40, 2500, -2.5, -10},
        {SecurityFields{.type = "E"}, 40, 2500, -2.5, 10},
        {SecurityFields{.type = "b"}, 40, 2500, -2.5, 10},      // types compare with letter case
        {SecurityFields{.type = "B"}, 40, 2500, -2.5, std::nullopt},
        {SecurityFields{.type = "P"}, 40, 2500, -2.5, std::nullopt},
        {SecurityFields{.type = "DS"}, 40, 2500, -2.5, std::nullopt},
        {SecurityFields{.cp = "0"}, 40, 2500, -2.5, std::nullopt},
        {SecurityFields{.ratio = "0"}, 40, 2500, -2.5, std::nullopt},
        {SecurityFields{}, 0, std::nullopt, std::nullopt, std::nullopt},   // no price: no share figures
    };
    DollarTotals totals;
    totals.delta = {100000, 100000};
    totals.gamma = {-100, -100};
    for (const Case& c : table) {
        const CSecurity sec = SecurityOf(c.sec.Text());
        CValuation val;
        val.Setvaluation(m_UpdateStkPrice, c.price);
        const ShareTotals shares = ShareTotalsOf(totals, 1, sec, val);
        SCOPED_TRACE(c.sec.Text());
        EXPECT_EQ(shares.deltaShares, c.deltaShares);
        EXPECT_EQ(shares.gammaShares, c.gammaShares);
        EXPECT_EQ(shares.effectiveDelta, c.effective);
    }
    // An FX rate of 0 leaves figures without a value (the empty text).
    CValuation val;
    val.Setvaluation(m_CurStkPrice, 20);
    const ShareTotals none = ShareTotalsOf(totals, 0, SecurityOf(SecurityFields{.fx = "0"}.Text()), val);
    EXPECT_TRUE(std::isnan(*none.deltaShares));
    EXPECT_TRUE(std::isnan(*none.effectiveDelta));
}

// ---- What the panel shows.

TEST(ValuationPanel, LabelsShowTheirFiguresGroupedWithTheSignColours) {
    Harness h;
    h.StartWithZeros(Records({SecurityFields{.fx = "0.5"}}), kFourScenarios);
    MainCtl& c = h.ctl;
    CValuation& v = h.Val(1, 1);
    for (int i = 0; i < kValuationSlots; ++i) v.Setvaluation(i, 1234.56789);
    v.Setvaluation(m_CurImpSprd, -12.6);
    v.SetDolDelta(1, -1500);
    v.SetDolDelShrs(1, -13.5);
    v.SetGammaShrs(0, 12);
    v.SetCarry(m_NetCarryIdx, 2500.6);
    v.SetoptCarry(kUseNetCarry);
    v.Settuner(2);
    v.SetTunerValue(1.5);
    ASSERT_TRUE(h.SelectRow(*c.ScenarioLst, 0));
    // One slot of each number of decimals, and a stock price divided by
    // the FX rate of 0.5.
    const std::vector<std::pair<int, const char*>> slots = {
        {m_CurStkPrice, "2,469.136"}, {m_UpdateEstPrice, "1,234.568"}, {m_CurImpVol, "1,234.6"},
        {m_UpdateYTC, "1,234.57"},    {m_SubImpact, "1,235"},          {m_CurImpSprd, "(13)"}};
    for (const auto& [slot, text] : slots) EXPECT_EQ(c.LabelValuation[slot]->caption, text) << slot;
    EXPECT_EQ(c.LabelValuation[m_CurImpSprd]->foreColor, kRed);
    EXPECT_EQ(c.LabelValuation[m_CurEstPrice]->foreColor, kBlue);
    EXPECT_EQ(c.LbDolDelta[1]->caption, "(1,500)");
    EXPECT_EQ(c.LbDolDelta[1]->foreColor, kRed);
    EXPECT_EQ(c.LbDolDelShrs[1]->caption, "(14)");
    EXPECT_EQ(c.LbGamShrs[0]->caption, "12");
    EXPECT_EQ(c.LbCarry->caption, "2,501");
    EXPECT_EQ(c.ComboTuner2->Text(), "Aggressive");
    EXPECT_EQ(c.TxtTunerVal->Text(), "1.5");
    // Another carry option leaves the carry label as it was.
    v.SetoptCarry(2);
    v.SetCarry(m_NetCarryIdx, -7);
    ASSERT_TRUE(h.SelectRow(*c.ScenarioLst, 0));
    EXPECT_EQ(c.LbCarry->caption, "2,501");
}

TEST(ValuationPanel, AnotherSecurityShowsItsOwnValuationAndTheTotalsStayThePortfolios) {
    Harness h;
    h.StartWithZeros(Records({SecurityFields{}, SecurityFields{.id = "3002", .desc = "Birch CV", .fx = "2"}}),
                     kFourScenarios);
    MainCtl& c = h.ctl;
    h.Val(1, 2).Setvaluation(m_CurEstPrice, 11);
    h.Val(2, 2).Setvaluation(m_CurEstPrice, 22);
    for (int s = 1; s <= 2; ++s) {
        h.Val(s, 2).Setvaluation(m_CurStkPrice, 20);
        h.Val(s, 2).SetDolDelta(0, s == 1 ? 1000 : -3500);
    }
    ASSERT_TRUE(h.SelectRow(*c.ScenarioLst, 1));
    EXPECT_EQ(c.LabelValuation[m_CurEstPrice]->caption, "11.000");
    EXPECT_EQ(c.LbDolDeltaTol[0]->caption, "(2,500)");
    EXPECT_EQ(c.LbDolDeltaTol[0]->foreColor, kRed);
    EXPECT_EQ(c.LbDolDelShrsTot[0]->caption, "(125)");
    ASSERT_TRUE(h.SelectRow(*c.LstSecurity, 1));
    EXPECT_EQ(c.LabelValuation[m_CurEstPrice]->caption, "22.000");
    EXPECT_EQ(c.LbDolDeltaTol[0]->caption, "(2,500)");
    EXPECT_EQ(c.LbDolDelShrsTot[0]->caption, "(250)");   // 20 / FxRate 2 a share
    EXPECT_TRUE(h.host.messages.empty());
}

TEST(ValuationPanel, AStockPriceOfZeroKeepsTheShareCaptionsAndTheEffectiveDeltaShowsZero) {
    Harness h;
    h.StartWithZeros(Records({SecurityFields{}}), kFourScenarios);
    MainCtl& c = h.ctl;
    h.Val(1, 1).Setvaluation(m_UpdateStkPrice, 25);
    h.Val(1, 1).SetDolDelta(1, 5000);
    ASSERT_TRUE(h.SelectRow(*c.ScenarioLst, 0));
    ASSERT_EQ(c.LbDolDelShrsTot[1]->caption, "200");
    h.Val(1, 1).Setvaluation(m_UpdateStkPrice, 0);
    h.Val(1, 1).SetDolDelta(1, -7000);
    ASSERT_TRUE(h.SelectRow(*c.ScenarioLst, 0));
    EXPECT_EQ(c.LbDolDeltaTol[1]->caption, "(7,000)");
    EXPECT_EQ(c.LbDolDelShrsTot[1]->caption, "200");
    EXPECT_EQ(c.LbDolDelShrsTot[1]->foreColor, kRed);
    EXPECT_EQ(c.LbEffDelta[1]->caption, "0");
    EXPECT_EQ(c.LbEffDelta[1]->foreColor, kBlue);
}

TEST(ValuationPanel, ThePanelTheTotalsAndTheSummaryAreBlankedWhenTheLastScenarioGoes) {
    Harness h;
    h.StartWithZeros(Records({SecurityFields{}}), kFourScenarios);
    MainCtl& c = h.ctl;
    h.Val(1, 1).Setvaluation(m_CurEstPrice, -5);
    h.Val(1, 1).SetDolDelta(0, -100);
    ASSERT_TRUE(h.SelectRow(*c.ScenarioLst, 0));
    ASSERT_TRUE(h.SelectRow(*c.ScenarioLst, 3, false, true));
    h.host.QueueAnswer(MsgAnswer::Yes);
    ASSERT_TRUE(h.panel().UserClick(*c.DeleteBtn));
    ASSERT_EQ(c.Model().Scenarios().Count(), 0);
    for (Label* label : c.LabelValuation) EXPECT_EQ(label->caption, "") << label->Name();
    for (const auto* pair : {&c.LbDolDelta, &c.LbDolGamma, &c.LbDolVega, &c.LbDolRho, &c.LbDolCSprd01, &c.LbGamShrs,
                             &c.LbDolDelShrs, &c.LbDelShrs, &c.LbEffDelta, &c.LbDolDeltaTol, &c.LbDolGamTol,
                             &c.LbDolVegaTol, &c.LbDolRhoTol, &c.LbDolCSprd01Tot, &c.LbGamShrsTot, &c.LbDolDelShrsTot})
        for (Label* label : *pair) EXPECT_EQ(label->caption, "") << label->Name();
    EXPECT_EQ(c.LbCarry->caption, "");
    EXPECT_EQ(c.TxtTunerVal->Text(), "");
    for (TextBox* box : c.TxtScenario) EXPECT_EQ(box->Text(), "") << box->Name();
    EXPECT_EQ(c.LabelImpact->caption, "");
    EXPECT_EQ(c.DescriptionFld->Text(), "");
    EXPECT_EQ(c.LstImpact->Count(), 0);
    // Colours stay as they were.
    EXPECT_EQ(c.LabelValuation[m_CurEstPrice]->foreColor, kRed);
    EXPECT_EQ(c.LbDolDeltaTol[0]->foreColor, kRed);
}

TEST(ScenarioSummary, ShowsTheCurrentScenarioAsItsRecordHoldsItWithTheImpactsMinusSign) {
    Harness h;
    // (-1134 - 100) x factor 1 x position 1, no stock leg and no carry.
    h.Replies({{kDetail, Piece({{m_CurStkPrice, 10}, {m_UpdateStkPrice, 10}, {m_CurEstPrice, 100},
                                {m_UpdateEstPrice, -1134}}) + "|0"},
               {kCarry, "0|0"},
               {kPages, "0"}});
    h.Start({{"TunerString", "1;Standard|2;Aggressive"},
             {"RecordString", SecurityFields{.cp = "1", .factor = "1", .ratio = "1"}.Text()},
             {"ScenarioString", "Loss;0;0;0;0;0;100;0;1;N|Second;0;0;0;0;0;100;0;1;N"},
             {"ScenarioDetailPath", kDetail},
             {"CarryCalcPath", kCarry}});
    MainCtl& c = h.ctl;
    EXPECT_EQ(h.Rows(*c.LstImpact), (std::vector<std::string>{"(1,234)", "0"}));
    EXPECT_EQ(c.LabelImpact->caption, "-1,234");

    CScenario& second = c.Model().Scenarios().Item(2);
    ASSERT_TRUE(h.SelectRow(*c.ScenarioLst, 1));
    second.Setdescription("Second, renamed");
    for (int i = 0; i < kScenarioSlots; ++i) second.SetScenarioProperties(i, 1.25 * (i + 1));
    second.Settuner(2);
    second.SetAutoLoad("Yes");
    h.Replies({{kDetail, "0|0"}, {kCarry, "0|0"}, {kPages, "0"}});
    ASSERT_TRUE(h.panel().UserClick(*c.UpdateBtn));
    std::vector<std::string> fields;
    for (TextBox* box : c.TxtScenario) fields.push_back(box->Text());
    EXPECT_EQ(fields, (std::vector<std::string>{"1.25", "2.5", "3.75", "5", "6.25", "7.5"}));
    EXPECT_EQ(c.DescriptionFld->Text(), "Second, renamed");
    EXPECT_EQ(c.ComboTuner->Text(), "Aggressive");
    EXPECT_EQ(c.ComboAutoLoad->Text(), "Yes");
    EXPECT_EQ(c.TxtDate->Text(), "12/11/2026");   // 5 days after 2026-12-06
}

TEST(ImpactList, ClickingARowLeavesOnlyThatScenarioSelectedAndTheCurrentRowChangesNothing) {
    for (const std::vector<int>& clicks : {std::vector<int>{0, 2, 3}, std::vector<int>{0, 3, 2}}) {
        Harness h;
        h.StartWithZeros(Records({SecurityFields{}}), kFourScenarios);
        MainCtl& c = h.ctl;
        h.Val(1, 3).Setvaluation(m_CurEstPrice, 33);
        ASSERT_TRUE(h.SelectRow(*c.ScenarioLst, clicks[0]));
        ASSERT_TRUE(h.SelectRow(*c.ScenarioLst, clicks[1], true));
        ASSERT_TRUE(h.SelectRow(*c.ScenarioLst, clicks[2], true));
        ASSERT_TRUE(h.SelectRow(*c.LstImpact, 2));
        std::vector<bool> selected;
        for (const auto& row : c.ScenarioLst->Rows()) selected.push_back(row.selected);
        EXPECT_EQ(selected, (std::vector<bool>{false, false, true, false}));
        EXPECT_EQ(c.ScenarioLst->ListIndex(), 2);
        EXPECT_EQ(c.LabelValuation[m_CurEstPrice]->caption, "33.000");
        EXPECT_EQ(c.DescriptionFld->Text(), "S3");
        EXPECT_TRUE(c.FrameDetail->IsEnabled());
        // The row of the current scenario again: nothing is redrawn.
        h.Val(1, 3).Setvaluation(m_CurEstPrice, 44);
        ASSERT_TRUE(h.SelectRow(*c.LstImpact, 2));
        EXPECT_EQ(c.LabelValuation[m_CurEstPrice]->caption, "33.000");
    }
}

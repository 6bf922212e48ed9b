// The valuation panel of the current security under the current scenario:
// decimals per row, the FX division of the stock prices, parentheses and
// colours, the carry, the tuner, and the blank panel.
#include <gtest/gtest.h>

#include "Harness.h"

using namespace zemra;
using zemra::testing::Harness;

namespace {

// A security record text; every field can be changed by name.
struct Sec {
    std::string id = "2001", desc = "Xeno CV", type = "C", cp = "1000", convPrice = "100", spread = "300",
                callAdj = "0", callAdjVal = "0", useBorrow = "0", stkPos = "-5000", stkPrice = "50", vol = "30",
                curve = "USG", factor = "10", deltaAdj = "0", ratio = "20", capRule = "1", convCap = "15",
                stkCap = "15", fin = "0", reb = "0", brw = "0", tail = "0", fx = "1", maturity = "", fxToUsd = "1",
                disc = "0", divType = "1", recv = "R", recvVal = "40", bnk = "1", iad = "0";
    std::string Text() const {
        std::string out;
        for (const std::string* f : {&id,  &desc,     &type,    &cp,     &convPrice, &spread, &callAdj, &callAdjVal,
                                     &useBorrow, &stkPos, &stkPrice, &vol,    &curve,     &factor, &deltaAdj, &ratio,
                                     &capRule,   &convCap, &stkCap,  &fin,    &reb,       &brw,    &tail,     &fx,
                                     &maturity,  &fxToUsd, &disc,    &divType, &recv,     &recvVal, &bnk,     &iad})
            out += (f == &id ? "" : ";") + *f;
        return out;
    }
};

// A control with the given securities and two scenarios, whose pages answer
// every request with zeros. Figures are then written into the valuation
// records and redrawn by clicking a scenario row.
struct Panel : Harness {
    explicit Panel(const std::vector<Sec>& securities,
                   const std::string& scenarios = "S1;0;0;0;0;0;100;0;1;N|S2;10;0;0;0;0;120;0;2;N") {
        std::string records;
        for (const Sec& s : securities) records += (records.empty() ? "" : "|") + s.Text();
        Replies({{"http://t/ScenarioDetail.asp", "0|0|0|0|0|0|0|0"},
                 {"http://t/CarryCalc.asp", "0|0|0|0|0|0|0|0"},
                 {"http://t/CapitalCalc.asp", "0"}});
        Start({{"TunerString", "1;Standard|2;Aggressive"},
               {"RecordString", records},
               {"ScenarioString", scenarios},
               {"ScenarioDetailPath", "http://t/ScenarioDetail.asp"},
               {"CarryCalcPath", "http://t/CarryCalc.asp"},
               {"CapitalCalcPath", "http://t/CapitalCalc.asp"}});
        host.messages.clear();
    }
    CValuation& Val(int security, int scenario) { return ctl.Model().Valuations().Item(security).Item(scenario); }
    void ShowScenario(int row) { ASSERT_TRUE(panel().UserSelectRow(*ctl.ScenarioLst, row)); }
    const std::string& Value(int i) const { return ctl.LabelValuation[static_cast<size_t>(i)]->caption; }
};

int DecimalsOf(int i) {
    switch (i) {
        case 30: case 9: case 24: return 0;
        case 4: case 19: case 11: case 26: case 13: case 28: case 12: case 27: return 2;
        case 8: case 23: return 1;
        default: return 3;
    }
}

TEST(ValuationPanel, EveryRowShowsItsDecimalsAndTheStockPricesAreDividedByTheFxRate) {
    Sec s;
    s.fx = "0.5";
    Panel p({s});
    CValuation& v = p.Val(1, 1);
    for (int i = 0; i < kValuationSlots; ++i) v.Setvaluation(i, 1234.56789);
    p.ShowScenario(0);
    const char* const byDecimals[4] = {"1,235", "1,234.6", "1,234.57", "1,234.568"};
    for (int i = 0; i < kValuationSlots; ++i) {
        const bool price = i == m_CurStkPrice || i == m_UpdateStkPrice;
        EXPECT_EQ(p.Value(i), price ? "2,469.136" : byDecimals[DecimalsOf(i)]) << i;
        EXPECT_EQ(p.ctl.LabelValuation[static_cast<size_t>(i)]->foreColor, kBlue) << i;
    }

    v.Setvaluation(m_CurStkPrice, 50);
    v.Setvaluation(m_CurImpVol, 23.456);
    v.Setvaluation(m_CurImpSprd, -12.6);
    v.Setvaluation(m_CurDelta, 0.5);
    v.Setvaluation(m_SubImpact, 1234567.8);
    v.Setvaluation(m_UpdateStkPrice, -10);  // the sign is the record's, before the division
    p.ShowScenario(0);
    EXPECT_EQ(p.Value(m_CurStkPrice), "100.000");
    EXPECT_EQ(p.Value(m_CurImpVol), "23.5");
    EXPECT_EQ(p.Value(m_CurImpSprd), "(13)");
    EXPECT_EQ(p.ctl.LabelValuation[m_CurImpSprd]->foreColor, kRed);
    EXPECT_EQ(p.Value(m_CurDelta), "0.50");
    EXPECT_EQ(p.Value(m_SubImpact), "1,234,568");
    EXPECT_EQ(p.Value(m_UpdateStkPrice), "(20.000)");
    EXPECT_EQ(p.ctl.LabelValuation[m_UpdateStkPrice]->foreColor, kRed);
}

TEST(ValuationPanel, DollarGreekAndShareLabelsShowTheirColumnAndTurnBlueAgain) {
    Panel p({Sec{}});
    CValuation& v = p.Val(1, 1);
    v.SetDolDelta(0, 2500.5);
    v.SetDolDelta(1, -1500);
    v.SetDolGamma(1, 7);
    v.SetDolVega(1, 8);
    v.SetDolRho(1, 9);
    v.SetDelShrs(1, 10);
    v.SetDolCSprd(1, 11);
    v.SetGammaShrs(1, 12);
    v.SetDolDelShrs(1, -13.5);
    p.ShowScenario(0);
    MainCtl& c = p.ctl;
    EXPECT_EQ(c.LbDolDelta[0]->caption, "2,501");
    EXPECT_EQ(c.LbDolDelta[1]->caption, "(1,500)");
    EXPECT_EQ(c.LbDolDelta[1]->foreColor, kRed);
    const std::vector<std::string> estimated = {c.LbDolGamma[1]->caption, c.LbDolVega[1]->caption,
                                                c.LbDolRho[1]->caption,   c.LbDelShrs[1]->caption,
                                                c.LbDolCSprd01[1]->caption, c.LbGamShrs[1]->caption,
                                                c.LbDolDelShrs[1]->caption};
    EXPECT_EQ(estimated, (std::vector<std::string>{"7", "8", "9", "10", "11", "12", "(14)"}));
    EXPECT_EQ(c.LbDolDelShrs[1]->foreColor, kRed);

    v.SetDolDelta(1, 0);
    p.ShowScenario(0);
    EXPECT_EQ(c.LbDolDelta[1]->caption, "0");
    EXPECT_EQ(c.LbDolDelta[1]->foreColor, kBlue);
}

TEST(ValuationPanel, TheCarryAndTheTunerAreThoseOfTheValuation) {
    Panel p({Sec{}});
    CValuation& v = p.Val(1, 1);
    v.SetCarry(m_CarryIdx, -1500.4);
    v.SetCarry(m_NetCarryIdx, 2500.6);
    v.SetoptCarry(0);
    p.ShowScenario(0);
    EXPECT_EQ(p.ctl.LbCarry->caption, "(1,500)");
    EXPECT_EQ(p.ctl.LbCarry->foreColor, kRed);
    v.SetoptCarry(1);
    p.ShowScenario(0);
    EXPECT_EQ(p.ctl.LbCarry->caption, "2,501");
    EXPECT_EQ(p.ctl.LbCarry->foreColor, kBlue);
    // Any other option leaves the label as it was.
    v.SetoptCarry(2);
    v.SetCarry(m_NetCarryIdx, -7);
    p.ShowScenario(0);
    EXPECT_EQ(p.ctl.LbCarry->caption, "2,501");

    p.Val(1, 2).Settuner(2);
    p.Val(1, 2).SetTunerValue(1.5);
    p.ShowScenario(1);
    EXPECT_EQ(p.ctl.ComboTuner2->Text(), "Aggressive");
    EXPECT_EQ(p.ctl.TxtTunerVal->Text(), "1.5");
}

TEST(ValuationPanel, AFreshValuationShowsZerosByTheDecimalsOfEachRowAllBlue) {
    Panel p({Sec{}});
    CValuation fresh;
    fresh.CreateValuation("", "", Locale::EnUs());
    fresh.Settuner(1);
    p.Val(1, 1) = fresh;
    // Something red first, to see every label turn blue.
    p.Val(1, 2).Setvaluation(m_CurEstPrice, -1);
    p.ShowScenario(1);
    p.ShowScenario(0);
    const char* const zeros[4] = {"0", "0.0", "0.00", "0.000"};
    for (int i = 0; i < kValuationSlots; ++i) {
        EXPECT_EQ(p.Value(i), zeros[DecimalsOf(i)]) << i;
        EXPECT_EQ(p.ctl.LabelValuation[static_cast<size_t>(i)]->foreColor, kBlue) << i;
    }
    EXPECT_EQ(p.ctl.LbCarry->caption, "0");
    EXPECT_EQ(p.ctl.LbDolDelta[0]->caption, "0");
    EXPECT_EQ(p.ctl.TxtTunerVal->Text(), "100");
}

TEST(ValuationPanel, WithoutAnFxRateTheStockPricesShowNothingAndTheRestIsShown) {
    Sec s;
    s.fx = "0";
    Panel p({s});
    CValuation& v = p.Val(1, 1);
    v.Setvaluation(m_CurStkPrice, 50);
    v.Setvaluation(m_UpdateStkPrice, 55);
    v.Setvaluation(m_CurEstPrice, 101);
    p.ShowScenario(0);
    EXPECT_EQ(p.Value(m_CurStkPrice), "");
    EXPECT_EQ(p.Value(m_UpdateStkPrice), "");
    EXPECT_EQ(p.Value(m_CurEstPrice), "101.000");
    EXPECT_TRUE(p.host.messages.empty());
}

TEST(ValuationPanel, ThePanelAndTheTotalsAreBlankedWhenTheLastScenarioGoes) {
    Panel p({Sec{}, Sec{.id = "2002", .desc = "Yarrow CV"}});
    MainCtl& c = p.ctl;
    p.Val(1, 1).Setvaluation(m_CurEstPrice, -5);
    p.Val(1, 1).SetDolDelta(0, -100);
    p.Val(2, 1).SetDolDelta(0, 0);
    p.ShowScenario(0);
    ASSERT_EQ(c.LbDolDeltaTol[0]->caption, "(100)");
    ASSERT_FALSE(c.LbEffDelta[0]->caption.empty());

    ASSERT_TRUE(p.panel().UserSelectRow(*c.ScenarioLst, 1, false, true));
    p.host.QueueAnswer(MsgAnswer::Yes);
    ASSERT_TRUE(p.panel().UserClick(*c.DeleteBtn));
    ASSERT_EQ(c.Model().Scenarios().Count(), 0);
    for (Label* label : c.LabelValuation) EXPECT_EQ(label->caption, "") << label->Name();
    EXPECT_EQ(c.LbCarry->caption, "");
    EXPECT_EQ(c.TxtTunerVal->Text(), "");
    for (const auto* pair : {&c.LbDolDelta, &c.LbDolGamma, &c.LbDolVega, &c.LbDolRho, &c.LbDolCSprd01, &c.LbGamShrs,
                             &c.LbDolDelShrs, &c.LbDelShrs, &c.LbEffDelta, &c.LbDolDeltaTol, &c.LbDolGamTol,
                             &c.LbDolVegaTol, &c.LbDolRhoTol, &c.LbDolCSprd01Tot, &c.LbGamShrsTot, &c.LbDolDelShrsTot})
        for (Label* label : *pair) EXPECT_EQ(label->caption, "") << label->Name();
    // Colours stay as they were.
    EXPECT_EQ(c.LabelValuation[m_CurEstPrice]->foreColor, kRed);
    EXPECT_EQ(c.LbDolDeltaTol[0]->foreColor, kRed);
}

TEST(ValuationPanel, AnotherSecurityShowsItsOwnValuationUnderTheCurrentScenario) {
    Panel p({Sec{}, Sec{.id = "2002", .desc = "Yarrow CV"}});
    ASSERT_TRUE(p.panel().UserSelectRow(*p.ctl.LstSecurity, 1));
    p.Val(1, 2).Setvaluation(m_CurEstPrice, 11);
    p.Val(2, 2).Setvaluation(m_CurEstPrice, 22);
    p.ShowScenario(1);
    EXPECT_EQ(p.Value(m_CurEstPrice), "22.000");
    ASSERT_TRUE(p.panel().UserSelectRow(*p.ctl.LstSecurity, 0));
    EXPECT_EQ(p.Value(m_CurEstPrice), "11.000");
}

}  // namespace

// The totals frame (portfolio sums under the current scenario, share totals
// and the effective delta of the current security), the scenario summary
// and the impact list's click.
#include <gtest/gtest.h>

#include <map>

#include "Harness.h"
#include "toolkit/NumberText.h"

using namespace zemra;
using zemra::testing::Harness;

namespace {

// A security record text; every field can be changed by name.
struct Sec {
    std::string id = "3001", desc = "Alder CV", type = "C", cp = "1000", convPrice = "100", spread = "300",
                callAdj = "0", callAdjVal = "0", useBorrow = "0", stkPos = "0", stkPrice = "40", vol = "30",
                curve = "USG", factor = "10", deltaAdj = "0", ratio = "25", capRule = "1", convCap = "15",
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

const char* const kFourScenarios =
    "S1;0;0;0;0;0;100;0;1;N|S2;10;0;0;0;0;100;0;1;N|S3;-10;0;0;0;0;100;0;1;N|S4;0;50;0;0;0;100;0;1;N";

// One reply piece of the scenario-detail page: 31 numbers, 0 unless given.
std::string Piece(const std::map<int, double>& slots) {
    std::string out;
    for (int i = 0; i < kValuationSlots; ++i) {
        if (i > 0) out += ";";
        const auto it = slots.find(i);
        out += it == slots.end() ? "0" : PlainNumber(it->second);
    }
    return out;
}

struct Portfolio : Harness {
    explicit Portfolio(const std::vector<Sec>& securities, const std::string& scenarios = kFourScenarios,
                       const std::string& detailReply = "0|0|0|0|0|0|0|0") {
        std::string records;
        for (const Sec& s : securities) records += (records.empty() ? "" : "|") + s.Text();
        Replies({{"http://t/ScenarioDetail.asp", detailReply},
                 {"http://t/CarryCalc.asp", "0|0|0|0|0|0|0|0"},
                 {"http://t/CapitalCalc.asp", "0"}});
        Start({{"TunerString", "1;Standard|2;Aggressive"},
               {"RecordString", records},
               {"ScenarioString", scenarios},
               {"ScenarioDetailPath", "http://t/ScenarioDetail.asp"},
               {"CarryCalcPath", "http://t/CarryCalc.asp"},
               {"CapitalCalcPath", "http://t/CapitalCalc.asp"}});
        host.messages.clear();
        // The figures of each test are written into the records by hand.
        for (int p = 1; p <= ctl.Model().Valuations().Count(); ++p)
            for (int c = 1; c <= ctl.Model().Valuations().Item(p).Count(); ++c) {
                CValuation& v = Val(p, c);
                for (int k = 0; k < 2; ++k) {
                    v.SetDolDelta(k, 0);
                    v.SetDolGamma(k, 0);
                    v.SetDolVega(k, 0);
                    v.SetDolRho(k, 0);
                    v.SetDolCSprd(k, 0);
                }
            }
    }
    CValuation& Val(int security, int scenario) { return ctl.Model().Valuations().Item(security).Item(scenario); }
    void ShowScenario(int row) { ASSERT_TRUE(panel().UserSelectRow(*ctl.ScenarioLst, row)); }
    void SelectSecurity(int row) { ASSERT_TRUE(panel().UserSelectRow(*ctl.LstSecurity, row)); }
    static std::vector<std::string> Captions(const std::array<Label*, 2>& pair) {
        return {pair[0]->caption, pair[1]->caption};
    }
    std::vector<bool> ScenarioSelection() const {
        std::vector<bool> selected;
        for (const auto& row : ctl.ScenarioLst->Rows()) selected.push_back(row.selected);
        return selected;
    }
};

TEST(Totals, SumEverySecurityUnderTheCurrentScenarioWhicheverSecurityIsCurrent) {
    Portfolio p({Sec{}, Sec{.id = "3002", .desc = "Birch CV"}});
    auto fill = [&](int security, int scenario, double delta, double gamma, double vega, double rho, double spread) {
        CValuation& v = p.Val(security, scenario);
        v.SetDolDelta(0, delta);
        v.SetDolGamma(0, gamma);
        v.SetDolVega(0, vega);
        v.SetDolRho(0, rho);
        v.SetDolCSprd(0, spread);
        v.SetDolDelta(1, delta * 2);
    };
    fill(1, 2, 1000, 10, -5, 3, -2);
    fill(2, 2, -3500, 20, 1, 4, 1);
    fill(1, 1, 99999, 99999, 99999, 99999, 99999);  // another scenario: not summed
    MainCtl& c = p.ctl;
    for (int current : {0, 1}) {
        p.SelectSecurity(current);
        p.ShowScenario(1);
        EXPECT_EQ(c.LbDolDeltaTol[0]->caption, "(2,500)") << current;
        EXPECT_EQ(c.LbDolDeltaTol[0]->foreColor, kRed);
        EXPECT_EQ(c.LbDolDeltaTol[1]->caption, "(5,000)");
        EXPECT_EQ(c.LbDolGamTol[0]->caption, "30");
        EXPECT_EQ(c.LbDolGamTol[0]->foreColor, kBlue);
        EXPECT_EQ(c.LbDolVegaTol[0]->caption, "(4)");
        EXPECT_EQ(c.LbDolVegaTol[0]->foreColor, kRed);
        EXPECT_EQ(c.LbDolRhoTol[0]->caption, "7");
        EXPECT_EQ(c.LbDolCSprd01Tot[0]->caption, "(1)");
        EXPECT_EQ(c.LbDolCSprd01Tot[0]->foreColor, kRed);
    }
}

TEST(Totals, ShareTotalsUseThePriceOfTheCurrentSecurityInDollars) {
    Portfolio p({Sec{}, Sec{.id = "3002", .desc = "Birch CV", .fx = "2"}, Sec{.id = "3003", .desc = "Cedar CV", .fxToUsd = "4"}});
    for (int s = 1; s <= 3; ++s) p.Val(s, 1).Setvaluation(m_CurStkPrice, 20);
    p.Val(1, 1).SetDolDelta(0, 5000);
    p.Val(2, 1).SetDolGamma(0, -100);
    const std::vector<std::pair<int, std::vector<std::string>>> expected = {
        {0, {"250", "(5)"}},     // 20 dollars a share
        {1, {"500", "(10)"}},    // 20 / FxRate 2
        {2, {"1,000", "(20)"}},  // 20 / FxToUsd 4
    };
    for (const auto& [row, captions] : expected) {
        p.SelectSecurity(row);
        p.ShowScenario(0);
        EXPECT_EQ(p.ctl.LbDolDelShrsTot[0]->caption, captions[0]) << row;
        EXPECT_EQ(p.ctl.LbGamShrsTot[0]->caption, captions[1]) << row;
        EXPECT_EQ(p.ctl.LbDolDelShrsTot[0]->foreColor, kBlue);
        EXPECT_EQ(p.ctl.LbGamShrsTot[0]->foreColor, kRed);
    }
}

TEST(Totals, AStockPriceOfZeroKeepsTheShareCaptionsButNotTheirColours) {
    Portfolio p({Sec{}});
    CValuation& v = p.Val(1, 1);
    v.Setvaluation(m_UpdateStkPrice, 25);
    v.SetDolDelta(1, 5000);
    v.SetDolGamma(1, 50);
    p.ShowScenario(0);
    ASSERT_EQ(Portfolio::Captions(p.ctl.LbDolDelShrsTot)[1], "200");
    ASSERT_EQ(Portfolio::Captions(p.ctl.LbGamShrsTot)[1], "2");

    v.Setvaluation(m_UpdateStkPrice, 0);
    v.SetDolDelta(1, -7000);
    p.ShowScenario(0);
    EXPECT_EQ(p.ctl.LbDolDeltaTol[1]->caption, "(7,000)");
    EXPECT_EQ(p.ctl.LbDolDelShrsTot[1]->caption, "200");
    EXPECT_EQ(p.ctl.LbGamShrsTot[1]->caption, "2");
    EXPECT_EQ(p.ctl.LbDolDelShrsTot[1]->foreColor, kRed);
    EXPECT_EQ(p.ctl.LbEffDelta[1]->caption, "0");
}

TEST(Totals, ShareFiguresWithoutAFiniteValueShowNothingAndNothingFails) {
    for (const Sec& sec : {Sec{.fx = "0"}, Sec{.fxToUsd = "0"}}) {
        Portfolio p({sec});
        CValuation& v = p.Val(1, 1);
        v.Setvaluation(m_CurStkPrice, 20);
        v.SetDolDelta(0, 5000);
        v.SetDolGamma(0, 70);
        p.ShowScenario(0);
        EXPECT_EQ(p.ctl.LbDolDeltaTol[0]->caption, "5,000");
        EXPECT_EQ(p.ctl.LbDolDelShrsTot[0]->caption, "");
        EXPECT_EQ(p.ctl.LbGamShrsTot[0]->caption, "");
        EXPECT_EQ(p.ctl.LbEffDelta[0]->caption, "");
        EXPECT_TRUE(p.host.messages.empty()) << p.host.messages.front().text;
    }
}

TEST(EffectiveDelta, IsTheNetDeltaInPointsOfTheSecuritysDeltaOrZero) {
    // A convertible at 60 delta hedged with stock for 50 points: 10 points
    // net. $Delta = 60/100 x 1000 x 25 x 40 - 12500 x 40 = 100,000. Types
    // without delta shares, no ratio, no position or no price give 0.
    const std::vector<std::pair<Sec, std::vector<std::string>>> cases = {
        {Sec{.type = "C"}, {"10.00", "0"}}, {Sec{.type = "E"}, {"10.00", "0"}}, {Sec{.type = "AS"}, {"10.00", "0"}},
        {Sec{.type = "b"}, {"10.00", "0"}}, {Sec{.type = "B"}, {"0", "0"}},     {Sec{.type = "P"}, {"0", "0"}},
        {Sec{.type = "DS"}, {"0", "0"}},    {Sec{.cp = "0"}, {"0", "0"}},       {Sec{.ratio = "0"}, {"0", "0"}}};
    for (const auto& [sec, expected] : cases) {
        Portfolio p({sec});
        p.Val(1, 1).Setvaluation(m_CurStkPrice, 40);  // the estimated price stays 0
        p.Val(1, 1).SetDolDelta(0, 100000);
        p.Val(1, 1).SetDolDelta(1, 100000);
        p.ShowScenario(0);
        EXPECT_EQ(Portfolio::Captions(p.ctl.LbEffDelta), expected) << sec.type << " " << sec.cp << " " << sec.ratio;
        EXPECT_EQ(p.ctl.LbEffDelta[0]->foreColor, kBlue);
    }
}

TEST(EffectiveDelta, FollowsTheSignOfTheFigureItShows) {
    Portfolio p({Sec{.cp = "-1000"}, Sec{.id = "3002", .desc = "Birch CV"}});
    for (int s = 1; s <= 2; ++s) p.Val(s, 1).Setvaluation(m_CurStkPrice, 40);
    p.Val(1, 1).SetDolDelta(0, 100000);
    p.ShowScenario(0);
    EXPECT_EQ(p.ctl.LbEffDelta[0]->caption, "(10.00)");
    EXPECT_EQ(p.ctl.LbEffDelta[0]->foreColor, kRed);
    // A long position's positive figure is blue, whatever was shown before.
    p.SelectSecurity(1);
    EXPECT_EQ(p.ctl.LbEffDelta[0]->caption, "10.00");
    EXPECT_EQ(p.ctl.LbEffDelta[0]->foreColor, kBlue);
}

// ---- The scenario summary, drawn at the end of every Update.

TEST(ScenarioSummary, TheImpactShowsWithAMinusSignBesideItsParenthesesInTheList) {
    // (-1134 - 100) x factor 1 x position 1, no stock leg and no carry.
    Portfolio p({Sec{.cp = "1", .factor = "1", .ratio = "1"}}, "Loss;0;0;0;0;0;100;0;1;N",
                Piece({{m_CurStkPrice, 10}, {m_UpdateStkPrice, 10}, {m_CurEstPrice, 100}, {m_UpdateEstPrice, -1134}}));
    EXPECT_EQ(p.Rows(*p.ctl.LstImpact), (std::vector<std::string>{"(1,234)"}));
    EXPECT_EQ(p.ctl.LabelImpact->caption, "-1,234");
}

TEST(ScenarioSummary, ShowsTheCurrentScenarioAsItsRecordHoldsIt) {
    Portfolio p({Sec{}}, "First;0;0;0;0;0;100;0;1;N|Second;0;0;0;0;0;100;0;1;N");
    CScenario& second = p.ctl.Model().Scenarios().Item(2);
    p.ShowScenario(1);
    second.Setdescription("Second, renamed");
    for (int i = 0; i < kScenarioSlots; ++i) second.SetScenarioProperties(i, 1.25 * (i + 1));
    second.Settuner(2);
    second.SetAutoLoad("Yes");
    ASSERT_TRUE(p.panel().UserClick(*p.ctl.UpdateBtn));
    std::vector<std::string> fields;
    for (TextBox* box : p.ctl.TxtScenario) fields.push_back(box->Text());
    EXPECT_EQ(fields, (std::vector<std::string>{"1.25", "2.5", "3.75", "5", "6.25", "7.5"}));
    EXPECT_EQ(p.ctl.DescriptionFld->Text(), "Second, renamed");
    EXPECT_EQ(p.ctl.ComboTuner->Text(), "Aggressive");
    EXPECT_EQ(p.ctl.ComboAutoLoad->Text(), "Yes");
    EXPECT_EQ(p.ctl.TxtDate->Text(), "12/11/2026");  // 5 days after 2026-12-06
}

TEST(ScenarioSummary, TheValuationDateIsTodayPlusTheTimeChangeRoundedHalfToEven) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"0", "02/27/2027"}, {"30", "03/29/2027"}, {"-1", "02/26/2027"}, {"2.5", "03/01/2027"}, {"3.5", "03/03/2027"}};
    for (const auto& [days, date] : cases) {
        Portfolio p({Sec{}}, std::string("T;0;0;0;") + days + ";0;100;0;1;N");
        p.host.SetToday(Date{2027, 2, 27});
        ASSERT_TRUE(p.panel().UserClick(*p.ctl.UpdateBtn));
        EXPECT_EQ(p.ctl.TxtDate->Text(), date) << days;
    }
}

TEST(ScenarioSummary, WithoutScenariosTheSummaryAndTheImpactListAreEmpty) {
    Portfolio p({Sec{}});
    MainCtl& c = p.ctl;
    ASSERT_TRUE(p.panel().UserSelectRow(*c.ScenarioLst, 3, false, true));
    p.host.QueueAnswer(MsgAnswer::Yes);
    ASSERT_TRUE(p.panel().UserClick(*c.DeleteBtn));
    ASSERT_EQ(c.Model().Scenarios().Count(), 0);
    for (TextBox* box : c.TxtScenario) EXPECT_EQ(box->Text(), "") << box->Name();
    EXPECT_EQ(c.LabelImpact->caption, "");
    EXPECT_EQ(c.DescriptionFld->Text(), "");
    EXPECT_EQ(c.LstImpact->Count(), 0);
}

// ---- The impact list drives the scenario list.

TEST(ImpactList, ClickingARowLeavesOnlyThatScenarioSelectedAndShowsIt) {
    // The scenario list's current row is another selected row, then the
    // clicked row itself.
    for (const std::vector<int>& clicks : {std::vector<int>{0, 2, 3}, std::vector<int>{0, 3, 2}}) {
        Portfolio p({Sec{}});
        MainCtl& c = p.ctl;
        p.Val(1, 3).Setvaluation(m_CurEstPrice, 33);
        ASSERT_TRUE(p.panel().UserSelectRow(*c.ScenarioLst, clicks[0]));
        ASSERT_TRUE(p.panel().UserSelectRow(*c.ScenarioLst, clicks[1], true));
        ASSERT_TRUE(p.panel().UserSelectRow(*c.ScenarioLst, clicks[2], true));
        ASSERT_EQ(c.ScenarioLst->SelCount(), 3);
        ASSERT_TRUE(p.panel().UserSelectRow(*c.LstImpact, 2));
        EXPECT_EQ(p.ScenarioSelection(), (std::vector<bool>{false, false, true, false}));
        EXPECT_EQ(c.ScenarioLst->ListIndex(), 2);
        EXPECT_EQ(c.LstImpact->ListIndex(), 2);
        EXPECT_EQ(c.LabelValuation[m_CurEstPrice]->caption, "33.000");
        EXPECT_EQ(c.DescriptionFld->Text(), "S3");
        EXPECT_TRUE(c.FrameDetail->IsEnabled());
    }
}

TEST(ImpactList, ClickingTheRowOfTheCurrentScenarioChangesNothing) {
    Portfolio p({Sec{}});
    MainCtl& c = p.ctl;
    p.ShowScenario(1);
    const std::size_t requests = p.host.requests.size();
    p.Val(1, 2).Setvaluation(m_CurEstPrice, 44);  // not redrawn
    ASSERT_TRUE(p.panel().UserSelectRow(*c.LstImpact, 1));
    EXPECT_EQ(p.ScenarioSelection(), (std::vector<bool>{false, true, false, false}));
    EXPECT_EQ(c.LabelValuation[m_CurEstPrice]->caption, "0.000");
    EXPECT_EQ(p.host.requests.size(), requests);
}

}  // namespace

// The valuation panel, the totals frame, the scenario summary and the impact
// list: their figures through display/ValuationFigures.h, then what the
// panel shows of them.
#include <gtest/gtest.h>

#include <cmath>

#include "Harness.h"
#include "compute/ValuationFigures.h"

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
        {0, "02/27/2027"},   {30, "03/29/2027"}, {-1, "02/26/2027"}, {2.5, "03/01/2027"},
        {3.5, "03/03/2027"}, {1e300, ""},        {-800000, ""}};
    for (const auto& [days, text] : table) EXPECT_EQ(ValuationDateText(Date{2027, 2, 27}, days), text) << days;
}

// The sums as the totals frame shows them: golden/display_panel.
TEST(ValuationFigures, DollarGreeksAreSummedOverEverySecurityAndASumADoubleCannotHoldIsNotFinite) {
    Figures f({SecurityFields{}, SecurityFields{.id = "3002"}});
    f.Val(1).SetDolDelta(0, 1000);
    f.Val(2).SetDolDelta(0, -3500);
    EXPECT_EQ(SumDollarGreeks(f.model, 1).delta, (std::array<double, 2>{-2500, 0}));
    EXPECT_TRUE(AllFinite(SumDollarGreeks(f.model, 1)));
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
        {SecurityFields{.fx = "2"}, 40, 5000, -5, 20},         // 40 / FxRate 2
        {SecurityFields{.fxToUsd = "4"}, 40, 10000, -10, 40},  // 40 / FxToUsd 4
        {SecurityFields{.cp = "-1000"}, 40, 2500, -2.5, -10},
        {SecurityFields{.type = "E"}, 40, 2500, -2.5, 10},
        {SecurityFields{.type = "b"}, 40, 2500, -2.5, 10},  // types compare with letter case
        {SecurityFields{.type = "B"}, 40, 2500, -2.5, std::nullopt},
        {SecurityFields{.type = "P"}, 40, 2500, -2.5, std::nullopt},
        {SecurityFields{.type = "DS"}, 40, 2500, -2.5, std::nullopt},
        {SecurityFields{.cp = "0"}, 40, 2500, -2.5, std::nullopt},
        {SecurityFields{.ratio = "0"}, 40, 2500, -2.5, std::nullopt},
        {SecurityFields{}, 0, std::nullopt, std::nullopt, std::nullopt},  // no price: no share figures
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

// ---- What the panel shows: every label's figure in its format and colour, for one security
// and another, and once every scenario is deleted: golden/display_panel; the scenario
// summary: golden/display_summary; the stock prices divided by the FX rate: ValuationFigures;
// the valuation's tuner: golden/tuner_valuation; the carry label: ImpactRun; a click on an
// impact row: golden/impact_list_click.

TEST(ValuationPanel, AStockPriceOfZeroKeepsTheShareCaptionsAndTheEffectiveDeltaShowsZero) {
    Harness h;
    h.StartWithZeros(Records({SecurityFields{}}), kFourScenarios);
    h.Val(1, 1).Setvaluation(m_UpdateStkPrice, 25);
    h.Val(1, 1).SetDolDelta(1, 5000);
    ASSERT_TRUE(h.SelectRow(h.List("ScenarioLst"), 0));
    ASSERT_EQ(h.Label("LbDolDelShrsTot", 1).caption, "200");
    h.Val(1, 1).Setvaluation(m_UpdateStkPrice, 0);
    h.Val(1, 1).SetDolDelta(1, -7000);
    ASSERT_TRUE(h.SelectRow(h.List("ScenarioLst"), 0));
    EXPECT_EQ(h.Label("LbDolDeltaTol", 1).caption, "(7,000)");
    EXPECT_EQ(h.Label("LbDolDelShrsTot", 1).caption, "200");
    EXPECT_EQ(h.Label("LbDolDelShrsTot", 1).foreColor, kRed);
    EXPECT_EQ(h.Label("LbEffDelta", 1).caption, "0");
    EXPECT_EQ(h.Label("LbEffDelta", 1).foreColor, kBlue);
}

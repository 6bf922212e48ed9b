// The results at a glance: through display/ResultsTable.h the table of
// sub-impacts and totals, the heatmap's layout, its worst and best cells and
// its colours, the drivers of a scenario, sorting and the CSV text; through
// the panel the views' cells, sorting, revisions and the run's progress.
#include <gtest/gtest.h>

#include <cmath>

#include "Harness.h"
#include "compute/ImpactMath.h"
#include "compute/ResultsTable.h"

using namespace zemra;
using namespace zemra::testing;

namespace {

// The mixed portfolio under the two scenarios, valued from its replies and
// with its sub-impacts and totals computed as the impact run does.
Portfolio ValuedMixedPortfolio() {
    const std::vector<Holding> holdings = MixedPortfolio();
    std::vector<std::string> records;
    for (const Holding& h : holdings) records.push_back(h.record);
    Portfolio model = PortfolioOf(records, kUpAndDown);
    for (int k = 1; k <= model.Securities().Count(); ++k) {
        const Holding& h = holdings[static_cast<std::size_t>(k - 1)];
        std::vector<CValuation> staged;
        StageValuations(model.Securities().Item(k), model.Scenarios(), model.Valuations().Item(k), h.up + "|" + h.down,
                        kCarryPiece + "|" + kCarryPiece, staged);
        for (int s = 1; s <= static_cast<int>(staged.size()); ++s)
            model.ValuationAt(k, s) = staged[static_cast<std::size_t>(s - 1)];
    }
    CalculateImpacts(model, [&](int s, double total) { model.Scenarios().Item(s).SetImpact(total); });
    return model;
}

// A table of the given scenario changes (stock, rate, vol, time, credit,
// tuner value) and totals, without securities.
ResultsTable TableOf(const std::vector<std::pair<std::array<double, kScenarioChanges>, double>>& scenarios) {
    ResultsTable table;
    for (const auto& [changes, total] : scenarios) table.scenarios.push_back({"s", changes, total});
    return table;
}

std::array<double, kScenarioChanges> Changes(double stock, double rate, double vol, double time = 0,
                                             double credit = 0) {
    return {stock, rate, vol, time, credit, 100};
}

}  // namespace

// ---- The table

TEST(ResultsTable, EachScenariosSubImpactsAddUpToItsTotalAndTheirLegsToEachSubImpact) {
    const Portfolio model = ValuedMixedPortfolio();
    const ResultsTable table = BuildResultsTable(model);
    ASSERT_EQ(table.SecurityCount(), model.Securities().Count());
    ASSERT_EQ(table.ScenarioCount(), 2);
    for (int s = 0; s < table.ScenarioCount(); ++s) {
        double sum = 0;
        for (int k = 0; k < table.SecurityCount(); ++k) {
            ASSERT_TRUE(table.SubImpact(k, s)) << "security " << k << " scenario " << s;
            sum += *table.SubImpact(k, s);
        }
        // The total is kept in whole dollars.
        EXPECT_NEAR(sum, table.scenarios[static_cast<std::size_t>(s)].total, 0.5) << "scenario " << s;
        const auto drivers = ScenarioDrivers(model, table, s);
        ASSERT_EQ(drivers.size(), static_cast<std::size_t>(table.SecurityCount()));
        double shares = 0;
        for (std::size_t i = 0; i < drivers.size(); ++i) {
            const Driver& d = drivers[i];
            SCOPED_TRACE("scenario " + std::to_string(s) + ", security " +
                         table.securities[static_cast<std::size_t>(d.security)]);
            EXPECT_NEAR(d.legs.Sum(), d.subImpact, 1e-6 * std::max(1.0, std::fabs(d.subImpact)));
            if (i > 0) {
                EXPECT_GE(std::fabs(drivers[i - 1].subImpact), std::fabs(d.subImpact)) << "largest first";
            }
            shares += d.share.value();
        }
        EXPECT_NEAR(shares, 1, 1e-9);
    }
}

TEST(ResultsTable, EachTypesLegsComeFromThePriceItIsValuedBy) {
    const Portfolio model = ValuedMixedPortfolio();
    const ResultsTable table = BuildResultsTable(model);
    struct Case {
        int security;                // 0-based, in MixedPortfolio's order
        double priceMove, stockLeg;  // under "Up 50"
    } const kCases[] = {
        {0, 130 - 100, 20 * -2000},                      // Bond CV: estimated price, stock 40 -> 60 on -2000 shares
        {1, 60 - 40, 0},                                 // Stock: its own price; no stock leg
        {2, (110 - 91) - (95 - 90), 10 * -1000 / 1.25},  // Option AS: value above the floor
        {3, 75 - 70, 15 * -500},                         // Discount DS: bond floor
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(table.securities[static_cast<std::size_t>(c.security)]);
        const auto legs = SubImpactLegs(model.Securities().Item(c.security + 1), model.Scenarios().Item(1),
                                        model.ValuationAt(c.security + 1, 1));
        ASSERT_TRUE(legs);
        EXPECT_DOUBLE_EQ(legs->priceMove, c.priceMove);
        EXPECT_DOUBLE_EQ(legs->stock, c.stockLeg);
    }
}

TEST(ResultsTable, ASecurityWithoutThePriceItsTypeNeedsHasNoSubImpactAndNoShare) {
    Portfolio model = ValuedMixedPortfolio();
    // Without an estimated price, the bond adds nothing to either total.
    for (int s = 1; s <= 2; ++s) model.ValuationAt(1, s).Setvaluation(m_CurEstPrice, 0);
    CalculateImpacts(model, [&](int s, double total) { model.Scenarios().Item(s).SetImpact(total); });
    const ResultsTable table = BuildResultsTable(model);
    for (int s = 0; s < 2; ++s) {
        EXPECT_FALSE(table.SubImpact(0, s));
        double sum = 0;
        for (int k = 1; k < table.SecurityCount(); ++k) sum += table.SubImpact(k, s).value();
        EXPECT_NEAR(sum, table.scenarios[static_cast<std::size_t>(s)].total, 0.5);
        for (const Driver& d : ScenarioDrivers(model, table, s)) EXPECT_NE(d.security, 0);
    }
}

// ---- The heatmap

TEST(ResultsHeatmap, TwoVaryingChangesWithDistinctPairsMakeAGridOtherwiseBars) {
    struct Case {
        const char* what;
        std::vector<std::array<double, kScenarioChanges>> changes;
        bool grid;
        int rowChange, columnChange;
        std::vector<double> rows, columns;
        std::vector<int> cells;
    } const kCases[] = {
        {"stock by vol, stock outermost",
         {Changes(-10, 0, -20), Changes(-10, 0, 20), Changes(0, 0, -20), Changes(0, 0, 20), Changes(10, 0, -20),
          Changes(10, 0, 20)},
         true,
         m_VolChgIdx,
         m_StkChgIdx,
         {-20, 20},
         {-10, 0, 10},
         {0, 2, 4, 1, 3, 5}},
        {"rate by time, listed in any order, one point missing",
         {Changes(0, 50, 0, 30), Changes(0, 0, 0, 0), Changes(0, 50, 0, 0)},
         true,
         m_TimeIdx,
         m_RateChgIdx,
         {0, 30},
         {0, 50},
         {1, 2, -1, 0}},
        {"one varying change", {Changes(-10, 0, 0), Changes(0, 0, 0), Changes(10, 0, 0)}, false, -1, -1, {}, {}, {}},
        {"three varying changes", {Changes(1, 0, 0), Changes(0, 1, 0), Changes(0, 0, 1)}, false, -1, -1, {}, {}, {}},
        {"two scenarios on one point",
         {Changes(1, 1, 0), Changes(1, 1, 0), Changes(0, 0, 0)},
         false,
         -1,
         -1,
         {},
         {},
         {}},
        {"no scenarios", {}, false, -1, -1, {}, {}, {}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        std::vector<std::pair<std::array<double, kScenarioChanges>, double>> scenarios;
        for (const auto& ch : c.changes) scenarios.push_back({ch, 0});
        const Heatmap map = BuildHeatmap(TableOf(scenarios));
        EXPECT_EQ(map.grid, c.grid);
        if (!c.grid) continue;
        EXPECT_EQ(map.rows.change, c.rowChange);
        EXPECT_EQ(map.columns.change, c.columnChange);
        EXPECT_EQ(map.rows.values, c.rows);
        EXPECT_EQ(map.columns.values, c.columns);
        EXPECT_EQ(map.cells, c.cells);
    }
}

TEST(ResultsHeatmap, TheWorstIsTheMostNegativeTotalAndTheBestTheLargestTheFirstOfEquals) {
    struct Case {
        std::vector<double> totals;
        int worst, best;
        double low, high;
    } const kCases[] = {
        {{5, -3, 7, -9, 2}, 3, 2, -9, 7},
        {{-4, -4, 1, 1}, 0, 2, -4, 1},
        {{0}, 0, 0, 0, 0},
        {{}, -1, -1, 0, 0},
    };
    for (const Case& c : kCases) {
        std::vector<std::pair<std::array<double, kScenarioChanges>, double>> scenarios;
        for (double t : c.totals) scenarios.push_back({Changes(0, 0, 0), t});
        const Heatmap map = BuildHeatmap(TableOf(scenarios));
        EXPECT_EQ(map.worst, c.worst);
        EXPECT_EQ(map.best, c.best);
        EXPECT_EQ(map.low, c.low);
        EXPECT_EQ(map.high, c.high);
    }
}

TEST(ResultsHeatmap, TheScaleRunsFromOrangeThroughWhiteToBlueWithReadableNumbers) {
    struct Case {
        double value, low, high;
        Rgb color, text;
    } const kCases[] = {
        {0, -100, 50, kWhite, kBlack},
        {-100, -100, 50, {179, 88, 6}, kWhite},   // the largest loss: full orange
        {50, -100, 50, {144, 179, 214}, kBlack},  // half the scale's size: half way to blue
        {100, -100, 100, {33, 102, 172}, kWhite},
        {-250, -100, 100, {179, 88, 6}, kWhite},  // beyond the scale: its end
        {7, 0, 0, kWhite, kBlack},                // no scale
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.value);
        const Rgb color = HeatColor(c.value, c.low, c.high);
        EXPECT_EQ(color.Hex(), c.color.Hex());
        EXPECT_EQ(TextColorOn(color).Hex(), c.text.Hex());
    }
}

// ---- Sorting

TEST(ResultsSorting, AHeaderClickSortsAscendingThenTheOtherWayEmptyCellsLast) {
    ResultsTable table;
    table.securities = {"Cee", "Aye", "Bee", "Dee"};
    table.scenarios = {{"s", {}, 0}};
    table.subImpacts = {5.0, std::nullopt, -2.0, 5.0};
    struct Case {
        ResultsSort sort;
        std::vector<int> order;
    } const kCases[] = {
        {{kListOrder, false}, {0, 1, 2, 3}},
        {{kByDescription, false}, {1, 2, 0, 3}},
        {{kByDescription, true}, {3, 0, 2, 1}},
        {{0, false}, {2, 0, 3, 1}},
        {{0, true}, {0, 3, 2, 1}},
    };
    for (const Case& c : kCases)
        EXPECT_EQ(SortedSecurities(table, c.sort), c.order) << c.sort.column << c.sort.descending;
    EXPECT_EQ(NextSort({kListOrder, false}, 0), (ResultsSort{0, false}));
    EXPECT_EQ(NextSort({0, false}, 0), (ResultsSort{0, true}));
    EXPECT_EQ(NextSort({0, true}, 0), (ResultsSort{0, false}));
    EXPECT_EQ(NextSort({0, true}, kByDescription), (ResultsSort{kByDescription, false}));
}

// ---- CSV

TEST(ResultsCsv, TextFieldsOpenAsTextInASpreadsheet) {
    struct Case {
        const char* text;
        const char* field;
    } const kCases[] = {
        {"Stock +10%", "Stock +10%"},
        {"Up, then down", "\"Up, then down\""},
        {"The \"big\" one", "\"The \"\"big\"\" one\""},
        {"=1+2", "'=1+2"},
        {"+10%", "'+10%"},
        {"-10%", "'-10%"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"=HYPERLINK(\"x\",\"y\")", "\"'=HYPERLINK(\"\"x\"\",\"\"y\"\")\""},
        {"two\nlines", "\"two\nlines\""},
        {"", ""},
    };
    for (const Case& c : kCases) EXPECT_EQ(CsvText(c.text), c.field) << c.text;
}

TEST(ResultsCsv, OneLinePerScenarioWithItsChangesTotalAndSubImpactsAsPlainNumbers) {
    ResultsTable table;
    table.securities = {"ACME, Inc", "=Beta"};
    table.scenarios = {{"Up", {10, 0, 0, 0, 0, 100}, 1234.567}, {"-Down", {-10, 25, 2.5, 30, 0, 100}, -1234567.891}};
    table.subImpacts = {1000.5, -1234567.891, 234.067, std::nullopt};
    EXPECT_EQ(ResultsCsv(table),
              "Scenario,Stk Change(%),Rate Change(bp),Vol Change(%),Time Change(d),Credit Spread Change(%),Tuner "
              "Value,Total,\"ACME, Inc\",'=Beta\r\n"
              "Up,10,0,0,0,0,100,1234.57,1000.5,234.07\r\n"
              "'-Down,-10,25,2.5,30,0,100,-1234567.89,-1234567.89,\r\n");
}

// ---- Through the panel (cells, sorting, revisions and the CSV of a session: golden/results_table;
// the heatmap's cell and the drivers: golden/results_matrix).

namespace {

// The mixed portfolio on the panel, its pages answering from the holdings'
// replies; `onFetch` sees every request as it is made.
struct ResultsPanel : Harness {
    std::function<void()> onFetch;
    ResultsPanel() {
        host.SetFetcher([this](const std::string& address) {
            if (onFetch) onFetch();
            for (const Holding& h : MixedPortfolio()) {
                if (address.starts_with(kDetail + "?Secid=" + std::to_string(h.id) + "&"))
                    return FetchResult{true, h.up + "|" + h.down, ""};
                if (address.starts_with(kCarry + "?Secid=" + std::to_string(h.id) + "&"))
                    return FetchResult{true, kCarryPiece + "|" + kCarryPiece, ""};
            }
            return FetchResult{true, "0", ""};
        });
        Start(WithPages({{"RecordString", Records(MixedPortfolio())}, {"ScenarioString", kUpAndDown}}));
    }
};

}  // namespace

// A cell, the portfolio row's and the heatmap's, selecting on the panel, and
// the views' revisions: golden/results_table and golden/results_matrix.
TEST(ResultsPanelView, TheViewOpensWithItsButtonAndCellsItDoesNotHaveAreRefused) {
    ResultsPanel p;
    EXPECT_FALSE(p.Do("cell Results 2 1"));
    ASSERT_TRUE(p.Do("click BtnResults"));
    ASSERT_TRUE(p.Do("cell Results 2 1"));
    for (const char* wrong : {"cell Results 7 0", "cell Results 0 2", "cell Results -2 0", "sort Results 2",
                              "cell LstSecurity 0 0", "cell Results 1"})
        EXPECT_THROW(p.Do(wrong), ActionError) << wrong;
}

TEST(ResultsPanelView, AnUpdateCountsTheSecuritiesBesideTheBusyCaption) {
    ResultsPanel p;
    std::vector<std::string> seen, expected;
    p.onFetch = [&] {  // each request of the run sees the label as it stands then
        const Label& label = p.Label("LabelRunProgress");
        if (label.visible) seen.push_back(label.caption + " " + std::to_string(label.percent) + "%");
    };
    ASSERT_TRUE(p.Do("click UpdateBtn"));
    const int n = static_cast<int>(MixedPortfolio().size());
    for (int k = 1; k <= n + 1; ++k)  // the last two: the display's refresh, every security valued
        for (int request = 0; request < 2; ++request)
            expected.push_back("security " + std::to_string(std::min(k, n)) + " of " + std::to_string(n) + " " +
                               std::to_string((k - 1) * 100 / n) + "%");
    EXPECT_EQ(seen, expected);
    EXPECT_FALSE(p.Label("LabelRunProgress").visible);
    EXPECT_EQ(p.Caption("LabelProgress"), "");
}

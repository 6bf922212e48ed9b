// The results at a glance: through display/ResultsTable.h the table of
// sub-impacts and totals, the heatmap's layout, its worst and best cells and
// its colours, the drivers of a scenario, sorting and the CSV text; through
// the panel the views' cells, sorting, revisions and the run's progress.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

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

using Changes = std::array<double, kScenarioChanges>;
Changes Ch(double stock, double rate, double vol, double time = 0, double credit = 0) {
    return {stock, rate, vol, time, credit, 100};
}

// A table of the given scenarios, without securities; scenario s totals
// `totals[s]`, or s when no totals are given.
ResultsTable TableOf(const std::vector<Changes>& changes, const std::vector<double>& totals = {}) {
    ResultsTable table;
    for (std::size_t s = 0; s < std::max(changes.size(), totals.size()); ++s)
        table.scenarios.push_back({"s", s < changes.size() ? changes[s] : Ch(0, 0, 0),
                                   s < totals.size() ? totals[s] : static_cast<double>(s)});
    return table;
}

}  // namespace

// ---- The table

TEST(ResultsTable, SubImpactsAddUpToEachTotalAndLegsToEachSubImpactWithoutASecurityLackingItsPrice) {
    for (const bool priced : {true, false}) {
        Portfolio model = ValuedMixedPortfolio();
        if (!priced) {  // without an estimated price, the bond adds nothing to either total
            for (int s = 1; s <= 2; ++s) model.ValuationAt(1, s).Setvaluation(m_CurEstPrice, 0);
            CalculateImpacts(model, [&](int s, double total) { model.Scenarios().Item(s).SetImpact(total); });
        }
        const ResultsTable table = BuildResultsTable(model);
        ASSERT_EQ(table.SecurityCount(), model.Securities().Count());
        ASSERT_EQ(table.ScenarioCount(), 2);
        for (int s = 0; s < table.ScenarioCount(); ++s) {
            SCOPED_TRACE("scenario " + std::to_string(s) + (priced ? "" : ", the bond without its price"));
            double sum = 0, shares = 0;
            for (int k = 0; k < table.SecurityCount(); ++k) {
                EXPECT_EQ(table.SubImpact(k, s).has_value(), priced || k > 0) << "security " << k;
                sum += table.SubImpact(k, s).value_or(0);
            }
            EXPECT_NEAR(sum, table.scenarios[static_cast<std::size_t>(s)].total, 0.5);  // whole dollars
            const auto drivers = ScenarioDrivers(table, s, [&](int k) {
                return SubImpactLegs(model.Securities().Item(k + 1), model.Scenarios().Item(s + 1),
                                     model.ValuationAt(k + 1, s + 1));
            });
            ASSERT_EQ(drivers.size(), static_cast<std::size_t>(table.SecurityCount() - (priced ? 0 : 1)));
            for (std::size_t i = 0; i < drivers.size(); ++i) {
                const Driver& d = drivers[i];
                EXPECT_NEAR(d.legs.Sum(), d.subImpact, 1e-6 * std::max(1.0, std::fabs(d.subImpact))) << d.security;
                if (i > 0) {
                    EXPECT_GE(std::fabs(drivers[i - 1].subImpact), std::fabs(d.subImpact)) << "largest first";
                }
                shares += d.share.value();
            }
            EXPECT_NEAR(shares, 1, 1e-9);
        }
    }
}

TEST(ResultsTable, EachTypesLegsComeFromThePriceItIsValuedBy) {
    const Portfolio model = ValuedMixedPortfolio();
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
        const auto legs = SubImpactLegs(model.Securities().Item(c.security + 1), model.Scenarios().Item(1),
                                        model.ValuationAt(c.security + 1, 1));
        ASSERT_TRUE(legs) << c.security;
        EXPECT_DOUBLE_EQ(legs->priceMove, c.priceMove) << c.security;
        EXPECT_DOUBLE_EQ(legs->stock, c.stockLeg) << c.security;
    }
}

// ---- The heatmap

// The heatmap as text: its grid (the change down by the change across, the
// cells row by row, the held changes) or bars, then its worst and best
// scenarios (the first of equals) and the range of every total.
std::string Described(const Heatmap& map) {
    std::ostringstream out;
    if (!map.grid) out << "bars";
    if (map.grid) out << "grid " << map.rows.change << " by " << map.columns.change << ":";
    for (int cell : map.cells) out << " " << cell;
    for (const auto& [change, value] : map.held) out << ", " << change << " at " << value;
    out << "; worst " << map.worst << ", best " << map.best << ", " << map.low << " to " << map.high;
    return out.str();
}

TEST(ResultsHeatmap, TheChosenVaryingChangesMakeAGridAtTheHeldValuesOfTheOthersOtherwiseBars) {
    // A 2 x 2 x 2 matrix of stock (0), vol (2) and credit (4) changes, stock outermost.
    std::vector<Changes> cube;
    for (double stock : {-10, 10})
        for (double vol : {0, 20})
            for (double credit : {-50, 50}) cube.push_back(Ch(stock, 0, vol, 0, credit));
    const std::vector<Changes> rateByTime = {Ch(0, 50, 0, 30), Ch(0, 0, 0, 0), Ch(0, 50, 0, 0)};
    HeatmapChoice creditByStock{m_CreditSprdChgIdx, m_StkChgIdx, {}};
    creditByStock.held[m_VolChgIdx] = 20;
    struct Case {
        std::vector<Changes> changes;
        HeatmapChoice choice;
        const char* map;
        std::vector<double> totals = {};  // scenario s totals s unless given
    } const kCases[] = {
        {{Ch(-10, 0, -20), Ch(-10, 0, 20), Ch(0, 0, -20), Ch(0, 0, 20), Ch(10, 0, -20), Ch(10, 0, 20)},
         {},
         "grid 2 by 0: 0 2 4 1 3 5; worst 0, best 5, 0 to 5"},
        {rateByTime, {}, "grid 3 by 1: 1 2 -1 0; worst 0, best 2, 0 to 2"},  // in any order, a point missing
        {rateByTime, {m_TimeIdx, m_RateChgIdx, {}}, "grid 1 by 3: 1 -1 2 0; worst 0, best 2, 0 to 2"},
        {cube, {}, "grid 2 by 0: 0 4 2 6, 4 at -50; worst 0, best 6, 0 to 7"},  // credit held at its lowest
        {cube, creditByStock, "grid 0 by 4: 2 3 6 7, 2 at 20; worst 2, best 7, 0 to 7"},
        {cube, {m_RateChgIdx, m_RateChgIdx, {}}, "grid 2 by 0: 0 4 2 6, 4 at -50; worst 0, best 6, 0 to 7"},
        {{cube.begin(), cube.end() - 1}, {}, "bars; worst 0, best 6, 0 to 6"},  // not the whole matrix
        {{Ch(-10, 0, 0), Ch(0, 0, 0), Ch(10, 0, 0)}, {}, "bars; worst 0, best 2, 0 to 2"},
        {{Ch(1, 1, 0), Ch(1, 1, 0), Ch(0, 0, 0)}, {}, "bars; worst 0, best 2, 0 to 2"},  // two on one point
        {{}, {}, "bars; worst -1, best -1, 0 to 0"},
        {{}, {}, "bars; worst 3, best 2, -9 to 7", {5, -3, 7, -9, 2}},
        {{}, {}, "bars; worst 0, best 2, -4 to 1", {-4, -4, 1, 1}},
    };
    for (const Case& c : kCases) EXPECT_EQ(Described(BuildHeatmap(TableOf(c.changes, c.totals), c.choice)), c.map);
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
        {7, 0, 0, kWhite, kBlack}                 // no scale
    };
    for (const Case& c : kCases) {
        const Rgb color = HeatColor(c.value, c.low, c.high);
        EXPECT_EQ(color.Hex(), c.color.Hex()) << c.value;
        EXPECT_EQ(TextColorOn(color).Hex(), c.text.Hex()) << c.value;
    }
}

// ---- The table's column headers and sorting

TEST(ResultsTable, AMatrixScenarioIsHeadedByTheChangesThatVaryOthersByTheirDescription) {
    struct Case {
        const char* description;
        Changes changes;
        std::vector<int> varying;
        const char* header;
    } const kCases[] = {
        {"S -20%,R -100bp,V -20%,C -50%,T 30", Ch(-20, -100, -20, 30, -50), {0, 2, 4}, "S −20 · V −20 · C −50"},
        {"S 10%,V 2.5%,", Ch(10, 0, 2.5), {0, 2, 5}, "S 10 · V 2.5 · TV 100"},
        {"S 10%,V 2.5%,", Ch(10, 0, 2.5), {}, "S 10%,V 2.5%,"},
        {"S 10%,V 2%,", Ch(10, 0, 2.5), {0, 2}, "S 10%,V 2%,"},  // not its changes
        {"S 10%, hedged", Ch(10, 0, 0), {0}, "S 10%, hedged"},
        {"Stock -10%", Ch(-10, 0, 0), {0}, "Stock -10%"},
        {"", Ch(0, 0, 0), {0}, ""},
    };
    for (const Case& c : kCases)
        EXPECT_EQ(ScenarioHeader({c.description, c.changes, 0}, c.varying, '.'), c.header) << c.description;
}

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

TEST(ResultsCsv, TextFieldsOpenAsTextInASpreadsheetAndEachScenarioHasALineOfPlainNumbers) {
    const std::pair<const char*, const char*> kFields[] = {
        {"Stock +10%", "Stock +10%"},
        {"Up, then down", "\"Up, then down\""},
        {"The \"big\" one", "\"The \"\"big\"\" one\""},
        {"=1+2", "'=1+2"},
        {"+10%", "'+10%"},
        {"-10%", "'-10%"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"=HYPERLINK(\"x\",\"y\")", "\"'=HYPERLINK(\"\"x\"\",\"\"y\"\")\""},
        {"two\nlines", "\"two\nlines\""},
        {"", ""}};
    for (const auto& [text, field] : kFields) EXPECT_EQ(CsvText(text), field) << text;
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

// ---- Through the panel: cells, sorting, revisions and the CSV of a session (golden/results_table),
// the heatmap's cell, its axes and the drivers (golden/results_matrix), edits after an Update
// (golden/results_stale).

TEST(ResultsPanelView, AnUpdateCountsTheSecuritiesAndTheViewRefusesCellsItDoesNotHave) {
    Harness p;
    std::vector<std::string> seen, expected;
    p.host.SetFetcher([&](const std::string& address) {
        const Label& label = p.Label("LabelRunProgress");  // as each request of the run sees it
        if (label.visible) seen.push_back(label.caption + " " + std::to_string(label.percent) + "%");
        for (const Holding& h : MixedPortfolio()) {
            const std::string id = "?Secid=" + std::to_string(h.id) + "&";
            if (address.starts_with(kDetail + id)) return FetchResult{true, h.up + "|" + h.down, ""};
            if (address.starts_with(kCarry + id)) return FetchResult{true, kCarryPiece + "|" + kCarryPiece, ""};
        }
        return FetchResult{true, "0", ""};
    });
    p.Start(Harness::WithPages({{"RecordString", Records(MixedPortfolio())}, {"ScenarioString", kUpAndDown}}));
    seen.clear();
    ASSERT_TRUE(p.Do("click UpdateBtn"));
    const int n = static_cast<int>(MixedPortfolio().size());
    for (int k = 1; k <= n + 1; ++k)  // the last two: the display's refresh, every security valued
        for (int request = 0; request < 2; ++request)
            expected.push_back("security " + std::to_string(std::min(k, n)) + " of " + std::to_string(n) + " " +
                               std::to_string((k - 1) * 100 / n) + "%");
    EXPECT_EQ(seen, expected);
    EXPECT_FALSE(p.Label("LabelRunProgress").visible);
    EXPECT_EQ(p.Caption("LabelProgress"), "");
    EXPECT_FALSE(p.Do("cell Results 2 1"));  // the view is closed
    ASSERT_TRUE(p.Do("click BtnResults"));
    ASSERT_TRUE(p.Do("cell Results 2 1"));
    for (const char* wrong : {"cell Results 7 0", "cell Results 0 2", "cell Results -2 0", "sort Results 2",
                              "cell LstSecurity 0 0", "cell Results 1"})
        EXPECT_THROW(p.Do(wrong), ActionError) << wrong;
}

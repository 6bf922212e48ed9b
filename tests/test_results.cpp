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
    Portfolio model = PortfolioOf(SplitItems(Records(holdings), '|'), kUpAndDown);
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

// Each type's legs come from the price it is valued by: under "Up 50", the
// move of that price and the stock leg (the stock 40 -> 60) of the first
// four securities of MixedPortfolio.
constexpr std::array<std::pair<double, double>, 4> kUpLegs = {{
    {130 - 100, 20 * -2000},                      // Bond CV: estimated price, on -2000 shares
    {60 - 40, 0},                                 // Stock: its own price; no stock leg
    {(110 - 91) - (95 - 90), 10 * -1000 / 1.25},  // Option AS: value above the floor
    {75 - 70, 15 * -500},                         // Discount DS: bond floor
}};

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
                EXPECT_GE(std::fabs(drivers[i > 0 ? i - 1 : 0].subImpact), std::fabs(d.subImpact)) << "largest first";
                if (s == 0 && d.security < static_cast<int>(kUpLegs.size())) {
                    const auto [priceMove, stockLeg] = kUpLegs[static_cast<std::size_t>(d.security)];
                    EXPECT_EQ(std::tie(d.legs.priceMove, d.legs.stock), std::tie(priceMove, stockLeg)) << d.security;
                }
                shares += d.share.value();
            }
            EXPECT_NEAR(shares, 1, 1e-9);
        }
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
        {"S 10%, hedged", Ch(10, 0, 0), {0}, "S 10%, hedged"},   // more than its changes
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
        std::vector<int> clicks;  // on the headers: the descriptions' or a scenario's
        std::vector<int> order;
    } const kCases[] = {
        {{}, {0, 1, 2, 3}},  {{kByDescription}, {1, 2, 0, 3}}, {{kByDescription, kByDescription}, {3, 0, 2, 1}},
        {{0}, {2, 0, 3, 1}}, {{0, 0}, {0, 3, 2, 1}},           {{0, 0, kByDescription}, {1, 2, 0, 3}}};
    for (const Case& c : kCases) {
        ResultsSort sort;
        for (int column : c.clicks) sort = NextSort(sort, column);
        EXPECT_EQ(SortedSecurities(table, sort), c.order) << ::testing::PrintToString(c.clicks);
    }
}

// ---- CSV

TEST(ResultsCsv, TextFieldsOpenAsTextInASpreadsheetAndEachScenarioHasALineOfPlainNumbers) {
    const char* const kTexts[] = {"Stock +10%", "Up, then down", "The \"big\" one",         "=1+2",       "+10%",
                                  "-10%",       "@SUM(A1)",      "=HYPERLINK(\"x\",\"y\")", "two\nlines", ""};
    const char* const kFields[] = {"Stock +10%",
                                   "\"Up, then down\"",
                                   "\"The \"\"big\"\" one\"",
                                   "'=1+2",
                                   "'+10%",
                                   "'-10%",
                                   "'@SUM(A1)",
                                   "\"'=HYPERLINK(\"\"x\"\",\"\"y\"\")\"",
                                   "\"two\nlines\"",
                                   ""};
    for (std::size_t i = 0; i < std::size(kTexts); ++i) EXPECT_EQ(CsvText(kTexts[i]), kFields[i]) << kTexts[i];
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
// (golden/results_stale); the count of the securities during an Update: web/tests/update.test.js.

TEST(ResultsPanelView, TheViewOpensWithItsButtonAndRefusesCellsItDoesNotHave) {
    Harness p;
    p.StartWithZeros(Records(MixedPortfolio()), kUpAndDown);
    ASSERT_TRUE(p.Do("click UpdateBtn"));
    EXPECT_FALSE(p.Do("cell Results 2 1"));  // the view is closed
    ASSERT_TRUE(p.Do("click BtnResults"));
    ASSERT_TRUE(p.Do("cell Results 2 1"));
    for (const char* wrong : {"cell Results 7 0", "cell Results 0 2", "cell Results -2 0", "sort Results 2",
                              "cell LstSecurity 0 0", "cell Results 1"})
        EXPECT_THROW(p.Do(wrong), ActionError) << wrong;
}

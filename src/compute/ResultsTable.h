#pragma once
// The results at a glance, computed from the portfolio's records: every
// security's sub-impact under every scenario with the scenario totals (as
// the impact run left them), the heatmap of the totals over the scenarios'
// changes, the drivers of one scenario's total, and the table as CSV text.
// No panel is involved; the control's results view shows what this gives.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "compute/ImpactLegs.h"
#include "portfolio/Portfolio.h"
#include "toolkit/Color.h"

namespace zemra {

// The changes that define a scenario, by ScenarioPropertiesIdx: stock,
// rate, volatility, time, credit spread and tuner value.
constexpr int kScenarioChanges = 6;
// What each change is called where the results show it.
extern const std::array<const char*, kScenarioChanges> kScenarioChangeNames;

struct ResultsScenario {
    std::string description;
    std::array<double, kScenarioChanges> changes{};
    double total = 0;  // the scenario's $Impact
};

struct ResultsTable {
    std::vector<std::string> securities;     // descriptions, in list order
    std::vector<ResultsScenario> scenarios;  // in list order
    // Security-major: the sub-impact of security k under scenario s stands
    // at k * scenarios + s; nothing where the security adds nothing to the
    // scenario's total.
    std::vector<std::optional<double>> subImpacts;

    int SecurityCount() const { return static_cast<int>(securities.size()); }
    int ScenarioCount() const { return static_cast<int>(scenarios.size()); }
    // Both 0-based.
    const std::optional<double>& SubImpact(int security, int scenario) const;
};

// The sub-impacts the last impact run wrote into the valuations and each
// scenario's total. A security that added nothing to a scenario's total
// (no price its type needs) has no sub-impact there, so that each
// scenario's sub-impacts add up to its total.
ResultsTable BuildResultsTable(const Portfolio& portfolio);
// The same into `table`, whose room is kept for the next.
void BuildResultsTable(const Portfolio& portfolio, ResultsTable& table);

// The order the securities are listed in: list order, by description, or by
// their sub-impact under one scenario (those without one last).
constexpr int kListOrder = -2;
constexpr int kByDescription = -1;
struct ResultsSort {
    int column = kListOrder;  // kListOrder, kByDescription or a 0-based scenario
    bool descending = false;
    bool operator==(const ResultsSort&) const = default;
};
// A click on a column's header: that column ascending, or the other way
// round when it already sorts by it.
ResultsSort NextSort(const ResultsSort& current, int column);
// The 0-based security positions in the sort's order (ties keep list order).
std::vector<int> SortedSecurities(const ResultsTable& table, const ResultsSort& sort);

struct HeatmapAxis {
    int change = -1;             // a ScenarioPropertiesIdx
    std::vector<double> values;  // ascending
};

// The changes that take more than one value over the scenarios, by index,
// and the values one change takes, ascending.
std::vector<int> VaryingChanges(const ResultsTable& table);
std::vector<double> ChangeValues(const ResultsTable& table, int change);

// The user's choice of the heatmap's axes (ScenarioPropertiesIdx; -1 or a
// change that does not vary: the first and second varying changes) and of
// the value each other varying change is held at (nothing, or a value it
// does not take: 0 when it takes 0, else its lowest).
struct HeatmapChoice {
    int columns = -1, rows = -1;
    std::array<std::optional<double>, kScenarioChanges> held{};
};

// The scenario totals laid out over the scenarios' changes: a grid with
// one chosen varying change across and another down, each cell the
// scenario with that pair of values (or none) among the scenarios at the
// held values of the other varying changes. A grid needs two varying
// changes whose pairs no two scenarios share or, when more vary, scenarios
// that make up the whole matrix of their values (as a generated matrix
// does). Otherwise one bar per scenario.
struct Heatmap {
    bool grid = false;
    HeatmapAxis rows, columns;
    std::vector<int> cells;                    // row-major, rows x columns: a 0-based scenario or -1
    std::vector<std::pair<int, double>> held;  // the other varying changes and their values
    int worst = -1;                            // of the cells shown, the most negative total (the first of equals)
    int best = -1;                             // and the largest
    double low = 0, high = 0;                  // the lowest and highest total of every scenario
    int Cell(int row, int column) const;
};
Heatmap BuildHeatmap(const ResultsTable& table, const HeatmapChoice& choice = {});

// A column's header: a scenario whose description only restates its
// changes (as a generated matrix's does) is named by the changes in
// `varying`, shortly ("S −20 · V −20 · C −50"); any other
// by its description.
std::string ScenarioHeader(const ResultsScenario& scenario, const std::vector<int>& varying, char decimalSeparator);

// A colour-blind-safe diverging scale: white at 0, deepening to orange for
// losses and to blue for gains, in proportion to the value's size against
// the larger of |low| and |high|.
Rgb HeatColor(double value, double low, double high);
// Black or white, whichever reads better on `background`.
Rgb TextColorOn(const Rgb& background);

// One security's part in a scenario's total.
struct Driver {
    int security = 0;  // 0-based
    double subImpact = 0;
    std::optional<double> share;  // of the scenario's total; nothing when the total is 0
    ImpactLegs legs;              // what the sub-impact is made of
};
// The securities that add to the 0-based scenario's total, the largest
// sub-impact (by size) first; `legs` gives what a security's sub-impact is
// made of (nothing: the security is left out).
using LegsOf = std::function<std::optional<ImpactLegs>(int security)>;
std::vector<Driver> ScenarioDrivers(const ResultsTable& table, int scenario, const LegsOf& legs);

// A text field of CSV: quoted when it holds a comma, a quote or a line
// break (a quote doubled), and a leading "=", "+", "-", "@", tab or carriage
// return made plain text with a leading apostrophe, so that a spreadsheet
// does not take it for a formula.
std::string CsvText(const std::string& text);
// The table as CSV: a header line, then one line per scenario: its
// description, its changes, its total and each security's sub-impact, as
// plain numbers with "." as the decimal sign (figures rounded to cents).
// Lines end with CR LF.
std::string ResultsCsv(const ResultsTable& table);

}  // namespace zemra

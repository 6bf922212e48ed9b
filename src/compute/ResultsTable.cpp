#include "compute/ResultsTable.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <set>

#include "records/Indexes.h"
#include "toolkit/NumberText.h"

namespace zemra {

const std::array<const char*, kScenarioChanges> kScenarioChangeNames = {
    "Stk Change(%)", "Rate Change(bp)", "Vol Change(%)", "Time Change(d)", "Credit Spread Change(%)", "Tuner Value"};

const std::optional<double>& ResultsTable::SubImpact(int security, int scenario) const {
    return subImpacts.at(static_cast<std::size_t>(security) * scenarios.size() + static_cast<std::size_t>(scenario));
}

ResultsTable BuildResultsTable(const Portfolio& portfolio) {
    ResultsTable table;
    const auto& scenarios = portfolio.Scenarios();
    for (int s = 1; s <= scenarios.Count(); ++s) {
        const CScenario& scen = scenarios.Item(s);
        ResultsScenario row{scen.Getdescription(), {}, scen.GetImpact()};
        for (int c = 0; c < kScenarioChanges; ++c)
            row.changes[static_cast<std::size_t>(c)] = scen.GetScenarioProperties(c);
        table.scenarios.push_back(std::move(row));
    }
    const int valued = portfolio.Valuations().Count();
    table.subImpacts.reserve(static_cast<std::size_t>(portfolio.Securities().Count()) * table.scenarios.size());
    for (int k = 1; k <= portfolio.Securities().Count(); ++k) {
        const CSecurity& sec = portfolio.Securities().Item(k);
        table.securities.push_back(sec.Getdescription());
        // The same rule as the sub-impact's legs: a usable FxToUsd and the
        // price the security's type is valued by.
        const std::optional<double> fx = ParseNumber(sec.GetFxToUsd(), Locale{});
        const bool divisible = fx && *fx != 0 && k <= valued;
        const ImpactBasis basis = ImpactBasisOf(sec.GetSectype());
        for (int s = 1; s <= scenarios.Count(); ++s) {
            std::optional<double> cell;
            if (divisible) {
                const CValuation& val = portfolio.ValuationAt(k, s);
                if (HasPriceToValue(basis, val)) cell = val.Getvaluation(m_SubImpact);
            }
            table.subImpacts.push_back(cell);
        }
    }
    return table;
}

ResultsSort NextSort(const ResultsSort& current, int column) {
    if (current.column == column) return {column, !current.descending};
    return {column, false};
}

std::vector<int> SortedSecurities(const ResultsTable& table, const ResultsSort& sort) {
    std::vector<int> order(static_cast<std::size_t>(table.SecurityCount()));
    std::iota(order.begin(), order.end(), 0);
    if (sort.column == kByDescription) {
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            const auto& x = table.securities[static_cast<std::size_t>(a)];
            const auto& y = table.securities[static_cast<std::size_t>(b)];
            return sort.descending ? y < x : x < y;
        });
    } else if (sort.column >= 0 && sort.column < table.ScenarioCount()) {
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            const auto& x = table.SubImpact(a, sort.column);
            const auto& y = table.SubImpact(b, sort.column);
            if (!x || !y) return x.has_value() && !y.has_value();  // empty cells last
            return sort.descending ? *y < *x : *x < *y;
        });
    }
    return order;
}

int Heatmap::Cell(int row, int column) const {
    return cells.at(static_cast<std::size_t>(row) * columns.values.size() + static_cast<std::size_t>(column));
}

namespace {

// The distinct values of one change over the scenarios, ascending.
std::vector<double> DistinctValues(const ResultsTable& table, int change) {
    std::set<double> values;
    for (const auto& s : table.scenarios) values.insert(s.changes[static_cast<std::size_t>(change)]);
    return {values.begin(), values.end()};
}

int IndexOf(const std::vector<double>& values, double v) {
    return static_cast<int>(std::lower_bound(values.begin(), values.end(), v) - values.begin());
}

void LayOutGrid(const ResultsTable& table, Heatmap& map) {
    std::vector<int> varying;
    for (int c = 0; c < kScenarioChanges; ++c)
        if (DistinctValues(table, c).size() > 1) varying.push_back(c);
    if (varying.size() != 2) return;
    HeatmapAxis columns{varying[0], DistinctValues(table, varying[0])};
    HeatmapAxis rows{varying[1], DistinctValues(table, varying[1])};
    std::vector<int> cells(rows.values.size() * columns.values.size(), -1);
    for (int s = 0; s < table.ScenarioCount(); ++s) {
        const auto& changes = table.scenarios[static_cast<std::size_t>(s)].changes;
        const int r = IndexOf(rows.values, changes[static_cast<std::size_t>(rows.change)]);
        const int c = IndexOf(columns.values, changes[static_cast<std::size_t>(columns.change)]);
        int& cell = cells[static_cast<std::size_t>(r) * columns.values.size() + static_cast<std::size_t>(c)];
        if (cell >= 0) return;  // two scenarios on one point: no grid
        cell = s;
    }
    map.grid = true;
    map.rows = std::move(rows);
    map.columns = std::move(columns);
    map.cells = std::move(cells);
}

uint8_t Blend(uint8_t from, uint8_t to, double t) { return static_cast<uint8_t>(std::lround(from + (to - from) * t)); }

}  // namespace

Heatmap BuildHeatmap(const ResultsTable& table) {
    Heatmap map;
    for (int s = 0; s < table.ScenarioCount(); ++s) {
        const double total = table.scenarios[static_cast<std::size_t>(s)].total;
        if (map.worst < 0 || total < map.low) map.low = total, map.worst = s;
        if (map.best < 0 || total > map.high) map.high = total, map.best = s;
    }
    LayOutGrid(table, map);
    return map;
}

Rgb HeatColor(double value, double low, double high) {
    // The ends of the scale: a dark orange for losses, a dark blue for
    // gains (told apart with every common colour-vision deficiency).
    constexpr Rgb kLoss{179, 88, 6}, kGain{33, 102, 172};
    const double range = std::max(std::fabs(low), std::fabs(high));
    if (range == 0 || !std::isfinite(value) || value == 0) return kWhite;
    const double t = std::min(std::fabs(value) / range, 1.0);
    const Rgb& end = value < 0 ? kLoss : kGain;
    return {Blend(kWhite.r, end.r, t), Blend(kWhite.g, end.g, t), Blend(kWhite.b, end.b, t)};
}

Rgb TextColorOn(const Rgb& background) {
    const double luminance = 0.299 * background.r + 0.587 * background.g + 0.114 * background.b;
    return luminance < 140 ? kWhite : kBlack;
}

std::vector<Driver> ScenarioDrivers(const Portfolio& portfolio, const ResultsTable& table, int scenario) {
    std::vector<Driver> drivers;
    if (scenario < 0 || scenario >= table.ScenarioCount()) return drivers;
    const double total = table.scenarios[static_cast<std::size_t>(scenario)].total;
    for (int k = 0; k < table.SecurityCount(); ++k) {
        const auto& cell = table.SubImpact(k, scenario);
        if (!cell || k >= portfolio.Valuations().Count()) continue;
        // A run that stopped part way leaves valuations newer than the
        // sub-impacts: a security whose legs it no longer gives is left out.
        const auto legs = SubImpactLegs(portfolio.Securities().Item(k + 1), portfolio.Scenarios().Item(scenario + 1),
                                        portfolio.ValuationAt(k + 1, scenario + 1));
        if (!legs) continue;
        Driver d;
        d.security = k;
        d.subImpact = *cell;
        if (total != 0) d.share = *cell / total;
        d.legs = *legs;
        drivers.push_back(d);
    }
    std::stable_sort(drivers.begin(), drivers.end(),
                     [](const Driver& a, const Driver& b) { return std::fabs(a.subImpact) > std::fabs(b.subImpact); });
    return drivers;
}

std::string CsvText(const std::string& text) {
    std::string field = text;
    if (!field.empty() && std::string_view("=+-@\t\r").find(field.front()) != std::string_view::npos)
        field.insert(0, 1, '\'');
    if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
    std::string quoted = "\"";
    for (char c : field) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

namespace {

std::string CsvNumber(double value) { return std::isfinite(value) ? PlainNumber(RoundHalfAway(value, 2)) : ""; }

}  // namespace

std::string ResultsCsv(const ResultsTable& table) {
    std::string csv = "Scenario";
    for (const char* name : kScenarioChangeNames) csv += std::string(",") + CsvText(name);
    csv += ",Total";
    for (const auto& sec : table.securities) csv += "," + CsvText(sec);
    csv += "\r\n";
    for (int s = 0; s < table.ScenarioCount(); ++s) {
        const auto& scen = table.scenarios[static_cast<std::size_t>(s)];
        csv += CsvText(scen.description);
        for (double change : scen.changes) csv += "," + PlainNumber(change);
        csv += "," + CsvNumber(scen.total);
        for (int k = 0; k < table.SecurityCount(); ++k) {
            csv += ",";
            if (const auto& cell = table.SubImpact(k, s)) csv += CsvNumber(*cell);
        }
        csv += "\r\n";
    }
    return csv;
}

}  // namespace zemra

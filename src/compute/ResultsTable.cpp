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
    BuildResultsTable(portfolio, table);
    return table;
}

void BuildResultsTable(const Portfolio& portfolio, ResultsTable& table) {
    table.securities.clear();
    table.scenarios.clear();
    table.subImpacts.clear();
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
        if (!divisible) {
            table.subImpacts.resize(table.subImpacts.size() + table.scenarios.size());
            continue;
        }
        const ValuationRow& row = portfolio.Valuations().Item(k);
        for (int s = 1; s <= scenarios.Count(); ++s) {
            const CValuation& val = row.Item(s);
            table.subImpacts.push_back(HasPriceToValue(basis, val) ? std::optional(val.Getvaluation(m_SubImpact))
                                                                   : std::nullopt);
        }
    }
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

std::vector<double> ChangeValues(const ResultsTable& table, int change) {
    std::set<double> values;
    for (const auto& s : table.scenarios) values.insert(s.changes[static_cast<std::size_t>(change)]);
    return {values.begin(), values.end()};
}

std::vector<int> VaryingChanges(const ResultsTable& table) {
    std::vector<int> varying;
    for (int c = 0; c < kScenarioChanges; ++c)
        if (ChangeValues(table, c).size() > 1) varying.push_back(c);
    return varying;
}

namespace {

int IndexOf(const std::vector<double>& values, double v) {
    return static_cast<int>(std::lower_bound(values.begin(), values.end(), v) - values.begin());
}

// The chosen change when it varies, else the first varying change other
// than `other`.
int AxisOf(int chosen, int other, const std::vector<int>& varying) {
    if (chosen != other && std::find(varying.begin(), varying.end(), chosen) != varying.end()) return chosen;
    for (int c : varying)
        if (c != other) return c;
    return -1;
}

void LayOutGrid(const ResultsTable& table, const HeatmapChoice& choice, Heatmap& map) {
    const std::vector<int> varying = VaryingChanges(table);
    if (varying.size() < 2) return;
    if (varying.size() > 2) {
        // Every combination of the varying changes' values, once each.
        double combinations = 1;
        for (int c : varying) combinations *= static_cast<double>(ChangeValues(table, c).size());
        if (combinations != table.ScenarioCount()) return;
    }
    const int across = AxisOf(choice.columns, -1, varying);
    const int down = AxisOf(choice.rows, across, varying);
    HeatmapAxis columns{across, ChangeValues(table, across)};
    HeatmapAxis rows{down, ChangeValues(table, down)};
    std::vector<std::pair<int, double>> held;
    for (int c : varying) {
        if (c == across || c == down) continue;
        const std::vector<double> values = ChangeValues(table, c);
        const auto& wanted = choice.held[static_cast<std::size_t>(c)];
        const bool takes = wanted && std::binary_search(values.begin(), values.end(), *wanted);
        const bool zero = std::binary_search(values.begin(), values.end(), 0.0);
        held.emplace_back(c, takes ? *wanted : zero ? 0.0 : values.front());
    }
    std::vector<int> cells(rows.values.size() * columns.values.size(), -1);
    for (int s = 0; s < table.ScenarioCount(); ++s) {
        const auto& changes = table.scenarios[static_cast<std::size_t>(s)].changes;
        const bool shown = std::all_of(held.begin(), held.end(), [&](const auto& h) {
            return changes[static_cast<std::size_t>(h.first)] == h.second;
        });
        if (!shown) continue;
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
    map.held = std::move(held);
}

uint8_t Blend(uint8_t from, uint8_t to, double t) { return static_cast<uint8_t>(std::lround(from + (to - from) * t)); }

// How each change is named in a column's header, and how a generated
// matrix's description writes it (in that order).
struct ChangePart {
    int change;
    const char* shortName;
    const char* prefix;
    const char* suffix;
};
constexpr ChangePart kShortNames[] = {{m_StkChgIdx, "S", "S ", "%,"}, {m_RateChgIdx, "R", "R ", "bp,"},
                                      {m_VolChgIdx, "V", "V ", "%,"}, {m_CreditSprdChgIdx, "C", "C ", "%,"},
                                      {m_TimeIdx, "T", "T ", ""},     {m_TunerValIdx, "TV", nullptr, nullptr}};

}  // namespace

Heatmap BuildHeatmap(const ResultsTable& table, const HeatmapChoice& choice) {
    Heatmap map;
    for (int s = 0; s < table.ScenarioCount(); ++s) {
        const double total = table.scenarios[static_cast<std::size_t>(s)].total;
        if (s == 0 || total < map.low) map.low = total;
        if (s == 0 || total > map.high) map.high = total;
    }
    LayOutGrid(table, choice, map);
    std::vector<int> shown(map.cells);
    if (!map.grid) {
        shown.resize(static_cast<std::size_t>(table.ScenarioCount()));
        std::iota(shown.begin(), shown.end(), 0);
    }
    for (int s : shown) {
        if (s < 0) continue;
        const double total = table.scenarios[static_cast<std::size_t>(s)].total;
        const auto totalOf = [&](int t) { return table.scenarios[static_cast<std::size_t>(t)].total; };
        if (map.worst < 0 || total < totalOf(map.worst) || (total == totalOf(map.worst) && s < map.worst))
            map.worst = s;
        if (map.best < 0 || total > totalOf(map.best) || (total == totalOf(map.best) && s < map.best)) map.best = s;
    }
    return map;
}

std::string ScenarioHeader(const ResultsScenario& scenario, const std::vector<int>& varying, char decimalSeparator) {
    const auto text = [&](int change) {
        return PlainNumber(scenario.changes[static_cast<std::size_t>(change)], decimalSeparator);
    };
    // Does the description say no more than the changes?
    std::size_t at = 0;
    for (const ChangePart& p : kShortNames) {
        if (!p.prefix) continue;
        const std::string part = p.prefix + text(p.change) + p.suffix;
        if (scenario.description.compare(at, part.size(), part) == 0) at += part.size();
    }
    if (at == 0 || at != scenario.description.size() || varying.empty()) return scenario.description;
    std::string header;
    for (const ChangePart& p : kShortNames) {
        if (std::find(varying.begin(), varying.end(), p.change) == varying.end()) continue;
        std::string value = text(p.change);
        if (value.starts_with('-')) value.replace(0, 1, "\u2212");
        header += (header.empty() ? "" : " \u00b7 ") + std::string(p.shortName) + " " + value;
    }
    return header;
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

std::vector<Driver> ScenarioDrivers(const ResultsTable& table, int scenario, const LegsOf& legsOf) {
    std::vector<Driver> drivers;
    if (scenario < 0 || scenario >= table.ScenarioCount()) return drivers;
    const double total = table.scenarios[static_cast<std::size_t>(scenario)].total;
    for (int k = 0; k < table.SecurityCount(); ++k) {
        const auto& cell = table.SubImpact(k, scenario);
        if (!cell) continue;
        const auto legs = legsOf(k);
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

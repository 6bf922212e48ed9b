// The results view beside the panel: the table of every security's
// sub-impact under every scenario with the portfolio's totals, the heatmap
// of the totals, the drivers of the current scenario and the CSV export;
// and the count of securities valued during an Update. The figures come
// from display/ResultsTable.h; this file turns them into what the views
// show and keeps the views in step with the panel's selection.
#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

#include "display/ResultsView.h"
#include "toolkit/NumberText.h"

namespace zemra {

namespace {

// A figure as the views show it: whole dollars, grouped, negative in
// parentheses (as the impact list shows totals), with its value.
JsonValue Figure(double value, const Locale& locale) {
    JsonValue j;
    j["value"] = static_cast<long long>(RoundHalfAway(value, 0));
    j["text"] = FormatGrouped(value, 0, locale);
    return j;
}

JsonValue ScenarioSummary(const ResultsScenario& scen, int scenario, const Locale& locale) {
    JsonValue j = Figure(scen.total, locale);
    j["scenario"] = scenario;
    j["description"] = scen.description;
    return j;
}

// A window's range over `count` items.
std::pair<int, int> Range(int first, int size, int count) {
    const int from = std::clamp(first, 0, count);
    const int to = size < 0 ? count : std::clamp(from + size, from, count);
    return {from, to};
}

}  // namespace

ResultsView::ResultsView(PanelContext& ctx, const ResultsWidgets& widgets) : ResultsWidgets(widgets), ctx_(ctx) {
    BtnResults->Click = [this] { BtnResults_Click(); };
    ViewResults->CellClick = [this](int row, int column) { Results_CellClick(row, column); };
    ViewResults->HeaderClick = [this](int column) { Results_HeaderClick(column); };
    ViewHeatmap->CellClick = [this](int, int column) { Results_CellClick(-1, column); };
    ViewResults->content = [this](const DataView::Window& window) { return ResultsContent(window); };
    ViewHeatmap->content = [this](const DataView::Window&) { return HeatmapContent(); };
    ViewDrivers->content = [this](const DataView::Window&) { return DriversContent(); };
    ViewCsv->content = [this](const DataView::Window&) {
        JsonValue j;
        j["fileName"] = "impact-results.csv";
        j["text"] = ResultsCsv(CurrentResults());
        return j;
    };
}

void ResultsView::BtnResults_Click() {
    const bool show = !ViewResults->visible;
    for (DataView* view : {ViewResults, ViewHeatmap, ViewDrivers, ViewCsv}) view->visible = show;
    ShowResultsView();
}

// A cell selects its security and its scenario on the panel, as clicks on
// their rows of the security list and the impact list do; a cell of the
// portfolio row (security -1) selects only the scenario.
void ResultsView::Results_CellClick(int security, int scenario) {
    struct Hold {
        bool& held;
        ~Hold() { held = false; }
    } hold{holdResults_ = true};
    ListBox& securities = ctx_.SecurityList();
    ListBox& impacts = ctx_.ImpactList();
    if (security >= 0 && security < securities.Count() &&
        (securities.ListIndex() != security || securities.SelCount() != 1))
        securities.UserClickRow(security);
    if (scenario >= 0 && scenario < impacts.Count() && ctx_.ScenarioList().ListIndex() != scenario)
        impacts.UserClickRow(scenario);
    holdResults_ = false;
    ShowResultsView();
}

void ResultsView::Results_HeaderClick(int column) {
    resultsSort_ = NextSort(resultsSort_, column);
    ShowResultsView();
}

// Brings the views in step with the records and the selection: each view's
// revision moves when what it shows has changed, so that a host fetches it
// again only then.
void ResultsView::ShowResultsView() {
    if (holdResults_) return;
    const std::array<int, 4> now{impactRuns_, ctx_.portfolio.Securities().Count(), ctx_.portfolio.Scenarios().Count(),
                                 resultsSort_.column * 2 + (resultsSort_.descending ? 1 : 0)};
    // A scenario renamed, modified or reloaded changes the view as well.
    std::size_t scenarios = 0;
    const auto mix = [&scenarios](std::size_t h) { scenarios = scenarios * 1000003u ^ h; };
    for (int s = 1; s <= ctx_.portfolio.Scenarios().Count(); ++s) {
        const CScenario& scen = ctx_.portfolio.Scenarios().Item(s);
        mix(std::hash<std::string>{}(scen.Getdescription()));
        for (int c = 0; c < kScenarioChanges; ++c) mix(std::hash<double>{}(scen.GetScenarioProperties(c)));
        mix(std::hash<double>{}(scen.GetImpact()));
    }
    const bool changed = now != resultsShown_ || scenarios != resultsScenarios_;
    if (changed) {
        resultsShown_ = now;
        resultsScenarios_ = scenarios;
        resultsTable_.reset();
        for (DataView* view : {ViewResults, ViewHeatmap, ViewCsv}) ++view->revision;
    }
    const int security = ctx_.SecurityList().ListIndex(), scenario = ctx_.ScenarioList().ListIndex();
    if (changed || ViewDrivers->currentColumn != scenario) ++ViewDrivers->revision;
    for (DataView* view : {ViewResults, ViewHeatmap, ViewDrivers, ViewCsv}) {
        view->rowCount = now[1];
        view->columnCount = now[2];
        view->currentRow = security;
        view->currentColumn = scenario;
    }
}

// `done` securities of `securities` have their replies: the caption names
// the one being valued (the last once all are in), the bar what is done.
void ResultsView::ShowRunProgress(int done, int securities) {
    const int current = std::min(done + 1, securities);
    LabelRunProgress->caption = "security " + std::to_string(current) + " of " + std::to_string(securities);
    LabelRunProgress->percent = securities > 0 ? done * 100 / securities : 0;
    LabelRunProgress->visible = true;
}

void ResultsView::HideRunProgress() {
    LabelRunProgress->caption.clear();
    LabelRunProgress->percent = -1;
    LabelRunProgress->visible = false;
}

const ResultsTable& ResultsView::CurrentResults() {
    if (!resultsTable_) resultsTable_ = BuildResultsTable(ctx_.portfolio);
    return *resultsTable_;
}

// A window of the table: the securities in the chosen order as rows, the
// scenarios as columns with their changes and totals (the portfolio row).
JsonValue ResultsView::ResultsContent(const DataView::Window& window) {
    const ResultsTable& table = CurrentResults();
    const std::vector<int> order = SortedSecurities(table, resultsSort_);
    const auto [firstRow, endRow] = Range(window.firstRow, window.rows, table.SecurityCount());
    const auto [firstColumn, endColumn] = Range(window.firstColumn, window.columns, table.ScenarioCount());
    JsonValue j;
    j["rowCount"] = table.SecurityCount();
    j["columnCount"] = table.ScenarioCount();
    j["sort"]["column"] = resultsSort_.column;
    j["sort"]["descending"] = resultsSort_.descending;
    j["firstRow"] = firstRow;
    j["firstColumn"] = firstColumn;
    JsonValue columns = JsonValue::Array();
    for (int s = firstColumn; s < endColumn; ++s) {
        const ResultsScenario& scen = table.scenarios[static_cast<std::size_t>(s)];
        JsonValue c = ScenarioSummary(scen, s, Loc());
        JsonValue changes = JsonValue::Array();
        for (double change : scen.changes) changes.Push(PlainNumber(change, Loc().decimalSeparator));
        c["changes"] = std::move(changes);
        columns.Push(std::move(c));
    }
    j["columns"] = std::move(columns);
    JsonValue rows = JsonValue::Array();
    for (int r = firstRow; r < endRow; ++r) {
        const int k = order[static_cast<std::size_t>(r)];
        JsonValue row;
        row["security"] = k;
        row["description"] = table.securities[static_cast<std::size_t>(k)];
        JsonValue cells = JsonValue::Array();
        for (int s = firstColumn; s < endColumn; ++s) {
            const auto& cell = table.SubImpact(k, s);
            cells.Push(cell ? Figure(*cell, Loc()) : JsonValue());
        }
        row["cells"] = std::move(cells);
        rows.Push(std::move(row));
    }
    j["rows"] = std::move(rows);
    return j;
}

JsonValue ResultsView::HeatmapContent() {
    const ResultsTable& table = CurrentResults();
    const Heatmap map = BuildHeatmap(table);
    auto cell = [&](int s) {
        const ResultsScenario& scen = table.scenarios[static_cast<std::size_t>(s)];
        JsonValue c = ScenarioSummary(scen, s, Loc());
        const Rgb back = HeatColor(scen.total, map.low, map.high);
        c["color"] = back.Hex();
        c["textColor"] = TextColorOn(back).Hex();
        return c;
    };
    auto axis = [&](const HeatmapAxis& a) {
        JsonValue j;
        j["change"] = kScenarioChangeNames[static_cast<std::size_t>(a.change)];
        JsonValue values = JsonValue::Array();
        for (double v : a.values) values.Push(PlainNumber(v, Loc().decimalSeparator));
        j["values"] = std::move(values);
        return j;
    };
    JsonValue j;
    j["layout"] = map.grid ? "grid" : "bars";
    if (map.grid) {
        j["rows"] = axis(map.rows);
        j["columns"] = axis(map.columns);
        JsonValue grid = JsonValue::Array();
        for (int r = 0; r < static_cast<int>(map.rows.values.size()); ++r) {
            JsonValue line = JsonValue::Array();
            for (int c = 0; c < static_cast<int>(map.columns.values.size()); ++c) {
                const int s = map.Cell(r, c);
                line.Push(s >= 0 ? cell(s) : JsonValue());
            }
            grid.Push(std::move(line));
        }
        j["cells"] = std::move(grid);
    } else {
        // Each bar's length in percent of the largest total's size.
        const double range = std::max(std::fabs(map.low), std::fabs(map.high));
        JsonValue bars = JsonValue::Array();
        for (int s = 0; s < table.ScenarioCount(); ++s) {
            JsonValue b = cell(s);
            const double total = table.scenarios[static_cast<std::size_t>(s)].total;
            b["extent"] = range > 0 ? static_cast<long long>(RoundHalfAway(std::fabs(total) / range * 100, 0)) : 0LL;
            bars.Push(std::move(b));
        }
        j["bars"] = std::move(bars);
    }
    if (map.worst >= 0) {
        j["worst"] = ScenarioSummary(table.scenarios[static_cast<std::size_t>(map.worst)], map.worst, Loc());
        j["best"] = ScenarioSummary(table.scenarios[static_cast<std::size_t>(map.best)], map.best, Loc());
        JsonValue scale;
        scale["low"] = Figure(map.low, Loc());
        scale["low"]["color"] = HeatColor(map.low, map.low, map.high).Hex();
        scale["high"] = Figure(map.high, Loc());
        scale["high"]["color"] = HeatColor(map.high, map.low, map.high).Hex();
        j["scale"] = std::move(scale);
    }
    return j;
}

// The current scenario's total by security, the largest part first, with
// what each part is made of: the price move, the price and stock legs and
// the carry.
JsonValue ResultsView::DriversContent() {
    const ResultsTable& table = CurrentResults();
    const int scenario = ctx_.ScenarioList().ListIndex();
    JsonValue j;
    if (scenario < 0 || scenario >= table.ScenarioCount()) return j;
    j = ScenarioSummary(table.scenarios[static_cast<std::size_t>(scenario)], scenario, Loc());
    JsonValue drivers = JsonValue::Array();
    for (const Driver& d : ScenarioDrivers(ctx_.portfolio, table, scenario)) {
        JsonValue row;
        row["security"] = d.security;
        row["description"] = table.securities[static_cast<std::size_t>(d.security)];
        row["subImpact"] = Figure(d.subImpact, Loc());
        row["share"] = d.share ? FormatGrouped(*d.share * 100, 1, Loc()) + "%" : std::string();
        row["priceMove"] = FormatGrouped(d.legs.priceMove, 2, Loc());
        row["priceLeg"] = Figure(d.legs.price, Loc());
        row["stockLeg"] = Figure(d.legs.stock, Loc());
        row["carry"] = Figure(d.legs.carry, Loc());
        drivers.Push(std::move(row));
    }
    j["drivers"] = std::move(drivers);
    return j;
}

}  // namespace zemra

// The results view beside the panel: the table of every security's
// sub-impact under every scenario with the portfolio's totals, the heatmap
// of the totals, the drivers of the current scenario and the CSV export;
// and the count of securities valued during an Update. The figures come
// from display/ResultsTable.h; this file turns them into what the views
// show and keeps the views in step with the panel's selection.
#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>

#include "display/ResultsView.h"
#include "records/Indexes.h"
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

// What the views say while the panel's edits wait for an Update.
constexpr const char* kStaleMark =
    "Figures of the last Update: the panel has edits not valued yet (click Update to recalculate)";

// Where each record of the run stands in its list now (0-based), for those
// still listed.
template <class T>
std::vector<std::pair<int, int>> StillListed(const std::vector<std::weak_ptr<T>>& ids, const Collection<T>& list) {
    std::unordered_map<const T*, int> at;
    for (int p = 1; p <= list.Count(); ++p) at.emplace(list.Shared(p).get(), p - 1);
    std::vector<std::pair<int, int>> kept;
    for (std::size_t k = 0; k < ids.size(); ++k)
        if (const auto record = ids[k].lock())
            if (const auto found = at.find(record.get()); found != at.end())
                kept.emplace_back(static_cast<int>(k), found->second);
    return kept;
}

// The shown index of a list position, or -1.
int ShownIndex(const std::vector<std::pair<int, int>>& shown, int position) {
    for (std::size_t i = 0; i < shown.size(); ++i)
        if (shown[i].second == position) return static_cast<int>(i);
    return -1;
}

// A window's range over `count` items.
std::pair<int, int> Range(int first, int size, int count) {
    const int from = std::clamp(first, 0, count);
    const int to = size < 0 ? count : std::clamp(from + size, from, count);
    return {from, to};
}

}  // namespace

ResultsView::ResultsView(PanelContext& ctx, const ResultsWidgets& widgets) : ResultsWidgets(widgets), m_ctx(ctx) {
    BtnResults->Click = [this] { BtnResults_Click(); };
    ViewResults->CellClick = [this](int row, int column) { Results_CellClick(row, column); };
    ViewResults->HeaderClick = [this](int column) { Results_HeaderClick(column); };
    ViewHeatmap->CellClick = [this](int, int column) { Results_CellClick(-1, column); };
    ViewResults->content = [this](const DataView::Window& window) { return ResultsContent(window); };
    ViewHeatmap->content = [this](const DataView::Window&) { return HeatmapContent(); };
    ViewDrivers->content = [this](const DataView::Window&) { return DriversContent(); };
    ViewCsv->content = [this](const DataView::Window&) { return CsvContent(); };
    ComboHeatColumns->Click = [this] { HeatChoice_Click(ComboHeatColumns); };
    ComboHeatRows->Click = [this] { HeatChoice_Click(ComboHeatRows); };
    for (ComboBox* combo : ComboHeatValue) combo->Click = [this, combo] { HeatChoice_Click(combo); };
}

void ResultsView::BtnResults_Click() {
    const bool show = !ViewResults->visible;
    for (DataView* view : {ViewResults, ViewHeatmap, ViewDrivers, ViewCsv}) view->visible = show;
    ShowResultsView();
}

// An Update that valued every security shows its figures with the records
// as they were valued. A recompute from the valuations it left (a carry
// refreshed, a security removed) shows its figures when the records are
// still as valued; with edits pending it would pair them with the old
// valuations, and the views keep the Update's figures.
void ResultsView::NoteImpactRun() {
    const Portfolio& portfolio = m_ctx.portfolio;
    const bool updated = LabelRunProgress->percent == 100;
    if (!updated && m_impactRuns > 0 &&
        EditedSinceRun(StillListed(m_run.securityIds, portfolio.Securities()),
                       StillListed(m_run.scenarioIds, portfolio.Scenarios())))
        return;
    ++m_impactRuns;
    BuildResultsTable(portfolio, m_run.table);
    m_run.securityIds.clear();
    m_run.scenarioIds.clear();
    m_run.securities.clear();
    m_run.scenarios.clear();
    for (int k = 1; k <= portfolio.Securities().Count(); ++k) {
        m_run.securityIds.push_back(portfolio.Securities().Shared(k));
        m_run.securities.push_back(portfolio.Securities().Item(k));
    }
    for (int s = 1; s <= portfolio.Scenarios().Count(); ++s) {
        m_run.scenarioIds.push_back(portfolio.Scenarios().Shared(s));
        m_run.scenarios.push_back(portfolio.Scenarios().Item(s));
    }
}

// Whether a valued security's description or assumptions, or a valued
// scenario's description or changes, differ from what the run valued.
bool ResultsView::EditedSinceRun(const Shown& rows, const Shown& columns) const {
    for (const auto& [k, position] : rows) {
        const CSecurity& then = m_run.securities[static_cast<std::size_t>(k)];
        const CSecurity& now = m_ctx.portfolio.Securities().Item(position + 1);
        if (then.Getdescription() != now.Getdescription()) return true;
        for (int i = 0; i < kAssumptionSlots; ++i)
            if (then.GetProperties(i) != now.GetProperties(i)) return true;
    }
    for (const auto& [s, position] : columns) {
        const CScenario& then = m_run.scenarios[static_cast<std::size_t>(s)];
        const CScenario& now = m_ctx.portfolio.Scenarios().Item(position + 1);
        if (then.Getdescription() != now.Getdescription()) return true;
        for (int c = 0; c < kScenarioChanges; ++c)
            if (then.GetScenarioProperties(c) != now.GetScenarioProperties(c)) return true;
    }
    return false;
}

// While the panel shows its stale notice (the busy caption is not it), and
// while a valued record differs from what it was valued with (an edit of
// another field that leaves its value as it was clears the notice).
bool ResultsView::Stale() const {
    return (!m_ctx.Busy() && !m_ctx.notice.LabelProgress->caption.empty()) || EditedSinceRun(m_rows, m_columns);
}

// A cell selects its security and its scenario on the panel, as clicks on
// their rows of the security list and the impact list do; a cell of the
// portfolio row (security -1) selects only the scenario. A record no
// longer listed selects nothing.
void ResultsView::Results_CellClick(int row, int column) {
    struct Hold {
        bool& held;
        ~Hold() { held = false; }
    } hold{m_holdResults = true};
    ListBox& securities = m_ctx.SecurityList();
    ListBox& impacts = m_ctx.ImpactList();
    const int security =
        row >= 0 && row < static_cast<int>(m_rows.size()) ? m_rows[static_cast<std::size_t>(row)].second : -1;
    const int scenario = column >= 0 && column < static_cast<int>(m_columns.size())
                             ? m_columns[static_cast<std::size_t>(column)].second
                             : -1;
    if (security >= 0 && security < securities.Count() &&
        (securities.ListIndex() != security || securities.SelCount() != 1))
        securities.UserClickRow(security);
    if (scenario >= 0 && scenario < impacts.Count() && m_ctx.ScenarioList().ListIndex() != scenario)
        impacts.UserClickRow(scenario);
    m_holdResults = false;
    ShowResultsView();
}

void ResultsView::Results_HeaderClick(int column) {
    m_resultsSort = NextSort(m_resultsSort, column);
    ShowResultsView();
}

// A pick of an axis (the other axis' change swaps the two) or of a held value.
void ResultsView::HeatChoice_Click(ComboBox* combo) {
    if (m_fillingChoices || combo->ListIndex() < 0) return;
    const int picked = static_cast<int>(combo->ItemData(combo->ListIndex()));
    if (combo == ComboHeatColumns || combo == ComboHeatRows) {
        const bool across = combo == ComboHeatColumns;
        m_heatChoice.columns = m_heatmap.columns.change;
        m_heatChoice.rows = m_heatmap.rows.change;
        int& mine = across ? m_heatChoice.columns : m_heatChoice.rows;
        int& other = across ? m_heatChoice.rows : m_heatChoice.columns;
        if (picked == other) other = mine;
        mine = picked;
    } else {
        for (int c = 0; c < kScenarioChanges; ++c)
            if (combo == ComboHeatValue[static_cast<std::size_t>(c)])
                m_heatChoice.held[static_cast<std::size_t>(c)] =
                    ChangeValues(Table(), c).at(static_cast<std::size_t>(picked));
    }
    m_heatmap = BuildHeatmap(Table(), m_heatChoice);
    ++ViewHeatmap->revision;
    ShowHeatmapChoices();
}

// The drop-downs show the heatmap's axes and held values; the values of a
// change on an axis, or of one that does not vary, are not offered.
void ResultsView::ShowHeatmapChoices() {
    m_fillingChoices = true;
    const bool choose = ViewHeatmap->visible && m_heatmap.grid;
    HeatmapChoices->visible = choose;
    const auto fill = [&](ComboBox* combo, const std::vector<std::string>& texts, const std::vector<long>& data,
                          int current) {
        bool same = combo->Count() == static_cast<int>(texts.size());
        for (int i = 0; same && i < combo->Count(); ++i)
            same = combo->ItemText(i) == texts[static_cast<std::size_t>(i)];
        if (!same) {
            combo->Clear();
            for (std::size_t i = 0; i < texts.size(); ++i) {
                combo->AddItem(texts[i]);
                combo->SetItemData(static_cast<int>(i), data[i]);
            }
        }
        for (int i = 0; i < combo->Count(); ++i)
            if (combo->ItemData(i) == current && combo->ListIndex() != i) combo->SetListIndex(i);
    };
    std::vector<std::string> names;
    std::vector<long> changes;
    for (int c : m_varying) {
        names.push_back(kScenarioChangeNames[static_cast<std::size_t>(c)]);
        changes.push_back(c);
    }
    fill(ComboHeatColumns, names, changes, m_heatmap.columns.change);
    fill(ComboHeatRows, names, changes, m_heatmap.rows.change);
    for (int c = 0; c < kScenarioChanges; ++c) {
        const auto held =
            std::find_if(m_heatmap.held.begin(), m_heatmap.held.end(), [c](const auto& h) { return h.first == c; });
        const bool shown = choose && held != m_heatmap.held.end();
        ComboBox* combo = ComboHeatValue[static_cast<std::size_t>(c)];
        combo->visible = CaptionHeatValue[static_cast<std::size_t>(c)]->visible = shown;
        if (!shown) continue;
        const std::vector<double> values = ChangeValues(Table(), c);
        std::vector<std::string> texts;
        std::vector<long> index;
        for (std::size_t i = 0; i < values.size(); ++i) {
            texts.push_back(PlainNumber(values[i], Loc().decimalSeparator));
            index.push_back(static_cast<long>(i));
        }
        fill(combo, texts, index, std::lower_bound(values.begin(), values.end(), held->second) - values.begin());
    }
    m_fillingChoices = false;
}

// Brings the views in step with the last run, the lists and the selection:
// each view's revision moves when what it shows has changed, so that a
// host fetches it again only then.
void ResultsView::ShowResultsView() {
    if (m_holdResults) return;
    Shown rows = StillListed(m_run.securityIds, m_ctx.portfolio.Securities());
    Shown columns = StillListed(m_run.scenarioIds, m_ctx.portfolio.Scenarios());
    const bool listed = rows != m_rows || columns != m_columns || m_impactRuns != m_shownRun[0];
    if (listed) {
        m_rows = std::move(rows);
        m_columns = std::move(columns);
        m_filtered.reset();
        if (m_rows.size() != m_run.table.securities.size() || m_columns.size() != m_run.table.scenarios.size()) {
            ResultsTable& t = m_filtered.emplace();
            for (const auto& [k, position] : m_rows)
                t.securities.push_back(m_run.table.securities[static_cast<std::size_t>(k)]);
            for (const auto& [s, position] : m_columns)
                t.scenarios.push_back(m_run.table.scenarios[static_cast<std::size_t>(s)]);
            for (const auto& [k, kp] : m_rows)
                for (const auto& [s, sp] : m_columns) t.subImpacts.push_back(m_run.table.SubImpact(k, s));
        }
        m_varying = VaryingChanges(Table());
        m_headerLength = 0;
        for (const ResultsScenario& scen : Table().scenarios) {
            const std::string header = ScenarioHeader(scen, m_varying, Loc().decimalSeparator);
            // In characters: the bytes that start one.
            const auto length = std::count_if(header.begin(), header.end(), [](char c) { return (c & 0xC0) != 0x80; });
            m_headerLength = std::max(m_headerLength, static_cast<int>(length));
        }
        m_heatmap = BuildHeatmap(Table(), m_heatChoice);
    }
    const std::array<int, 3> now{m_impactRuns, m_resultsSort.column * 2 + (m_resultsSort.descending ? 1 : 0),
                                 Stale() ? 1 : 0};
    const bool changed = listed || now != m_shownRun;
    if (changed) {
        m_shownRun = now;
        for (DataView* view : {ViewResults, ViewHeatmap, ViewCsv}) ++view->revision;
    }
    ShowHeatmapChoices();
    const int security = ShownIndex(m_rows, m_ctx.SecurityList().ListIndex());
    const int scenario = ShownIndex(m_columns, m_ctx.ScenarioList().ListIndex());
    if (changed || ViewDrivers->currentColumn != scenario) ++ViewDrivers->revision;
    for (DataView* view : {ViewResults, ViewHeatmap, ViewDrivers, ViewCsv}) {
        view->rowCount = static_cast<int>(m_rows.size());
        view->columnCount = static_cast<int>(m_columns.size());
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

// A window of the table: the securities in the chosen order as rows, the
// scenarios as columns with their changes and totals (the portfolio row).
JsonValue ResultsView::ResultsContent(const DataView::Window& window) {
    const ResultsTable& table = Table();
    const std::vector<int> order = SortedSecurities(table, m_resultsSort);
    const auto [firstRow, endRow] = Range(window.firstRow, window.rows, table.SecurityCount());
    const auto [firstColumn, endColumn] = Range(window.firstColumn, window.columns, table.ScenarioCount());
    JsonValue j;
    j["rowCount"] = table.SecurityCount();
    j["columnCount"] = table.ScenarioCount();
    j["sort"]["column"] = m_resultsSort.column;
    j["sort"]["descending"] = m_resultsSort.descending;
    if (m_shownRun[2]) j["stale"] = kStaleMark;
    j["headerLength"] = m_headerLength;
    j["firstRow"] = firstRow;
    j["firstColumn"] = firstColumn;
    JsonValue columns = JsonValue::Array();
    for (int s = firstColumn; s < endColumn; ++s) {
        const ResultsScenario& scen = table.scenarios[static_cast<std::size_t>(s)];
        JsonValue c = ScenarioSummary(scen, s, Loc());
        JsonValue changes = JsonValue::Array();
        for (double change : scen.changes) changes.Push(PlainNumber(change, Loc().decimalSeparator));
        c["changes"] = std::move(changes);
        c["header"] = ScenarioHeader(scen, m_varying, Loc().decimalSeparator);
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
    const ResultsTable& table = Table();
    const Heatmap& map = m_heatmap;
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
    if (m_shownRun[2]) j["stale"] = kStaleMark;
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
        JsonValue held = JsonValue::Array();
        for (const auto& [change, value] : map.held) {
            JsonValue h;
            h["change"] = kScenarioChangeNames[static_cast<std::size_t>(change)];
            h["value"] = PlainNumber(value, Loc().decimalSeparator);
            held.Push(std::move(h));
        }
        j["held"] = std::move(held);
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
    const ResultsTable& table = Table();
    const int scenario = ViewDrivers->currentColumn;
    JsonValue j;
    if (scenario < 0 || scenario >= table.ScenarioCount()) return j;
    j = ScenarioSummary(table.scenarios[static_cast<std::size_t>(scenario)], scenario, Loc());
    if (m_shownRun[2]) j["stale"] = kStaleMark;
    // The legs of the records as the run valued them, from the valuations
    // it wrote.
    const auto [s, scenarioAt] = m_columns[static_cast<std::size_t>(scenario)];
    const LegsOf legs = [&, s = s, scenarioAt = scenarioAt](int row) {
        const auto [k, securityAt] = m_rows[static_cast<std::size_t>(row)];
        return SubImpactLegs(m_run.securities[static_cast<std::size_t>(k)],
                             m_run.scenarios[static_cast<std::size_t>(s)],
                             m_ctx.portfolio.ValuationAt(securityAt + 1, scenarioAt + 1));
    };
    JsonValue drivers = JsonValue::Array();
    for (const Driver& d : ScenarioDrivers(table, scenario, legs)) {
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

// The table as CSV; while edits wait for an Update, a first line says that
// its figures predate them.
JsonValue ResultsView::CsvContent() {
    JsonValue j;
    j["fileName"] = "impact-results.csv";
    j["text"] = (m_shownRun[2] ? CsvText(kStaleMark) + "\r\n" : std::string()) + ResultsCsv(Table());
    return j;
}

}  // namespace zemra

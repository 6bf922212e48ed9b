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

ResultsView::ResultsView(PanelContext& ctx, const ResultsWidgets& widgets) : ResultsWidgets(widgets), ctx_(ctx) {
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
    const Portfolio& portfolio = ctx_.portfolio;
    const bool updated = LabelRunProgress->percent == 100;
    if (!updated && impactRuns_ > 0 &&
        EditedSinceRun(StillListed(run_.securityIds, portfolio.Securities()),
                       StillListed(run_.scenarioIds, portfolio.Scenarios())))
        return;
    ++impactRuns_;
    BuildResultsTable(portfolio, run_.table);
    run_.securityIds.clear();
    run_.scenarioIds.clear();
    run_.securities.clear();
    run_.scenarios.clear();
    for (int k = 1; k <= portfolio.Securities().Count(); ++k) {
        run_.securityIds.push_back(portfolio.Securities().Shared(k));
        run_.securities.push_back(portfolio.Securities().Item(k));
    }
    for (int s = 1; s <= portfolio.Scenarios().Count(); ++s) {
        run_.scenarioIds.push_back(portfolio.Scenarios().Shared(s));
        run_.scenarios.push_back(portfolio.Scenarios().Item(s));
    }
}

// Whether a valued security's description or assumptions, or a valued
// scenario's description or changes, differ from what the run valued.
bool ResultsView::EditedSinceRun(const Shown& rows, const Shown& columns) const {
    for (const auto& [k, position] : rows) {
        const CSecurity& then = run_.securities[static_cast<std::size_t>(k)];
        const CSecurity& now = ctx_.portfolio.Securities().Item(position + 1);
        if (then.Getdescription() != now.Getdescription()) return true;
        for (int i = 0; i < kAssumptionSlots; ++i)
            if (then.GetProperties(i) != now.GetProperties(i)) return true;
    }
    for (const auto& [s, position] : columns) {
        const CScenario& then = run_.scenarios[static_cast<std::size_t>(s)];
        const CScenario& now = ctx_.portfolio.Scenarios().Item(position + 1);
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
    return (!ctx_.Busy() && !ctx_.notice.LabelProgress->caption.empty()) || EditedSinceRun(rows_, columns_);
}

// A cell selects its security and its scenario on the panel, as clicks on
// their rows of the security list and the impact list do; a cell of the
// portfolio row (security -1) selects only the scenario. A record no
// longer listed selects nothing.
void ResultsView::Results_CellClick(int row, int column) {
    struct Hold {
        bool& held;
        ~Hold() { held = false; }
    } hold{holdResults_ = true};
    ListBox& securities = ctx_.SecurityList();
    ListBox& impacts = ctx_.ImpactList();
    const int security =
        row >= 0 && row < static_cast<int>(rows_.size()) ? rows_[static_cast<std::size_t>(row)].second : -1;
    const int scenario = column >= 0 && column < static_cast<int>(columns_.size())
                             ? columns_[static_cast<std::size_t>(column)].second
                             : -1;
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

// A pick of an axis (the other axis' change swaps the two) or of a held value.
void ResultsView::HeatChoice_Click(ComboBox* combo) {
    if (fillingChoices_ || combo->ListIndex() < 0) return;
    const int picked = static_cast<int>(combo->ItemData(combo->ListIndex()));
    if (combo == ComboHeatColumns || combo == ComboHeatRows) {
        const bool across = combo == ComboHeatColumns;
        heatChoice_.columns = heatmap_.columns.change;
        heatChoice_.rows = heatmap_.rows.change;
        int& mine = across ? heatChoice_.columns : heatChoice_.rows;
        int& other = across ? heatChoice_.rows : heatChoice_.columns;
        if (picked == other) other = mine;
        mine = picked;
    } else {
        for (int c = 0; c < kScenarioChanges; ++c)
            if (combo == ComboHeatValue[static_cast<std::size_t>(c)])
                heatChoice_.held[static_cast<std::size_t>(c)] =
                    ChangeValues(Table(), c).at(static_cast<std::size_t>(picked));
    }
    heatmap_ = BuildHeatmap(Table(), heatChoice_);
    ++ViewHeatmap->revision;
    ShowHeatmapChoices();
}

// The drop-downs show the heatmap's axes and held values; the values of a
// change on an axis, or of one that does not vary, are not offered.
void ResultsView::ShowHeatmapChoices() {
    fillingChoices_ = true;
    const bool choose = ViewHeatmap->visible && heatmap_.grid;
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
    for (int c : varying_) {
        names.push_back(kScenarioChangeNames[static_cast<std::size_t>(c)]);
        changes.push_back(c);
    }
    fill(ComboHeatColumns, names, changes, heatmap_.columns.change);
    fill(ComboHeatRows, names, changes, heatmap_.rows.change);
    for (int c = 0; c < kScenarioChanges; ++c) {
        const auto held =
            std::find_if(heatmap_.held.begin(), heatmap_.held.end(), [c](const auto& h) { return h.first == c; });
        const bool shown = choose && held != heatmap_.held.end();
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
    fillingChoices_ = false;
}

// Brings the views in step with the last run, the lists and the selection:
// each view's revision moves when what it shows has changed, so that a
// host fetches it again only then.
void ResultsView::ShowResultsView() {
    if (holdResults_) return;
    Shown rows = StillListed(run_.securityIds, ctx_.portfolio.Securities());
    Shown columns = StillListed(run_.scenarioIds, ctx_.portfolio.Scenarios());
    const bool listed = rows != rows_ || columns != columns_ || impactRuns_ != shownRun_[0];
    if (listed) {
        rows_ = std::move(rows);
        columns_ = std::move(columns);
        filtered_.reset();
        if (rows_.size() != run_.table.securities.size() || columns_.size() != run_.table.scenarios.size()) {
            ResultsTable& t = filtered_.emplace();
            for (const auto& [k, position] : rows_)
                t.securities.push_back(run_.table.securities[static_cast<std::size_t>(k)]);
            for (const auto& [s, position] : columns_)
                t.scenarios.push_back(run_.table.scenarios[static_cast<std::size_t>(s)]);
            for (const auto& [k, kp] : rows_)
                for (const auto& [s, sp] : columns_) t.subImpacts.push_back(run_.table.SubImpact(k, s));
        }
        varying_ = VaryingChanges(Table());
        headerLength_ = 0;
        for (const ResultsScenario& scen : Table().scenarios) {
            const std::string header = ScenarioHeader(scen, varying_, Loc().decimalSeparator);
            // In characters: the bytes that start one.
            const auto length = std::count_if(header.begin(), header.end(), [](char c) { return (c & 0xC0) != 0x80; });
            headerLength_ = std::max(headerLength_, static_cast<int>(length));
        }
        heatmap_ = BuildHeatmap(Table(), heatChoice_);
    }
    const std::array<int, 3> now{impactRuns_, resultsSort_.column * 2 + (resultsSort_.descending ? 1 : 0),
                                 Stale() ? 1 : 0};
    const bool changed = listed || now != shownRun_;
    if (changed) {
        shownRun_ = now;
        for (DataView* view : {ViewResults, ViewHeatmap, ViewCsv}) ++view->revision;
    }
    ShowHeatmapChoices();
    const int security = ShownIndex(rows_, ctx_.SecurityList().ListIndex());
    const int scenario = ShownIndex(columns_, ctx_.ScenarioList().ListIndex());
    if (changed || ViewDrivers->currentColumn != scenario) ++ViewDrivers->revision;
    for (DataView* view : {ViewResults, ViewHeatmap, ViewDrivers, ViewCsv}) {
        view->rowCount = static_cast<int>(rows_.size());
        view->columnCount = static_cast<int>(columns_.size());
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
    const std::vector<int> order = SortedSecurities(table, resultsSort_);
    const auto [firstRow, endRow] = Range(window.firstRow, window.rows, table.SecurityCount());
    const auto [firstColumn, endColumn] = Range(window.firstColumn, window.columns, table.ScenarioCount());
    JsonValue j;
    j["rowCount"] = table.SecurityCount();
    j["columnCount"] = table.ScenarioCount();
    j["sort"]["column"] = resultsSort_.column;
    j["sort"]["descending"] = resultsSort_.descending;
    if (shownRun_[2]) j["stale"] = kStaleMark;
    j["headerLength"] = headerLength_;
    j["firstRow"] = firstRow;
    j["firstColumn"] = firstColumn;
    JsonValue columns = JsonValue::Array();
    for (int s = firstColumn; s < endColumn; ++s) {
        const ResultsScenario& scen = table.scenarios[static_cast<std::size_t>(s)];
        JsonValue c = ScenarioSummary(scen, s, Loc());
        JsonValue changes = JsonValue::Array();
        for (double change : scen.changes) changes.Push(PlainNumber(change, Loc().decimalSeparator));
        c["changes"] = std::move(changes);
        c["header"] = ScenarioHeader(scen, varying_, Loc().decimalSeparator);
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
    const Heatmap& map = heatmap_;
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
    if (shownRun_[2]) j["stale"] = kStaleMark;
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
    if (shownRun_[2]) j["stale"] = kStaleMark;
    // The legs of the records as the run valued them, from the valuations
    // it wrote.
    const auto [s, scenarioAt] = columns_[static_cast<std::size_t>(scenario)];
    const LegsOf legs = [&, s = s, scenarioAt = scenarioAt](int row) {
        const auto [k, securityAt] = rows_[static_cast<std::size_t>(row)];
        return SubImpactLegs(run_.securities[static_cast<std::size_t>(k)], run_.scenarios[static_cast<std::size_t>(s)],
                             ctx_.portfolio.ValuationAt(securityAt + 1, scenarioAt + 1));
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
    j["text"] = (shownRun_[2] ? CsvText(kStaleMark) + "\r\n" : std::string()) + ResultsCsv(Table());
    return j;
}

}  // namespace zemra

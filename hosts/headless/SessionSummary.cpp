#include "SessionSummary.h"

#include <algorithm>
#include <map>
#include <vector>

namespace zemra::headless {

namespace {

// The width of a text as printed: UTF-8 continuation bytes take no room.
std::size_t Width(const std::string& text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string PadRight(const std::string& text, std::size_t width) {
    return text + std::string(width > Width(text) ? width - Width(text) : 0, ' ');
}

std::string PadLeft(const std::string& text, std::size_t width) {
    return std::string(width > Width(text) ? width - Width(text) : 0, ' ') + text;
}

// Rows of cells printed as columns: the first column left-aligned, the
// others right-aligned (they hold figures), two spaces between columns.
std::string Table(const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        if (widths.size() < row.size()) widths.resize(row.size(), 0);
        for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], Width(row[c]));
    }
    std::string text;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < widths.size(); ++c) {
            const std::string cell = c < row.size() ? row[c] : "";
            line += c == 0 ? PadRight(cell, widths[c]) : "  " + PadLeft(cell, widths[c]);
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        text += "  " + line + "\n";
    }
    return text;
}

const ListBox* List(const Form& form, const std::string& name) {
    const Widget* w = form.Find(name);
    return w && w->Kind() == WidgetKind::ListBox ? static_cast<const ListBox*>(w) : nullptr;
}

// The labels of a frame laid out by their grid cells: one row per grid
// row, the cells in column order, empty where no label stands.
std::vector<std::vector<std::string>> FrameLabels(const Form& form, const std::string& frameName) {
    const Widget* frame = form.Find(frameName);
    std::map<int, std::map<int, std::string>> grid;
    for (const auto& w : form.Widgets()) {
        if (w->Parent() != frame || !frame || w->Kind() != WidgetKind::Label || w->cell.row == 0) continue;
        grid[w->cell.row][w->cell.column] = static_cast<const Label&>(*w).caption;
    }
    std::vector<std::vector<std::string>> rows;
    for (const auto& [row, cells] : grid) {
        std::vector<std::string> line(static_cast<std::size_t>(cells.rbegin()->first), "");
        for (const auto& [column, caption] : cells) line[static_cast<std::size_t>(column - 1)] = caption;
        rows.push_back(std::move(line));
    }
    return rows;
}

}  // namespace

std::string SessionSummary(const UiContext& ui, const HeadlessHost& host) {
    const Form* panel = ui.FindOpenForm("");
    if (!panel) return "The control has no panel.\n";
    std::string text;
    const ListBox* securities = List(*panel, "LstSecurity");
    const ListBox* scenarios = List(*panel, "ScenarioLst");
    const ListBox* impacts = List(*panel, "LstImpact");
    const int securityCount = securities ? securities->Count() : 0;
    const int scenarioCount = scenarios ? scenarios->Count() : 0;
    text += "Portfolio: " + std::to_string(securityCount) + (securityCount == 1 ? " security, " : " securities, ") +
            std::to_string(scenarioCount) + (scenarioCount == 1 ? " scenario" : " scenarios") + "\n";
    if (securities && securities->ListIndex() >= 0)
        text += "Current security: " + securities->ItemText(securities->ListIndex()) + "\n";

    if (scenarioCount > 0) {
        std::vector<std::vector<std::string>> rows = {{"Scenario", "$Impact"}};
        const int shown = impacts ? impacts->ListIndex() : -1;
        for (int r = 0; r < scenarioCount; ++r) {
            const std::string impact = impacts && r < impacts->Count() ? impacts->ItemText(r) : "";
            rows.push_back({(r == shown ? "> " : "  ") + scenarios->ItemText(r), impact});
        }
        text += "\n" + Table(rows);
    }

    const auto totals = FrameLabels(*panel, "Frame5");
    if (!totals.empty()) {
        const Widget* frame = panel->Find("Frame5");
        text += "\n" + static_cast<const Frame&>(*frame).caption;
        if (impacts && impacts->ListIndex() >= 0 && scenarios && impacts->ListIndex() < scenarioCount)
            text += " (estimate under " + scenarios->ItemText(impacts->ListIndex()) + ")";
        text += "\n" + Table(totals);
    }

    if (!host.messages.empty()) {
        text += "\nMessages:\n";
        for (const auto& m : host.messages) text += "  " + m.text + "\n";
    }
    return text;
}

}  // namespace zemra::headless

#pragma once
// The results view beside the panel: the table of every security's
// sub-impact under every scenario with the portfolio's totals, the heatmap
// of the totals, the drivers of the current scenario and the CSV export;
// and the count of securities valued during an Update.
#include <array>
#include <cstddef>
#include <optional>

#include "compute/ResultsTable.h"
#include "context/PanelContext.h"

namespace zemra {

// The results view's elements, made by the panel's layout.
struct ResultsWidgets {
    Button* BtnResults = nullptr;
    Label* LabelRunProgress = nullptr;  // "security k of n" during an Update
    DataView* ViewResults = nullptr;    // securities x scenarios: sub-impacts, the portfolio's totals
    DataView* ViewHeatmap = nullptr;    // the totals over the scenarios' changes
    DataView* ViewDrivers = nullptr;    // the current scenario's total by security
    DataView* ViewCsv = nullptr;        // the results table as CSV text
};

class ResultsView : private ResultsWidgets {
public:
    ResultsView(PanelContext& ctx, const ResultsWidgets& widgets);

    void ShowResultsView();
    void ShowRunProgress(int done, int securities);
    void HideRunProgress();
    // An impact run wrote new figures.
    void NoteImpactRun() { ++impactRuns_; }

private:
    const Locale& Loc() const { return ctx_.Loc(); }
    void BtnResults_Click();
    void Results_CellClick(int security, int scenario);
    void Results_HeaderClick(int column);
    const ResultsTable& CurrentResults();
    JsonValue ResultsContent(const DataView::Window& window);
    JsonValue HeatmapContent();
    JsonValue DriversContent();

    PanelContext& ctx_;
    ResultsSort resultsSort_;
    int impactRuns_ = 0;                               // counts CalculateImpacts
    std::array<int, 4> resultsShown_{-1, -1, -1, -1};  // impact runs, securities, scenarios, sort when last shown
    std::size_t resultsScenarios_ = 0;                 // the scenarios' descriptions, changes and totals then
    std::optional<ResultsTable> resultsTable_;         // of the results last shown
    bool holdResults_ = false;                         // a cell's click shows the views once, at its end
};

}  // namespace zemra

#pragma once
// The results view beside the panel: the table of every security's
// sub-impact under every scenario with the portfolio's totals, the heatmap
// of the totals, the drivers of the current scenario and the CSV export;
// and the count of securities valued during an Update.
#include <array>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

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
    // Over the heatmap: the changes across and down, and the value each
    // other varying change is held at (shown only for those).
    Frame* HeatmapChoices = nullptr;
    ComboBox* ComboHeatColumns = nullptr;
    ComboBox* ComboHeatRows = nullptr;
    std::array<Label*, kScenarioChanges> CaptionHeatValue{};
    std::array<ComboBox*, kScenarioChanges> ComboHeatValue{};
};

class ResultsView : private ResultsWidgets {
public:
    ResultsView(PanelContext& ctx, const ResultsWidgets& widgets);

    void ShowResultsView();
    void ShowRunProgress(int done, int securities);
    void HideRunProgress();
    // An impact run wrote new figures: the views show them, with the
    // scenarios and securities as they were then, until the next run.
    void NoteImpactRun();

private:
    // The records an impact run valued, as they were then, and what it
    // computed.
    struct RunResults {
        ResultsTable table;
        std::vector<std::weak_ptr<CSecurity>> securityIds;  // which records they were
        std::vector<std::weak_ptr<CScenario>> scenarioIds;
        std::vector<CSecurity> securities;
        std::vector<CScenario> scenarios;
    };
    // A row or column shown: its place in the run and its 0-based list position now.
    using Shown = std::vector<std::pair<int, int>>;

    const Locale& Loc() const { return m_ctx.Loc(); }
    void BtnResults_Click();
    void Results_CellClick(int security, int scenario);
    void Results_HeaderClick(int column);
    void HeatChoice_Click(ComboBox* combo);
    void ShowHeatmapChoices();
    const ResultsTable& Table() const { return m_filtered ? *m_filtered : m_run.table; }
    bool EditedSinceRun(const Shown& rows, const Shown& columns) const;
    bool Stale() const;
    JsonValue ResultsContent(const DataView::Window& window);
    JsonValue HeatmapContent();
    JsonValue DriversContent();
    JsonValue CsvContent();

    PanelContext& m_ctx;
    RunResults m_run;
    int m_impactRuns = 0;                    // counts CalculateImpacts
    Shown m_rows, m_columns;                 // the run's securities and scenarios still listed
    std::optional<ResultsTable> m_filtered;  // the run's table without those no longer listed
    ResultsSort m_resultsSort;
    HeatmapChoice m_heatChoice;
    Heatmap m_heatmap;
    std::vector<int> m_varying;                 // the changes that vary over the scenarios shown
    int m_headerLength = 0;                     // the longest column header, in characters
    std::array<int, 3> m_shownRun{-1, -1, -1};  // impact runs, sort and stale when last shown
    bool m_holdResults = false;                 // a cell's click shows the views once, at its end
    bool m_fillingChoices = false;
};

}  // namespace zemra

// The summary of the current scenario and the impact list beside the
// scenario list.
#include <stdexcept>

#include "compute/OptionLists.h"
#include "compute/ValuationFigures.h"
#include "scenarios/ScenarioList.h"
#include "toolkit/NumberText.h"

namespace zemra {

// The summary of the current scenario, or empty fields and an empty impact
// list when there are no scenarios.
void ScenarioList::ShowScenarioDetail() {
    const int r = ScenarioLst->ListIndex();
    if (m_ctx.portfolio.Scenarios().Empty() || r < 0) {
        for (TextBox* field : TxtScenario) field->SetText("");
        LabelImpact->caption.clear();
        DescriptionFld->SetText("");
        // Rows without a current one still belong to their scenarios.
        if (m_ctx.portfolio.Scenarios().Empty()) LstImpact->Clear();
        return;
    }
    const CScenario& scenario = m_ctx.portfolio.Scenarios().Item(r + 1);
    for (int i = 0; i < kScenarioSlots; ++i)
        TxtScenario[i]->SetText(PlainNumber(scenario.GetScenarioProperties(i), Loc().decimalSeparator));
    DescriptionFld->SetText(scenario.Getdescription());
    LabelImpact->caption = FormatGrouped(scenario.GetImpact(), 0, Loc(), true);
    ShowTuner(scenario.Gettuner());
    ComboAutoLoad->SetText(scenario.GetAutoLoad());
    TxtDate->SetText(ValuationDateText(Today(), scenario.GetScenarioProperties(m_TimeIdx)));
}

// A click on an impact row leaves its scenario the only selected and the
// current row of the scenario list. The row becomes current first: every
// selection change runs the scenario list's click handling, which shows its
// current row (and selects that row here) once a single row is left.
void ScenarioList::LstImpact_Click() {
    const int r = LstImpact->ListIndex();
    if (r < 0) return;
    if (r >= ScenarioLst->Count()) {
        throw std::runtime_error("The impact row " + std::to_string(r + 1) +
                                 " has no scenario: the scenario list holds " + std::to_string(ScenarioLst->Count()) +
                                 " rows.");
    }
    if (ScenarioLst->ListIndex() != r || !ScenarioLst->Selected(r)) ScenarioLst->SetSelected(r, true);
    for (int i = 0; i < ScenarioLst->Count(); ++i)
        if (i != r && ScenarioLst->Selected(i)) ScenarioLst->SetSelected(i, false);
}

void ScenarioList::ShowTuner(long code) { ComboTuner->SetText(EntryText(*ComboTuner, code)); }

}  // namespace zemra

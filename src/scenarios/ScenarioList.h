#pragma once
// The working list of scenarios with its impact list, the scenario summary,
// the pricing tuner and tuner value of the selected scenarios, and the
// valuation date of the current scenario. Edits only prepare the next
// impact run.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "context/PanelContext.h"

namespace zemra {

// The scenario frame's elements, made by the panel's layout.
struct ScenarioWidgets {
    Frame* ScenarioFrame = nullptr;
    std::array<TextBox*, 6> TxtScenario{};
    TextBox* TxtDate = nullptr;
    ComboBox* ComboTuner = nullptr;
    TextBox* DescriptionFld = nullptr;
    ComboBox* ComboAutoLoad = nullptr;
    ListBox* ScenarioLst = nullptr;
    ListBox* LstImpact = nullptr;
    Label* LabelImpact = nullptr;
    Button* ScenarioAddBtn = nullptr;
    Button* DeleteBtn = nullptr;
    Button* BtnModify = nullptr;
    Button* BtnUptTuner = nullptr;
    // The elements that act on one scenario (or start a request) and the
    // frames usable only while one scenario is selected.
    std::vector<Widget*> singleScenarioControls;
};

class ScenarioList : private ScenarioWidgets {
public:
    ScenarioList(PanelContext& ctx, const ScenarioWidgets& widgets);

    // The summary of the current scenario, or empty fields and an empty
    // impact list when there are no scenarios.
    void ShowScenarioDetail();
    void ShowTuner(long code);

private:
    const Locale& Loc() const { return m_ctx.Loc(); }
    Date Today() const { return m_ctx.Today(); }
    void ScenarioAddBtn_Click();
    void DeleteBtn_Click();
    void BtnModify_Click();
    void ScenarioLst_Click();
    void LstImpact_Click();
    void TxtScenario_Validate(int index, bool& cancel);
    void DisableSingleScenarioEditing();
    void EnableSingleScenarioEditing();
    void SetSingleScenarioControls(bool enabled);
    void TxtScenario_GotFocus(int index);
    void DescriptionFld_GotFocus();
    // Writes DescriptionFld into the working-list record at a 1-based
    // position, its stored entry and their rows in both lists.
    void WriteScenarioDescription(int position);
    void ComboAutoLoad_Validate(bool& cancel);

    // ---- The tuner (scenarios/Tuner.cpp).
    void WireTunerEvents();
    // What a scenario-level tuner update did to the selected scenarios; the
    // stale notice follows it (any change sets it, no change clears it).
    enum class TunerUpdate { Nothing, Unchanged, Changed };
    TunerUpdate ApplyTunerChoiceToSelected();
    TunerUpdate ApplyTunerValueToSelected();
    void ShowTunerUpdate(TunerUpdate result);
    void ComboTuner_DropDown();
    void ComboTuner_Click();
    void ApplyTunerToScenario(int32_t tuner, double tunerValue, int position);
    // The same without redrawing the valuation panel, for work on many
    // scenarios that redraws once.
    void SetScenarioTuner(int32_t tuner, double tunerValue, int position);
    void UpdateSelectedScenariosTuner();
    void UpdateSelectedScenariosTunerValue();
    void BtnUptTuner_Click();
    void ComboTuner_Validate(bool& cancel);

    // ---- The valuation date (scenarios/ValuationDate.cpp).
    void WireValuationDateEvents();
    void ShowScenarioDate(double days);
    void TxtDate_GotFocus();
    void TxtDate_Validate(bool& cancel);

    PanelContext& m_ctx;
};

}  // namespace zemra

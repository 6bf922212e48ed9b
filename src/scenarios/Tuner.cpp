// The pricing tuner and tuner value per scenario: ComboTuner, TxtScenario(5)
// and BtnUptTuner for every selected scenario. Edits only prepare the next
// impact run.
#include <optional>

#include "scenarios/ScenarioList.h"
#include "toolkit/NumberText.h"
#include "toolkit/TextSplit.h"
#include "toolkit/WholeText.h"

namespace zemra {

void ScenarioList::WireTunerEvents() {
    BtnUptTuner->Click = [this] { BtnUptTuner_Click(); };
    ComboTuner->DropDown = [this] { ComboTuner_DropDown(); };
    ComboTuner->Click = [this] { ComboTuner_Click(); };
    ComboTuner->Validate = [this](bool& cancel) { ComboTuner_Validate(cancel); };
}

void ScenarioList::ApplyTunerToScenario(int32_t tuner, double tunerValue, int position) {
    SetScenarioTuner(tuner, tunerValue, position);
    m_ctx.refresh.ShowValuation();
}

void ScenarioList::SetScenarioTuner(int32_t tuner, double tunerValue, int position) {
    for (int p = 1; p <= m_ctx.portfolio.Valuations().Count(); ++p) {
        CValuation& val = m_ctx.portfolio.Valuations().Item(p).Item(position);
        val.Settuner(tuner);
        val.SetTunerValue(tunerValue);
    }
}

ScenarioList::TunerUpdate ScenarioList::ApplyTunerChoiceToSelected() {
    // Without a current entry there is no tuner to apply; the valuations
    // still receive each scenario's own tuner and value.
    const int entry = ComboTuner->ListIndex();
    const bool chosen = entry >= 0 && entry < ComboTuner->Count();
    const int32_t id = chosen ? static_cast<int32_t>(ComboTuner->ItemData(entry)) : 0;
    TunerUpdate result = TunerUpdate::Nothing;
    const auto storedPositions = m_ctx.portfolio.StoredPositionsByKey();
    for (int j = 0; j < ScenarioLst->Count(); ++j) {
        if (!ScenarioLst->Selected(j)) continue;
        CScenario& scenario = m_ctx.portfolio.Scenarios().Item(j + 1);
        if (chosen) {
            if (scenario.Gettuner() != id) {
                scenario.Settuner(id);
                const auto stored = storedPositions.find(scenario.Getkey());
                if (stored != storedPositions.end())
                    m_ctx.portfolio.StoredScenarios().Item(stored->second).Settuner(id);
                result = TunerUpdate::Changed;
            } else if (result == TunerUpdate::Nothing) {
                result = TunerUpdate::Unchanged;
            }
        }
        SetScenarioTuner(scenario.Gettuner(), scenario.GetScenarioProperties(m_TunerValIdx), j + 1);
    }
    return result;
}

ScenarioList::TunerUpdate ScenarioList::ApplyTunerValueToSelected() {
    const std::string& text = TxtScenario[m_TunerValIdx]->Text();
    const auto value = text.empty() ? std::optional<double>(0.0) : ParseNumber(text, Loc());
    if (!value) {
        m_ctx.MsgOk("Please enter only digit characters in Tuner Value field!");
        return TunerUpdate::Nothing;
    }
    TunerUpdate result = TunerUpdate::Nothing;
    const auto storedPositions = m_ctx.portfolio.StoredPositionsByKey();
    for (int j = 0; j < ScenarioLst->Count(); ++j) {
        if (!ScenarioLst->Selected(j)) continue;
        CScenario& scenario = m_ctx.portfolio.Scenarios().Item(j + 1);
        const auto found = storedPositions.find(scenario.Getkey());
        const int stored = found == storedPositions.end() ? 0 : found->second;
        auto setValue = [&](double v) {
            scenario.SetScenarioProperties(m_TunerValIdx, v);
            if (stored > 0) m_ctx.portfolio.StoredScenarios().Item(stored).SetScenarioProperties(m_TunerValIdx, v);
            SetScenarioTuner(scenario.Gettuner(), v, j + 1);
        };
        // An empty field means 0 and leaves the stale notice as it is.
        if (text.empty()) {
            setValue(0);
        } else if (*value == scenario.GetScenarioProperties(m_TunerValIdx)) {
            if (result == TunerUpdate::Nothing) result = TunerUpdate::Unchanged;
        } else {
            setValue(*value);
            result = TunerUpdate::Changed;
        }
    }
    return result;
}

void ScenarioList::ShowTunerUpdate(TunerUpdate result) {
    if (result == TunerUpdate::Changed)
        m_ctx.SetStaleNotice();
    else if (result == TunerUpdate::Unchanged)
        m_ctx.ClearStaleNotice();
}

// Each user action that applies a tuner or tuner value to the selected
// scenarios redraws the valuation panel once, however many are selected.
void ScenarioList::UpdateSelectedScenariosTuner() {
    ShowTunerUpdate(ApplyTunerChoiceToSelected());
    m_ctx.refresh.ShowValuation();
}

void ScenarioList::UpdateSelectedScenariosTunerValue() {
    const TunerUpdate result = ApplyTunerValueToSelected();
    ShowTunerUpdate(result);
    m_ctx.refresh.ShowValuation();
}

void ScenarioList::BtnUptTuner_Click() {
    if (!IsNumeric(TxtScenario[m_TunerValIdx]->Text(), Loc())) {
        m_ctx.MsgOk("Please enter only digit characters in Tuner Value field!");
        return;
    }
    // One user action: a change of either the tuner or its value anywhere
    // among the selected scenarios makes the shown impacts stale.
    const TunerUpdate tuner = ApplyTunerChoiceToSelected();
    const TunerUpdate value = ApplyTunerValueToSelected();
    if (tuner == TunerUpdate::Changed || value == TunerUpdate::Changed)
        ShowTunerUpdate(TunerUpdate::Changed);
    else if (tuner == TunerUpdate::Unchanged || value == TunerUpdate::Unchanged)
        ShowTunerUpdate(TunerUpdate::Unchanged);
    m_ctx.refresh.ShowValuation();
}

// The list can be opened and an entry chosen; choosing locks it again, so
// its text cannot be typed over.
void ScenarioList::ComboTuner_DropDown() { ComboTuner->locked = false; }

void ScenarioList::ComboTuner_Click() { ComboTuner->locked = true; }

void ScenarioList::ComboTuner_Validate(bool& /*cancel*/) {
    // With several selected rows the choice waits for BtnUptTuner.
    if (ScenarioLst->SelCount() == 1) UpdateSelectedScenariosTuner();
}

}  // namespace zemra

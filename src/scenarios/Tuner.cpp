// The pricing tuner and tuner value, per scenario (ComboTuner, TxtScenario(5)
// and BtnUptTuner for every selected scenario) and per valuation
// (ComboTuner2 and TxtTunerVal for the current security under the current
// scenario). Edits only prepare the next impact run.
#include <optional>

#include "control/MainCtl.h"
#include "toolkit/WholeText.h"
#include "toolkit/NumberText.h"
#include "toolkit/TextSplit.h"

namespace zemra {

void MainCtl::WireTunerEvents() {
    BtnUptTuner->Click = [this] { BtnUptTuner_Click(); };
    ComboTuner->DropDown = [this] { ComboTuner_DropDown(); };
    ComboTuner->Click = [this] { ComboTuner_Click(); };
    ComboTuner->Validate = [this](bool& cancel) { ComboTuner_Validate(cancel); };
    ComboTuner2->Validate = [this](bool& cancel) { ComboTuner2_Validate(cancel); };
    TxtTunerVal->GotFocus = [this] { TxtTunerVal_GotFocus(); };
    TxtTunerVal->Validate = [this](bool& cancel) { TxtTunerVal_Validate(cancel); };
}

void MainCtl::ApplyTunerToScenario(int32_t tuner, double tunerValue, int position) {
    SetScenarioTuner(tuner, tunerValue, position);
    ShowValuation();
}

void MainCtl::SetScenarioTuner(int32_t tuner, double tunerValue, int position) {
    for (int p = 1; p <= portfolio_.Valuations().Count(); ++p) {
        CValuation& val = portfolio_.Valuations().Item(p).Item(position);
        val.Settuner(tuner);
        val.SetTunerValue(tunerValue);
    }
}

MainCtl::TunerUpdate MainCtl::ApplyTunerChoiceToSelected() {
    // Without a current entry there is no tuner to apply; the valuations
    // still receive each scenario's own tuner and value.
    const int entry = ComboTuner->ListIndex();
    const bool chosen = entry >= 0 && entry < ComboTuner->Count();
    const int32_t id = chosen ? static_cast<int32_t>(ComboTuner->ItemData(entry)) : 0;
    TunerUpdate result = TunerUpdate::Nothing;
    const auto storedPositions = portfolio_.StoredPositionsByKey();
    for (int j = 0; j < ScenarioLst->Count(); ++j) {
        if (!ScenarioLst->Selected(j)) continue;
        CScenario& scenario = portfolio_.Scenarios().Item(j + 1);
        if (chosen) {
            if (scenario.Gettuner() != id) {
                scenario.Settuner(id);
                const auto stored = storedPositions.find(scenario.Getkey());
                if (stored != storedPositions.end()) portfolio_.StoredScenarios().Item(stored->second).Settuner(id);
                result = TunerUpdate::Changed;
            } else if (result == TunerUpdate::Nothing) {
                result = TunerUpdate::Unchanged;
            }
        }
        SetScenarioTuner(scenario.Gettuner(), scenario.GetScenarioProperties(m_TunerValIdx), j + 1);
    }
    return result;
}

MainCtl::TunerUpdate MainCtl::ApplyTunerValueToSelected() {
    const std::string& text = TxtScenario[m_TunerValIdx]->Text();
    const auto value = text.empty() ? std::optional<double>(0.0) : ParseNumber(text, Loc());
    if (!value) {
        MsgOk("Please enter only digit characters in Tuner Value field!");
        return TunerUpdate::Nothing;
    }
    TunerUpdate result = TunerUpdate::Nothing;
    const auto storedPositions = portfolio_.StoredPositionsByKey();
    for (int j = 0; j < ScenarioLst->Count(); ++j) {
        if (!ScenarioLst->Selected(j)) continue;
        CScenario& scenario = portfolio_.Scenarios().Item(j + 1);
        const auto found = storedPositions.find(scenario.Getkey());
        const int stored = found == storedPositions.end() ? 0 : found->second;
        auto setValue = [&](double v) {
            scenario.SetScenarioProperties(m_TunerValIdx, v);
            if (stored > 0) portfolio_.StoredScenarios().Item(stored).SetScenarioProperties(m_TunerValIdx, v);
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

void MainCtl::ShowTunerUpdate(TunerUpdate result) {
    if (result == TunerUpdate::Changed) SetStaleNotice();
    else if (result == TunerUpdate::Unchanged) ClearStaleNotice();
}

// Each user action that applies a tuner or tuner value to the selected
// scenarios redraws the valuation panel once, however many are selected.
void MainCtl::UpdateSelectedScenariosTuner() {
    ShowTunerUpdate(ApplyTunerChoiceToSelected());
    ShowValuation();
}

void MainCtl::UpdateSelectedScenariosTunerValue() {
    const TunerUpdate result = ApplyTunerValueToSelected();
    ShowTunerUpdate(result);
    ShowValuation();
}

void MainCtl::BtnUptTuner_Click() {
    if (!IsNumeric(TxtScenario[m_TunerValIdx]->Text(), Loc())) {
        MsgOk("Please enter only digit characters in Tuner Value field!");
        return;
    }
    // One user action: a change of either the tuner or its value anywhere
    // among the selected scenarios makes the shown impacts stale.
    const TunerUpdate tuner = ApplyTunerChoiceToSelected();
    const TunerUpdate value = ApplyTunerValueToSelected();
    if (tuner == TunerUpdate::Changed || value == TunerUpdate::Changed) ShowTunerUpdate(TunerUpdate::Changed);
    else if (tuner == TunerUpdate::Unchanged || value == TunerUpdate::Unchanged) ShowTunerUpdate(TunerUpdate::Unchanged);
    ShowValuation();
}

// The list can be opened and an entry chosen; choosing locks it again, so
// its text cannot be typed over.
void MainCtl::ComboTuner_DropDown() { ComboTuner->locked = false; }

void MainCtl::ComboTuner_Click() { ComboTuner->locked = true; }

void MainCtl::ComboTuner_Validate(bool& /*cancel*/) {
    // With several selected rows the choice waits for BtnUptTuner.
    if (ScenarioLst->SelCount() == 1) UpdateSelectedScenariosTuner();
}

void MainCtl::ComboTuner2_Validate(bool& /*cancel*/) {
    if (portfolio_.Valuations().Empty() || LstSecurity->Count() == 0 || ScenarioLst->Count() == 0) return;
    const int security = LstSecurity->ListIndex();
    const int scenario = ScenarioLst->ListIndex();
    const int entry = ComboTuner2->ListIndex();
    // Without a current security, scenario or tuner entry there is no cell
    // and no tuner to set.
    if (security < 0 || scenario < 0 || entry < 0) return;
    portfolio_.Valuations().Item(security + 1).Item(scenario + 1).Settuner(static_cast<int32_t>(ComboTuner2->ItemData(entry)));
    SetStaleNotice();
}

void MainCtl::TxtTunerVal_GotFocus() { SelectWholeText(*TxtTunerVal); }

void MainCtl::TxtTunerVal_Validate(bool& cancel) {
    if (portfolio_.Valuations().Empty() || LstSecurity->Count() == 0 || ScenarioLst->Count() == 0) return;
    const int security = LstSecurity->ListIndex();
    const int scenario = ScenarioLst->ListIndex();
    if (security < 0 || scenario < 0) return;
    CValuation& val = portfolio_.Valuations().Item(security + 1).Item(scenario + 1);
    const std::string text = Trim(TxtTunerVal->Text());
    if (text.empty()) {
        val.SetTunerValue(0);
        return;
    }
    const auto value = ParseNumber(text, Loc());
    if (!value) {
        MsgOk("Please enter only digit characters in Field!");
        cancel = true;
        return;
    }
    val.SetTunerValue(*value);
}

}  // namespace zemra

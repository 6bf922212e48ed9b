// The scenario matrix on the control's side: opening DlgScenMatrix and
// listing the scenarios it generates.
#include <limits>
#include <stdexcept>

#include "control/MainCtl.h"
#include "scenarios/DlgScenMatrix.h"

namespace zemra {

void MainCtl::BtnScenMatrix_Click() {
    if (frmScenMatrix) frmScenMatrix->Window().Unload();
    frmScenMatrix.reset();
    released_.clear();
    frmScenMatrix = std::make_unique<DlgScenMatrix>(ui_);
    frmScenMatrix->AddScenarios = [this](const std::vector<std::string>& scenarios) {
        frmScenMatrix_AddScenarios(scenarios);
    };
    frmScenMatrix->ComboTuner->Clear();
    frmScenMatrix->SetTunerOptions(props_.TunerString);
    frmScenMatrix->Window().Show(!host_.ModelessAllowed());
}

void MainCtl::frmScenMatrix_AddScenarios(const std::vector<std::string>& scenarios) {
    // The dialog is still running its OK handler: it is released here and
    // destroyed when the next one takes its place.
    ReleaseDialog(frmScenMatrix);
    for (const std::string& text : scenarios) {
        if (portfolio_.LastScenarioKey() == std::numeric_limits<int32_t>::max())
            throw std::runtime_error("Adding the scenario matrix: every scenario key has been handed out; the "
                                     "scenarios from '" + text + "' on are not listed.");
        auto record = std::make_shared<CScenario>();
        record->CreateScenario(text, Loc());
        portfolio_.AddScenario(record, portfolio_.LastScenarioKey() + 1);
        portfolio_.AddStoredScenario(record);
    }
    if (!portfolio_.Scenarios().Empty()) ScenarioLst->SetSelected(0, true);
}

}  // namespace zemra

// The scenario matrix on the control's side: opening DlgScenMatrix and
// listing the scenarios it generates.
#include <limits>
#include <stdexcept>

#include "scenarios/MatrixScenarios.h"

namespace zemra {

MatrixScenarios::MatrixScenarios(PanelContext& ctx, Button* BtnScenMatrix) : ctx_(ctx) {
    BtnScenMatrix->Click = [this] { BtnScenMatrix_Click(); };
}

void MatrixScenarios::BtnScenMatrix_Click() {
    if (frmScenMatrix) frmScenMatrix->Window().Unload();
    frmScenMatrix.reset();
    ctx_.DestroyReleasedDialogs();
    frmScenMatrix = std::make_unique<DlgScenMatrix>(ctx_.ui);
    frmScenMatrix->AddScenarios = [this](const std::vector<std::string>& scenarios) {
        frmScenMatrix_AddScenarios(scenarios);
    };
    frmScenMatrix->ComboTuner->Clear();
    frmScenMatrix->SetTunerOptions(ctx_.props.TunerString);
    frmScenMatrix->Window().Show(!ctx_.host.ModelessAllowed());
}

void MatrixScenarios::frmScenMatrix_AddScenarios(const std::vector<std::string>& scenarios) {
    // The dialog is still running its OK handler: it is released here and
    // destroyed when the next one takes its place.
    ctx_.ReleaseDialog(frmScenMatrix);
    for (const std::string& text : scenarios) {
        if (ctx_.portfolio.LastScenarioKey() == std::numeric_limits<int32_t>::max())
            throw std::runtime_error(
                "Adding the scenario matrix: every scenario key has been handed out; the "
                "scenarios from '" +
                text + "' on are not listed.");
        auto record = std::make_shared<CScenario>();
        record->CreateScenario(text, ctx_.Loc());
        ctx_.portfolio.AddScenario(record, ctx_.portfolio.LastScenarioKey() + 1);
        ctx_.portfolio.AddStoredScenario(record);
    }
    if (!ctx_.portfolio.Scenarios().Empty()) ctx_.ScenarioList().SetSelected(0, true);
}

}  // namespace zemra

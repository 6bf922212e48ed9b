// The scenario matrix on the control's side: opening DlgScenMatrix and
// listing the scenarios it generates.
#include <limits>
#include <stdexcept>

#include "scenarios/MatrixScenarios.h"

namespace zemra {

MatrixScenarios::MatrixScenarios(PanelContext& ctx, Button* BtnScenMatrix) : m_ctx(ctx) {
    BtnScenMatrix->Click = [this] { BtnScenMatrix_Click(); };
}

void MatrixScenarios::BtnScenMatrix_Click() {
    if (frmScenMatrix) frmScenMatrix->Window().Unload();
    frmScenMatrix.reset();
    m_ctx.DestroyReleasedDialogs();
    frmScenMatrix = std::make_unique<DlgScenMatrix>(m_ctx.ui);
    frmScenMatrix->AddScenarios = [this](const std::vector<std::string>& scenarios) {
        frmScenMatrix_AddScenarios(scenarios);
    };
    frmScenMatrix->ComboTuner->Clear();
    frmScenMatrix->SetTunerOptions(m_ctx.props.TunerString);
    frmScenMatrix->Window().Show(!m_ctx.host.ModelessAllowed());
}

void MatrixScenarios::frmScenMatrix_AddScenarios(const std::vector<std::string>& scenarios) {
    // The dialog is still running its OK handler: it is released here and
    // destroyed when the next one takes its place.
    m_ctx.ReleaseDialog(frmScenMatrix);
    for (const std::string& text : scenarios) {
        if (m_ctx.portfolio.LastScenarioKey() == std::numeric_limits<int32_t>::max())
            throw std::runtime_error(
                "Adding the scenario matrix: every scenario key has been handed out; the "
                "scenarios from '" +
                text + "' on are not listed.");
        auto record = std::make_shared<CScenario>();
        record->CreateScenario(text, m_ctx.Loc());
        m_ctx.portfolio.AddScenario(record, m_ctx.portfolio.LastScenarioKey() + 1);
        m_ctx.portfolio.AddStoredScenario(record);
    }
    if (!m_ctx.portfolio.Scenarios().Empty()) m_ctx.ScenarioList().SetSelected(0, true);
}

}  // namespace zemra

#pragma once
// The scenario matrix on the control's side: opening DlgScenMatrix and
// listing the scenarios it generates.
#include <memory>
#include <string>
#include <vector>

#include "context/PanelContext.h"
#include "scenarios/DlgScenMatrix.h"

namespace zemra {

class MatrixScenarios {
public:
    MatrixScenarios(PanelContext& ctx, Button* BtnScenMatrix);

    // The Scenario Matrix dialog from its opening until it hands over its
    // scenarios (after Cancel it stays, closed, until the next opening).
    DlgScenMatrix* ScenMatrixDialog() const { return frmScenMatrix.get(); }

private:
    void BtnScenMatrix_Click();
    void frmScenMatrix_AddScenarios(const std::vector<std::string>& scenarios);

    PanelContext& m_ctx;
    std::unique_ptr<DlgScenMatrix> frmScenMatrix;
};

}  // namespace zemra

#pragma once
// The impact run: values every security under every scenario and computes
// the dollar Greeks, sub-impacts and scenario totals (compute/ImpactMath.h),
// then has the panel show them; and the debug view of one security's
// scenario-detail request.
#include <string>
#include <vector>

#include "context/PanelContext.h"

namespace zemra {

// The impact run's elements, made by the panel's layout.
struct ImpactWidgets {
    Button* UpdateBtn = nullptr;
    Button* CmdDebug = nullptr;
    // The field that takes the focus after an Update: the stock change.
    TextBox* focusAfterUpdate = nullptr;
};

class ImpactRun : private ImpactWidgets {
public:
    ImpactRun(PanelContext& ctx, const ImpactWidgets& widgets);

    void UpdateBtn_Click();
    // Every security's sub-impact under every scenario and each scenario's
    // total $Impact, written to the scenarios and their impact rows.
    void CalculateImpacts();

private:
    void CmdDebug_Click();
    void ApplyValuationReplies(int position, const std::string& detailReply, const std::string& carryReply);

    PanelContext& m_ctx;
    // Room for one security's valuations while its replies are read, kept
    // from security to security.
    std::vector<CValuation> m_stagedValuations;
};

}  // namespace zemra

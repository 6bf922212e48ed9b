// The impact run: values every security under every scenario and computes
// the dollar Greeks, sub-impacts and scenario totals (server/ImpactMath.h),
// then has the panel show them; and the debug view.
#include <stdexcept>
#include <string>
#include <vector>

#include "compute/ImpactMath.h"
#include "compute/PageContract.h"
#include "compute/Queries.h"
#include "compute/ValuationFigures.h"
#include "impact/ImpactRun.h"
#include "records/CarryOption.h"
#include "toolkit/NumberText.h"

namespace zemra {

ImpactRun::ImpactRun(PanelContext& ctx, const ImpactWidgets& widgets) : ImpactWidgets(widgets), m_ctx(ctx) {
    UpdateBtn->Click = [this] { UpdateBtn_Click(); };
    CmdDebug->Click = [this] { CmdDebug_Click(); };
}

void ImpactRun::UpdateBtn_Click() {
    if (m_ctx.portfolio.Securities().Empty() || m_ctx.portfolio.Scenarios().Empty()) {
        m_ctx.MsgOk(m_ctx.portfolio.Scenarios().Empty() ? "Choose the scenario you wish to update!"
                                                        : "Choose the security you wish to update!");
    } else {
        const int securities = m_ctx.portfolio.Securities().Count();
        // What every security's queries share is written once.
        const ScenarioLists lists = BuildScenarioLists(m_ctx.portfolio.Scenarios());
        for (int i = 1; i <= securities; ++i) {
            // A failure ends the run here, naming the security; the ones
            // before it keep their new values.
            try {
                const std::string query = SecurityAndScenarioQuery(m_ctx.portfolio, i, lists);
                if (m_ctx.props.ScenarioDetailPath.empty()) {
                    m_ctx.MsgOk("Please give ScenarioDetail.asp file path!");
                    return;
                }
                m_ctx.ShowProgress();
                m_ctx.refresh.ShowRunProgress(i - 1, securities);
                const std::string detailReply = m_ctx.FetchReply(pages::Address(m_ctx.props.ScenarioDetailPath, query));
                const std::string carryQuery =
                    BuildCarryQuery(m_ctx.portfolio.Securities().Item(i)) + lists.timeChanges;
                const std::string carryReply = m_ctx.FetchReply(pages::Address(m_ctx.props.CarryCalcPath, carryQuery));
                ApplyValuationReplies(i, detailReply, carryReply);
                m_ctx.refresh.ShowRunProgress(i, securities);
            } catch (const std::exception& e) {
                // The impacts shown no longer match every security's
                // figures: leave the busy state and say that they are stale.
                m_ctx.HideProgress();
                m_ctx.SetStaleNotice();
                throw std::runtime_error("The $Impact update stopped at security '" +
                                         m_ctx.portfolio.Securities().Item(i).Getdescription() + "': " + e.what());
            }
        }
        CalculateImpacts();
        // The totals shown under each scenario must be figures too.
        for (int s = 1; s <= m_ctx.portfolio.Scenarios().Count(); ++s) {
            if (!AllFinite(SumDollarGreeks(m_ctx.portfolio, s)))
                throw std::runtime_error("The $Impact update stopped under scenario '" +
                                         m_ctx.portfolio.Scenarios().Item(s).Getdescription() +
                                         "': the portfolio's dollar Greeks are too large to compute.");
        }
        m_ctx.refresh.ShowSecurity();
        m_ctx.refresh.ShowScenarioDetail();
        m_ctx.refresh.ShowValuation();
        m_ctx.HideProgress();
    }
    m_ctx.panel.SetFocus(*focusAfterUpdate);
}

// Fills the valuations of one security from its two replies; a security
// whose replies cannot be applied keeps all its previous values.
void ImpactRun::ApplyValuationReplies(int position, const std::string& detailReply, const std::string& carryReply) {
    const ValuationRow& row = m_ctx.portfolio.Valuations().Item(position);
    std::vector<CValuation>& staged = m_stagedValuations;
    StageValuations(m_ctx.portfolio.Securities().Item(position), m_ctx.portfolio.Scenarios(), row, detailReply,
                    carryReply, staged);
    // Each valuation in turn writes its carry to LbCarry; the last one with
    // a carry option that chooses a carry is what the label shows afterwards.
    int carryShown = 0;
    for (int j = 1; j <= row.Count(); ++j) {
        row.Item(j) = staged[static_cast<std::size_t>(j - 1)];
        if (ChosenCarry(row.Item(j))) carryShown = j;
    }
    if (carryShown > 0) m_ctx.refresh.ShowCarryLabel(row.Item(carryShown));
}

// Every security's sub-impact under every scenario and each scenario's total
// $Impact, written to the scenarios and their impact rows. Without valued
// securities every total is 0.
void ImpactRun::CalculateImpacts() {
    zemra::CalculateImpacts(m_ctx.portfolio, [this](int scenario, double total) {
        m_ctx.portfolio.Scenarios().Item(scenario).SetImpact(total);
        m_ctx.portfolio.ShowImpactRow(scenario);
    });
    m_ctx.refresh.ImpactsCalculated();
}

// The debug view: the selected security's scenario-detail address, with the
// debug switch, in a new browser window. No reply is read and nothing
// changes.
void ImpactRun::CmdDebug_Click() {
    if (m_ctx.portfolio.Securities().Empty() || m_ctx.portfolio.Scenarios().Empty()) return;
    const int row = m_ctx.SecurityList().ListIndex();
    if (row < 0) return;  // no selected security to build the query for
    const int position = row + 1;
    const std::string query = SecurityAndScenarioQuery(m_ctx.portfolio, position);
    std::string address;
    if (!m_ctx.props.ScenarioDetailPath.empty())
        address = pages::Address(m_ctx.props.ScenarioDetailPath, query) + pages::DebugSwitch();
    m_ctx.host.OpenBrowserWindow(address);
}

}  // namespace zemra

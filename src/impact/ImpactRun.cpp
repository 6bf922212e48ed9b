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

ImpactRun::ImpactRun(PanelContext& ctx, const ImpactWidgets& widgets) : ImpactWidgets(widgets), ctx_(ctx) {
    UpdateBtn->Click = [this] { UpdateBtn_Click(); };
    CmdDebug->Click = [this] { CmdDebug_Click(); };
}

void ImpactRun::UpdateBtn_Click() {
    if (ctx_.portfolio.Securities().Empty() || ctx_.portfolio.Scenarios().Empty()) {
        ctx_.MsgOk(ctx_.portfolio.Scenarios().Empty() ? "Choose the scenario you wish to update!"
                                                      : "Choose the security you wish to update!");
    } else {
        const int securities = ctx_.portfolio.Securities().Count();
        // What every security's queries share is written once.
        const ScenarioLists lists = BuildScenarioLists(ctx_.portfolio.Scenarios());
        for (int i = 1; i <= securities; ++i) {
            // A failure ends the run here, naming the security; the ones
            // before it keep their new values.
            try {
                const std::string query = SecurityAndScenarioQuery(ctx_.portfolio, i, lists);
                if (ctx_.props.ScenarioDetailPath.empty()) {
                    ctx_.MsgOk("Please give ScenarioDetail.asp file path!");
                    return;
                }
                ctx_.ShowProgress();
                ctx_.refresh.ShowRunProgress(i - 1, securities);
                const std::string detailReply = ctx_.FetchReply(pages::Address(ctx_.props.ScenarioDetailPath, query));
                const std::string carryQuery = BuildCarryQuery(ctx_.portfolio.Securities().Item(i)) + lists.timeChanges;
                const std::string carryReply = ctx_.FetchReply(pages::Address(ctx_.props.CarryCalcPath, carryQuery));
                ApplyValuationReplies(i, detailReply, carryReply);
                ctx_.refresh.ShowRunProgress(i, securities);
            } catch (const std::exception& e) {
                // The impacts shown no longer match every security's
                // figures: leave the busy state and say that they are stale.
                ctx_.HideProgress();
                ctx_.SetStaleNotice();
                throw std::runtime_error("The $Impact update stopped at security '" +
                                         ctx_.portfolio.Securities().Item(i).Getdescription() + "': " + e.what());
            }
        }
        CalculateImpacts();
        // The totals shown under each scenario must be figures too.
        for (int s = 1; s <= ctx_.portfolio.Scenarios().Count(); ++s) {
            if (!AllFinite(SumDollarGreeks(ctx_.portfolio, s)))
                throw std::runtime_error("The $Impact update stopped under scenario '" +
                                         ctx_.portfolio.Scenarios().Item(s).Getdescription() +
                                         "': the portfolio's dollar Greeks are too large to compute.");
        }
        ctx_.refresh.ShowSecurity();
        ctx_.refresh.ShowScenarioDetail();
        ctx_.refresh.ShowValuation();
        ctx_.HideProgress();
    }
    ctx_.panel.SetFocus(*focusAfterUpdate);
}

// Fills the valuations of one security from its two replies; a security
// whose replies cannot be applied keeps all its previous values.
void ImpactRun::ApplyValuationReplies(int position, const std::string& detailReply, const std::string& carryReply) {
    const ValuationRow& row = ctx_.portfolio.Valuations().Item(position);
    std::vector<CValuation>& staged = stagedValuations_;
    StageValuations(ctx_.portfolio.Securities().Item(position), ctx_.portfolio.Scenarios(), row, detailReply,
                    carryReply, staged);
    // Each valuation in turn writes its carry to LbCarry; the last one with
    // a carry option that chooses a carry is what the label shows afterwards.
    int carryShown = 0;
    for (int j = 1; j <= row.Count(); ++j) {
        row.Item(j) = staged[static_cast<std::size_t>(j - 1)];
        if (ChosenCarry(row.Item(j))) carryShown = j;
    }
    if (carryShown > 0) ctx_.refresh.ShowCarryLabel(row.Item(carryShown));
}

// Every security's sub-impact under every scenario and each scenario's total
// $Impact, written to the scenarios and their impact rows. Without valued
// securities every total is 0.
void ImpactRun::CalculateImpacts() {
    zemra::CalculateImpacts(ctx_.portfolio, [this](int scenario, double total) {
        ctx_.portfolio.Scenarios().Item(scenario).SetImpact(total);
        ctx_.portfolio.ShowImpactRow(scenario);
    });
    ctx_.refresh.ImpactsCalculated();
}

// The debug view: the selected security's scenario-detail address, with the
// debug switch, in a new browser window. No reply is read and nothing
// changes.
void ImpactRun::CmdDebug_Click() {
    if (ctx_.portfolio.Securities().Empty() || ctx_.portfolio.Scenarios().Empty()) return;
    const int row = ctx_.SecurityList().ListIndex();
    if (row < 0) return;  // no selected security to build the query for
    const int position = row + 1;
    const std::string query = SecurityAndScenarioQuery(ctx_.portfolio, position);
    std::string address;
    if (!ctx_.props.ScenarioDetailPath.empty())
        address = pages::Address(ctx_.props.ScenarioDetailPath, query) + pages::DebugSwitch();
    ctx_.host.OpenBrowserWindow(address);
}

}  // namespace zemra

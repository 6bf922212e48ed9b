// The impact run: values every security under every scenario and computes
// the dollar Greeks, sub-impacts and scenario totals (server/ImpactMath.h),
// then shows them.
#include <stdexcept>
#include <string>
#include <vector>

#include "control/MainCtl.h"
#include "compute/ValuationFigures.h"
#include "records/CarryOption.h"
#include "compute/ImpactMath.h"
#include "compute/PageContract.h"
#include "compute/Queries.h"
#include "toolkit/NumberText.h"

namespace zemra {

void MainCtl::WireServerEvents() {
    UpdateBtn->Click = [this] { UpdateBtn_Click(); };
    CmdDebug->Click = [this] { CmdDebug_Click(); };
}

void MainCtl::UpdateBtn_Click() {
    if (portfolio_.Securities().Empty() || portfolio_.Scenarios().Empty()) {
        MsgOk(portfolio_.Scenarios().Empty() ? "Choose the scenario you wish to update!" : "Choose the security you wish to update!");
    } else {
        const int securities = portfolio_.Securities().Count();
        // What every security's queries share is written once.
        const ScenarioLists lists = BuildScenarioLists(portfolio_.Scenarios());
        for (int i = 1; i <= securities; ++i) {
            // A failure ends the run here, naming the security; the ones
            // before it keep their new values.
            try {
                const std::string query = SecurityAndScenarioQuery(portfolio_, i, lists);
                if (props_.ScenarioDetailPath.empty()) {
                    MsgOk("Please give ScenarioDetail.asp file path!");
                    return;
                }
                ShowProgress();
                ShowRunProgress(i - 1, securities);
                const std::string detailReply = FetchReply(pages::Address(props_.ScenarioDetailPath, query));
                const std::string carryQuery = BuildCarryQuery(portfolio_.Securities().Item(i)) + lists.timeChanges;
                const std::string carryReply = FetchReply(pages::Address(props_.CarryCalcPath, carryQuery));
                ApplyValuationReplies(i, detailReply, carryReply);
                ShowRunProgress(i, securities);
            } catch (const std::exception& e) {
                // The impacts shown no longer match every security's
                // figures: leave the busy state and say that they are stale.
                HideProgress();
                SetStaleNotice();
                throw std::runtime_error("The $Impact update stopped at security '" +
                                         portfolio_.Securities().Item(i).Getdescription() + "': " + e.what());
            }
        }
        CalculateImpacts();
        // The totals shown under each scenario must be figures too.
        for (int s = 1; s <= portfolio_.Scenarios().Count(); ++s) {
            if (!AllFinite(SumDollarGreeks(portfolio_, s)))
                throw std::runtime_error("The $Impact update stopped under scenario '" +
                                         portfolio_.Scenarios().Item(s).Getdescription() +
                                         "': the portfolio's dollar Greeks are too large to compute.");
        }
        ShowSecurity();
        ShowScenarioDetail();
        ShowValuation();
        HideProgress();
    }
    panel_.SetFocus(*TxtScenario[m_StkChgIdx]);
}

// Fills the valuations of one security from its two replies; a security
// whose replies cannot be applied keeps all its previous values.
void MainCtl::ApplyValuationReplies(int position, const std::string& detailReply, const std::string& carryReply) {
    const ValuationRow& row = portfolio_.Valuations().Item(position);
    std::vector<CValuation>& staged = stagedValuations_;
    StageValuations(portfolio_.Securities().Item(position), portfolio_.Scenarios(), row, detailReply, carryReply,
                    staged);
    // Each valuation in turn writes its carry to LbCarry; the last one with
    // a carry option that chooses a carry is what the label shows afterwards.
    int carryShown = 0;
    for (int j = 1; j <= row.Count(); ++j) {
        row.Item(j) = staged[static_cast<std::size_t>(j - 1)];
        if (ChosenCarry(row.Item(j))) carryShown = j;
    }
    if (carryShown > 0) ShowCarryLabel(row.Item(carryShown));
}

// Every security's sub-impact under every scenario and each scenario's total
// $Impact, written to the scenarios and their impact rows. Without valued
// securities every total is 0.
void MainCtl::CalculateImpacts() {
    zemra::CalculateImpacts(portfolio_, [this](int scenario, double total) {
        portfolio_.Scenarios().Item(scenario).SetImpact(total);
        portfolio_.ShowImpactRow(scenario);
    });
    ++impactRuns_;
}

}  // namespace zemra

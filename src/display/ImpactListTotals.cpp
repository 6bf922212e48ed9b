// The impact list, the portfolio totals and the scenario summary.
#include <stdexcept>

#include "control/MainCtl.h"
#include "compute/ValuationFigures.h"
#include "toolkit/NumberText.h"

namespace zemra {

void MainCtl::WireImpactListEvents() {
    LstImpact->Click = [this] { LstImpact_Click(); };
}

// The totals frame: the dollar Greeks of every security under the current
// scenario, their share equivalents in the current security and its
// effective delta.
void MainCtl::ShowTotals() {
    if (portfolio_.Valuations().Empty()) return;
    const int c = ScenarioLst->ListIndex();
    if (c < 0) return;
    const DollarTotals totals = SumDollarGreeks(portfolio_, c + 1);
    const int s = LstSecurity->ListIndex();
    if (s < 0) return;
    const CSecurity& security = portfolio_.Securities().Item(s + 1);
    const CValuation& valuation = portfolio_.ValuationAt(s + 1, c + 1);

    auto show = [this](Label* label, double value, int decimals = 0) {
        label->caption = FormatGrouped(value, decimals, Loc());
    };
    for (int k = 0; k < 2; ++k) {
        const ShareTotals shares = ShareTotalsOf(totals, k, security, valuation);
        show(LbDolDeltaTol[k], totals.delta[k]);
        // A stock price of 0 keeps the share captions.
        if (shares.deltaShares) show(LbDolDelShrsTot[k], *shares.deltaShares);
        if (shares.gammaShares) show(LbGamShrsTot[k], *shares.gammaShares);
        show(LbDolGamTol[k], totals.gamma[k]);
        show(LbDolVegaTol[k], totals.vega[k]);
        show(LbDolRhoTol[k], totals.rho[k]);
        show(LbDolCSprd01Tot[k], totals.spread[k]);
        if (shares.effectiveDelta) {
            show(LbEffDelta[k], *shares.effectiveDelta, 2);
            LbEffDelta[k]->foreColor = SignColor(*shares.effectiveDelta);
        } else {
            LbEffDelta[k]->caption = "0";
            LbEffDelta[k]->foreColor = kBlue;
        }
        LbDolDeltaTol[k]->foreColor = SignColor(totals.delta[k]);
        LbDolDelShrsTot[k]->foreColor = SignColor(totals.delta[k]);
        LbDolGamTol[k]->foreColor = SignColor(totals.gamma[k]);
        LbGamShrsTot[k]->foreColor = SignColor(totals.gamma[k]);
        LbDolVegaTol[k]->foreColor = SignColor(totals.vega[k]);
        LbDolRhoTol[k]->foreColor = SignColor(totals.rho[k]);
        LbDolCSprd01Tot[k]->foreColor = SignColor(totals.spread[k]);
    }
}

// The summary of the current scenario, or empty fields and an empty impact
// list when there are no scenarios.
void MainCtl::ShowScenarioDetail() {
    const int r = ScenarioLst->ListIndex();
    if (portfolio_.Scenarios().Empty() || r < 0) {
        for (TextBox* field : TxtScenario) field->SetText("");
        LabelImpact->caption.clear();
        DescriptionFld->SetText("");
        // Rows without a current one still belong to their scenarios.
        if (portfolio_.Scenarios().Empty()) LstImpact->Clear();
        return;
    }
    const CScenario& scenario = portfolio_.Scenarios().Item(r + 1);
    for (int i = 0; i < kScenarioSlots; ++i)
        TxtScenario[i]->SetText(PlainNumber(scenario.GetScenarioProperties(i), Loc().decimalSeparator));
    DescriptionFld->SetText(scenario.Getdescription());
    LabelImpact->caption = FormatGrouped(scenario.GetImpact(), 0, Loc(), true);
    ShowTuner(scenario.Gettuner());
    ComboAutoLoad->SetText(scenario.GetAutoLoad());
    TxtDate->SetText(ValuationDateText(Today(), scenario.GetScenarioProperties(m_TimeIdx)));
}

// A click on an impact row leaves its scenario the only selected and the
// current row of the scenario list. The row becomes current first: every
// selection change runs the scenario list's click handling, which shows its
// current row (and selects that row here) once a single row is left.
void MainCtl::LstImpact_Click() {
    const int r = LstImpact->ListIndex();
    if (r < 0) return;
    if (r >= ScenarioLst->Count()) {
        throw std::runtime_error("The impact row " + std::to_string(r + 1) + " has no scenario: the scenario list holds " +
                                 std::to_string(ScenarioLst->Count()) + " rows.");
    }
    if (ScenarioLst->ListIndex() != r || !ScenarioLst->Selected(r)) ScenarioLst->SetSelected(r, true);
    for (int i = 0; i < ScenarioLst->Count(); ++i)
        if (i != r && ScenarioLst->Selected(i)) ScenarioLst->SetSelected(i, false);
}

}  // namespace zemra

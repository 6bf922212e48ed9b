// The totals frame: the dollar Greeks of every security under the current
// scenario.
#include "compute/ValuationFigures.h"
#include "display/ValuationPanel.h"
#include "toolkit/NumberText.h"

namespace zemra {

// The totals frame: the dollar Greeks of every security under the current
// scenario, their share equivalents in the current security and its
// effective delta.
void ValuationPanel::ShowTotals() {
    if (m_ctx.portfolio.Valuations().Empty()) return;
    const int c = m_ctx.ScenarioList().ListIndex();
    if (c < 0) return;
    const DollarTotals totals = SumDollarGreeks(m_ctx.portfolio, c + 1);
    const int s = m_ctx.SecurityList().ListIndex();
    if (s < 0) return;
    const CSecurity& security = m_ctx.portfolio.Securities().Item(s + 1);
    const CValuation& valuation = m_ctx.portfolio.ValuationAt(s + 1, c + 1);

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
            LbEffDelta[k]->foreColor = SignColor(*shares.effectiveDelta, 2);
        } else {
            LbEffDelta[k]->caption = "0";
            LbEffDelta[k]->foreColor = kBlue;
        }
        LbDolDeltaTol[k]->foreColor = SignColor(totals.delta[k], 0);
        LbDolDelShrsTot[k]->foreColor = SignColor(totals.delta[k], 0);
        LbDolGamTol[k]->foreColor = SignColor(totals.gamma[k], 0);
        LbGamShrsTot[k]->foreColor = SignColor(totals.gamma[k], 0);
        LbDolVegaTol[k]->foreColor = SignColor(totals.vega[k], 0);
        LbDolRhoTol[k]->foreColor = SignColor(totals.rho[k], 0);
        LbDolCSprd01Tot[k]->foreColor = SignColor(totals.spread[k], 0);
    }
}

}  // namespace zemra

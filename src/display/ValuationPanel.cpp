// The valuation panel of one security under one scenario: the server's
// figures in a current and an estimated column, the dollar Greeks and share
// figures of the position, the carry and the tuner the valuation used.
#include "control/MainCtl.h"
#include "compute/ValuationFigures.h"
#include "records/CarryOption.h"
#include "toolkit/NumberText.h"

namespace zemra {

void MainCtl::WireDisplayEvents() {
    LstSecurity->Click = [this] { LstSecurity_Click(); };
    WireImpactListEvents();
}

void MainCtl::ShowValuation() {
    ShowResultsView();
    const int s = LstSecurity->ListIndex();
    const int c = ScenarioLst->ListIndex();
    if (s < 0 || c < 0 || portfolio_.Securities().Empty() || portfolio_.Scenarios().Empty()) {
        BlankValuationPanel();
        return;
    }
    const CSecurity& security = portfolio_.Securities().Item(s + 1);
    const CValuation& valuation = portfolio_.ValuationAt(s + 1, c + 1);

    for (int i = 0; i < kValuationSlots; ++i) {
        const double v = valuation.Getvaluation(i);
        LabelValuation[i]->caption = FormatGrouped(ShownValuation(i, v, security.GetFxRate()), ValuationDecimals(i), Loc());
        LabelValuation[i]->foreColor = SignColor(v);
    }

    ShowTuner2(valuation.Gettuner());
    TxtTunerVal->SetText(PlainNumber(valuation.GetTunerValue(), Loc().decimalSeparator));
    ShowCarryLabel(valuation);

    for (int k = 0; k < 2; ++k) {
        const std::pair<Label*, double> figures[] = {
            {LbDolDelta[k], valuation.GetDolDelta(k)},     {LbDolGamma[k], valuation.GetDolGamma(k)},
            {LbDolVega[k], valuation.GetDolVega(k)},       {LbDolRho[k], valuation.GetDolRho(k)},
            {LbDelShrs[k], valuation.GetDelShrs(k)},       {LbDolCSprd01[k], valuation.GetDolCSprd(k)},
            {LbGamShrs[k], valuation.GetGammaShrs(k)},     {LbDolDelShrs[k], valuation.GetDolDelShrs(k)},
        };
        for (const auto& [label, value] : figures) {
            label->caption = FormatGrouped(value, 0, Loc());
            label->foreColor = SignColor(value);
        }
    }

    ShowTotals();
}

// No current security or scenario: every figure of the valuation panel and
// of the totals frame shows the empty text; colours stay as they were.
void MainCtl::BlankValuationPanel() {
    for (Label* label : LabelValuation) label->caption.clear();
    TxtTunerVal->SetText("");
    LbCarry->caption.clear();
    for (int k = 0; k < 2; ++k) {
        for (auto* pair : {&LbDolDelta, &LbDolGamma, &LbDolVega, &LbDolRho, &LbDolDeltaTol, &LbDolGamTol,
                           &LbDolVegaTol, &LbDolRhoTol, &LbDelShrs, &LbEffDelta, &LbGamShrsTot, &LbDolCSprd01Tot,
                           &LbDolCSprd01, &LbGamShrs, &LbDolDelShrsTot, &LbDolDelShrs}) {
            (*pair)[k]->caption.clear();
        }
    }
}

// The carry a valuation's option chooses in LbCarry; any other option
// leaves the label as it is.
void MainCtl::ShowCarryLabel(const CValuation& val) {
    const std::optional<double> carry = ChosenCarry(val);
    if (!carry) return;
    LbCarry->caption = FormatGrouped(*carry, 0, Loc());
    LbCarry->foreColor = SignColor(*carry);
}

// A new current security: its assumptions, then its valuation and the
// totals.
void MainCtl::LstSecurity_Click() {
    ShowSecurity();
    ShowValuation();
}

}  // namespace zemra

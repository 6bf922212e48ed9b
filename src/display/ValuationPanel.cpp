// The valuation panel of one security under one scenario: the server's
// figures in a current and an estimated column, the dollar Greeks and share
// figures of the position, the carry and the tuner the valuation used.
#include <limits>
#include <stdexcept>

#include "control/MainCtl.h"
#include "toolkit/NumberText.h"

namespace zemra {

namespace {

// Decimals of LabelValuation(i); the stock prices (0 and 15) are also
// divided by the security's FX rate.
int ValuationDecimals(int i) {
    switch (i) {
        case m_SubImpact:
        case m_CurImpSprd:
        case m_UpdateImpSprd: return 0;
        case m_CurDelta:
        case m_UpdateDelta:
        case m_CurYTM:
        case m_UpdateYTM:
        case m_CurYTC:
        case m_UpdateYTC:
        case m_CurYTP:
        case m_UpdateYTP: return 2;
        case m_CurImpVol:
        case m_UpdateImpVol: return 1;
        default: return 3;
    }
}

}  // namespace

void MainCtl::WireDisplayEvents() {
    LstSecurity->Click = [this] { LstSecurity_Click(); };
    WireImpactListEvents();
}

void MainCtl::ShowValuation() {
    const int s = LstSecurity->ListIndex();
    const int c = ScenarioLst->ListIndex();
    if (s < 0 || c < 0 || portfolio_.Securities().Empty() || portfolio_.Scenarios().Empty()) {
        BlankValuationPanel();
        return;
    }
    const CSecurity& security = portfolio_.Securities().Item(s + 1);
    const CValuation& valuation = portfolio_.ValuationAt(s + 1, c + 1);

    const double fxRate = security.GetFxRate();
    for (int i = 0; i < kValuationSlots; ++i) {
        const double v = valuation.Getvaluation(i);
        double shown = v;
        if (i == m_CurStkPrice || i == m_UpdateStkPrice) {
            // Without an FX rate the price in the security's currency has no
            // value: the label shows the empty text.
            shown = fxRate != 0 ? v / fxRate : std::numeric_limits<double>::quiet_NaN();
        }
        LabelValuation[i]->caption = FormatGrouped(shown, ValuationDecimals(i), Loc());
        LabelValuation[i]->foreColor = SignColor(v);
    }

    ShowTuner2(valuation.Gettuner());
    TxtTunerVal->SetText(PlainNumber(valuation.GetTunerValue(), Loc().decimalSeparator));

    // optCarry 0 shows the full carry, 1 the net carry; any other value
    // leaves the label as it was.
    const int32_t option = valuation.GetoptCarry();
    if (option == 0 || option == 1) {
        const double carry = valuation.GetCarry(option == 0 ? m_CarryIdx : m_NetCarryIdx);
        LbCarry->caption = FormatGrouped(carry, 0, Loc());
        LbCarry->foreColor = SignColor(carry);
    }

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

// A new current security: its assumptions, then its valuation and the
// totals.
void MainCtl::LstSecurity_Click() {
    ShowSecurity();
    ShowValuation();
}

}  // namespace zemra

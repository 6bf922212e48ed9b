// The valuation panel of one security under one scenario: the server's
// figures in a current and an estimated column, the dollar Greeks and share
// figures of the position, the carry and the tuner the valuation used, which
// the user may change for the next Update.
#include "display/ValuationPanel.h"
#include "compute/OptionLists.h"
#include "compute/ValuationFigures.h"
#include "records/CarryOption.h"
#include "toolkit/FieldMessages.h"
#include "toolkit/NumberText.h"
#include "toolkit/TextSplit.h"
#include "toolkit/WholeText.h"

namespace zemra {

ValuationPanel::ValuationPanel(PanelContext& ctx, const ValuationWidgets& widgets)
    : ValuationWidgets(widgets), m_ctx(ctx) {
    ComboTuner2->Validate = [this](bool& cancel) { ComboTuner2_Validate(cancel); };
    TxtTunerVal->GotFocus = [this] { TxtTunerVal_GotFocus(); };
    TxtTunerVal->Validate = [this](bool& cancel) { TxtTunerVal_Validate(cancel); };
}

void ValuationPanel::ShowValuation() {
    m_ctx.refresh.ShowResultsView();
    const int s = m_ctx.SecurityList().ListIndex();
    const int c = m_ctx.ScenarioList().ListIndex();
    if (s < 0 || c < 0 || m_ctx.portfolio.Securities().Empty() || m_ctx.portfolio.Scenarios().Empty()) {
        BlankValuationPanel();
        return;
    }
    const CSecurity& security = m_ctx.portfolio.Securities().Item(s + 1);
    const CValuation& valuation = m_ctx.portfolio.ValuationAt(s + 1, c + 1);

    for (int i = 0; i < kValuationSlots; ++i) {
        const double v = valuation.Getvaluation(i);
        LabelValuation[i]->caption = ValuationText(i, v, security.GetFxRate(), Loc());
        LabelValuation[i]->foreColor = SignColor(v, ValuationDecimals(i));
    }

    ShowTuner2(valuation.Gettuner());
    TxtTunerVal->SetText(PlainNumber(valuation.GetTunerValue(), Loc().decimalSeparator));
    ShowCarryLabel(valuation);

    for (int k = 0; k < 2; ++k) {
        const std::pair<Label*, double> figures[] = {
            {LbDolDelta[k], valuation.GetDolDelta(k)}, {LbDolGamma[k], valuation.GetDolGamma(k)},
            {LbDolVega[k], valuation.GetDolVega(k)},   {LbDolRho[k], valuation.GetDolRho(k)},
            {LbDelShrs[k], valuation.GetDelShrs(k)},   {LbDolCSprd01[k], valuation.GetDolCSprd(k)},
            {LbGamShrs[k], valuation.GetGammaShrs(k)}, {LbDolDelShrs[k], valuation.GetDolDelShrs(k)},
        };
        for (const auto& [label, value] : figures) {
            label->caption = FormatGrouped(value, 0, Loc());
            label->foreColor = SignColor(value, 0);
        }
    }

    ShowTotals();
}

// No current security or scenario: every figure of the valuation panel and
// of the totals frame shows the empty text; colours stay as they were.
void ValuationPanel::BlankValuationPanel() {
    for (Label* label : LabelValuation) label->caption.clear();
    TxtTunerVal->SetText("");
    LbCarry->caption.clear();
    for (int k = 0; k < 2; ++k) {
        for (auto* pair : {&LbDolDelta, &LbDolGamma, &LbDolVega, &LbDolRho, &LbDolDeltaTol, &LbDolGamTol, &LbDolVegaTol,
                           &LbDolRhoTol, &LbDelShrs, &LbEffDelta, &LbGamShrsTot, &LbDolCSprd01Tot, &LbDolCSprd01,
                           &LbGamShrs, &LbDolDelShrsTot, &LbDolDelShrs}) {
            (*pair)[k]->caption.clear();
        }
    }
}

// The carry a valuation's option chooses in LbCarry; any other option
// leaves the label as it is.
void ValuationPanel::ShowCarryLabel(const CValuation& val) {
    const std::optional<double> carry = ChosenCarry(val);
    if (!carry) return;
    LbCarry->caption = FormatGrouped(*carry, 0, Loc());
    LbCarry->foreColor = SignColor(*carry, 0);
}

void ValuationPanel::ShowSubImpact(const CValuation& val) {
    const double subImpact = val.Getvaluation(m_SubImpact);
    Label* label = LabelValuation[m_SubImpact];
    label->caption = FormatGrouped(subImpact, 0, Loc());
    label->foreColor = SignColor(subImpact, 0);
}

// The tuner entries are the scenario tuner's, loaded into both drop-downs
// alike.
void ValuationPanel::ShowTuner2(long code) { ComboTuner2->SetText(EntryText(*ComboTuner2, code)); }

void ValuationPanel::ComboTuner2_Validate(bool& /*cancel*/) {
    if (m_ctx.portfolio.Valuations().Empty() || m_ctx.SecurityList().Count() == 0 || m_ctx.ScenarioList().Count() == 0)
        return;
    const int security = m_ctx.SecurityList().ListIndex();
    const int scenario = m_ctx.ScenarioList().ListIndex();
    const int entry = ComboTuner2->ListIndex();
    // Without a current security, scenario or tuner entry there is no cell
    // and no tuner to set.
    if (security < 0 || scenario < 0 || entry < 0) return;
    m_ctx.portfolio.Valuations()
        .Item(security + 1)
        .Item(scenario + 1)
        .Settuner(static_cast<int32_t>(ComboTuner2->ItemData(entry)));
    m_ctx.SetStaleNotice();
}

void ValuationPanel::TxtTunerVal_GotFocus() { SelectWholeText(*TxtTunerVal); }

void ValuationPanel::TxtTunerVal_Validate(bool& cancel) {
    if (m_ctx.portfolio.Valuations().Empty() || m_ctx.SecurityList().Count() == 0 || m_ctx.ScenarioList().Count() == 0)
        return;
    const int security = m_ctx.SecurityList().ListIndex();
    const int scenario = m_ctx.ScenarioList().ListIndex();
    if (security < 0 || scenario < 0) return;
    CValuation& val = m_ctx.portfolio.Valuations().Item(security + 1).Item(scenario + 1);
    const std::string text = Trim(TxtTunerVal->Text());
    if (text.empty()) {
        val.SetTunerValue(0);
        return;
    }
    const auto value = ParseNumber(text, Loc());
    if (!value) {
        m_ctx.MsgOk(kDigitsOnlyFieldMessage);
        cancel = true;
        return;
    }
    val.SetTunerValue(*value);
}

}  // namespace zemra

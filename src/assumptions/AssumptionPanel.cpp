// Showing, editing and validating the current security's assumptions. Every
// accepted change goes straight into the security's record; nothing is
// recomputed until the next Update.
#include <cmath>
#include <stdexcept>

#include "assumptions/AssumptionPanel.h"

#include "compute/Hedge.h"
#include "records/RecovDecay.h"
#include "records/SecurityType.h"
#include "toolkit/NumberText.h"
#include "toolkit/TextSplit.h"
#include "toolkit/WholeText.h"

namespace zemra {

namespace {

constexpr const char* kDigitsOnly = "Please enter only digit characters in this field!";
constexpr const char* kDiscreteYears = "Please enter number for discrete dividend years!";
constexpr const char* kRecoveryDecay = "Please enter greater than zero value for recovery/decay rate/factor!";

// Positions, the credit spread and the stock position are whole numbers and
// shown grouped; every other assumption is shown as its plain number.
bool ShownGrouped(int index) { return index == ConvertPosIdx || index == CreditSprdIdx || index == StkPosIdx; }

}  // namespace

AssumptionPanel::AssumptionPanel(PanelContext& ctx, const AssumptionWidgets& widgets)
    : AssumptionWidgets(widgets), m_ctx(ctx) {
    auto selectAll = [](TextBox* box) { box->GotFocus = [box] { SelectWholeText(*box); }; };
    for (int i = 0; i < 10; ++i) {
        selectAll(TxtAssumptions[i]);
        TxtAssumptions[i]->Validate = [this, i](bool& cancel) { TxtAssumptions_Validate(i, cancel); };
    }
    for (TextBox* box : {TxtDelta, TxtDiscrYrs, TxtRecvDecVal}) selectAll(box);
    TxtDelta->Validate = [this](bool& cancel) { TxtDelta_Validate(cancel); };
    TxtDiscrYrs->Validate = [this](bool& cancel) { TxtDiscrYrs_Validate(cancel); };
    TxtRecvDecVal->Validate = [this](bool& cancel) { TxtRecvDecVal_Validate(cancel); };

    // The drop-downs take a change only by a pick from their open list:
    // opening the list unlocks them, picking an entry locks them again.
    for (ComboBox* combo : {CallAdjustmentComb, CurveComboBox, ComboDisc, ComboDivType}) {
        combo->DropDown = [combo] { combo->locked = false; };
        combo->Click = [combo] { combo->locked = true; };
    }
    // Recovery and decay apply only under the bankruptcy model.
    ComboRecv->DropDown = [this] { ComboRecv->locked = CheckBnkrpcy->Value() != 1; };
    ComboRecv->Click = [this] { ComboRecv->locked = true; };

    CallAdjustmentComb->Validate = [this](bool& cancel) { CallAdjustmentComb_Validate(cancel); };
    CurveComboBox->Validate = [this](bool& cancel) { CurveComboBox_Validate(cancel); };
    ComboDisc->Validate = [this](bool& cancel) { ComboDisc_Validate(cancel); };
    ComboDivType->Validate = [this](bool& cancel) { ComboDivType_Validate(cancel); };
    ComboRecv->Validate = [this](bool& cancel) { ComboRecv_Validate(cancel); };

    CheckBnkrpcy->Click = [this] { ApplyBankruptcyRule(); };
    CheckBnkrpcy->Validate = [this](bool& cancel) { CheckBnkrpcy_Validate(cancel); };
}

CSecurity* AssumptionPanel::CurrentSecurity() const {
    const int r = m_ctx.SecurityList().ListIndex();
    if (r < 0 || m_ctx.portfolio.Securities().Empty()) return nullptr;
    return &m_ctx.portfolio.Securities().Item(r + 1);
}

void AssumptionPanel::ShowSecurity() {
    CSecurity* current = CurrentSecurity();
    if (!current) {
        for (TextBox* box : TxtAssumptions) box->SetText("");
        TxtDelta->SetText("0");
        m_ctx.refresh.ClearCapital();
        LbFxRateToUSD->caption.clear();
        if (CallAdjustmentComb->Count() > 0) CallAdjustmentComb->SetListIndex(0);
        if (CurveComboBox->Count() > 0) CurveComboBox->SetListIndex(0);
        return;
    }
    CSecurity& sec = *current;

    TxtAssumptions[StkPosIdx]->locked = false;
    TxtAssumptions[StkPriceIdx]->locked = false;
    for (int i = 0; i < 10; ++i) {
        const double v = sec.GetProperties(i);
        // Grouped whole numbers keep the minus sign, so that the text reads
        // back as the stored number when the field is left.
        TxtAssumptions[i]->SetText(ShownGrouped(i) ? FormatGrouped(v, 0, Loc(), true)
                                                   : PlainNumber(v, Loc().decimalSeparator));
    }
    LbFxRateToUSD->caption = FormatGrouped(sec.FxToUsdValue(), 4, Loc());
    CallAdjustmentComb->SetText(EntryText(*CallAdjustmentComb, sec.GetCallAdjustment()));
    // A curve code missing from the curve list shows no curve.
    CurveComboBox->SetText(m_curves.NameOf(sec.GetCurve()).value_or(""));
    ShowDiscount(sec.GetDiscount());
    ShowDivType(sec.GetDivType());
    TxtDiscrYrs->SetText(PlainNumber(sec.m_DiscrYrs, Loc().decimalSeparator));
    ShowBankruptcy(sec.Getbankruptcy());
    ShowRecvDecay(sec.GetRecvDecay());
    TxtRecvDecVal->SetText(PlainNumber(sec.m_RecvDecayVal, Loc().decimalSeparator));
    m_ctx.refresh.RequestCapital(m_ctx.SecurityList().ListIndex());
    ShowDelta(sec);
    // A stock has no separate swap leg: its swap fields are read-only.
    if (IsStock(sec.GetSectype())) {
        TxtAssumptions[StkPosIdx]->locked = true;
        TxtAssumptions[StkPriceIdx]->locked = true;
    }
}

void AssumptionPanel::ShowDelta(CSecurity& sec) {
    TxtDelta->SetText(PlainNumber(HedgePercent(sec), Loc().decimalSeparator));
}

// The stock position that hedges the convert position by `hedge` percent;
// shown in the swap position field as stored (rounded to a whole number).
void AssumptionPanel::SetStockPositionFromHedge(CSecurity& sec, double hedge) {
    const double stock = HedgedStockPosition(sec, hedge);
    if (!std::isfinite(stock)) {
        throw std::runtime_error("A hedge of " + PlainNumber(hedge, Loc().decimalSeparator) +
                                 " gives no swap position for '" + sec.Getdescription() +
                                 "': the number is too large.");
    }
    sec.SetProperties(StkPosIdx, stock);
    TxtAssumptions[StkPosIdx]->SetText(PlainNumber(sec.GetProperties(StkPosIdx), Loc().decimalSeparator));
}

void AssumptionPanel::ApplyDelta(CSecurity& sec) {
    const std::string text = Trim(TxtDelta->Text());
    if (text == "0") {
        sec.SetProperties(StkPosIdx, 0);
        TxtAssumptions[StkPosIdx]->SetText("0");
        return;
    }
    const auto hedge = ParseNumber(text, Loc());
    if (!hedge) {
        throw std::runtime_error("The hedge '" + TxtDelta->Text() + "' is not a number, so the swap position of '" +
                                 sec.Getdescription() + "' cannot follow the primary position.");
    }
    SetStockPositionFromHedge(sec, *hedge);
}

bool AssumptionPanel::IsRecvDecayValueValid() const {
    const auto value = ParseNumber(TxtRecvDecVal->Text(), Loc());
    return value && *value > 0;
}

// ---- Checks when the focus leaves a field. Without a current security
// there is nothing to check and the focus may go.

void AssumptionPanel::TxtAssumptions_Validate(int index, bool& cancel) {
    CSecurity* sec = CurrentSecurity();
    if (!sec) return;
    TextBox* box = TxtAssumptions[index];
    const auto value = ParseNumber(box->Text(), Loc());
    if (!value) {
        m_ctx.MsgOk(kDigitsOnly);
        cancel = true;
        return;
    }
    const double v = *value;
    if (v == sec->GetProperties(index)) {
        m_ctx.ClearStaleNotice();
        return;
    }
    sec->SetProperties(index, v);
    box->SetText(PlainNumber(v, Loc().decimalSeparator));
    if (index == StkPosIdx) ShowDelta(*sec);
    // The stock position follows the convert position at an unchanged hedge.
    if (index == ConvertPosIdx) ApplyDelta(*sec);
    // A stock's swap price is its primary price.
    if (IsStock(sec->GetSectype()) && index == ConvertPriceIdx) {
        sec->SetProperties(StkPriceIdx, v);
        TxtAssumptions[StkPriceIdx]->SetText(PlainNumber(v, Loc().decimalSeparator));
    }
    m_ctx.SetStaleNotice();
}

void AssumptionPanel::TxtDelta_Validate(bool& cancel) {
    CSecurity* sec = CurrentSecurity();
    if (!sec) return;
    const auto hedge = ParseNumber(TxtDelta->Text(), Loc());
    if (!hedge) {
        m_ctx.MsgOk(kDigitsOnly);
        cancel = true;
        return;
    }
    // Passing through the field with the hedge the positions give changes
    // nothing: the shown hedge is rounded, the stock position is not.
    const auto shown = ParseNumber(PlainNumber(HedgePercent(*sec), Loc().decimalSeparator), Loc());
    if (shown && *shown == *hedge) return;
    SetStockPositionFromHedge(*sec, *hedge);
}

void AssumptionPanel::TxtDiscrYrs_Validate(bool& cancel) {
    CSecurity* sec = CurrentSecurity();
    if (!sec || TxtDiscrYrs->locked) return;
    if (const auto years = ParseNumber(TxtDiscrYrs->Text(), Loc())) {
        sec->m_DiscrYrs = *years >= 0 ? *years : 0;
        return;
    }
    if (Trim(TxtDiscrYrs->Text()).empty()) {
        sec->m_DiscrYrs = 0;
        return;
    }
    m_ctx.MsgOk(kDiscreteYears);
    cancel = true;
}

void AssumptionPanel::TxtRecvDecVal_Validate(bool& cancel) {
    CSecurity* sec = CurrentSecurity();
    if (!sec || TxtRecvDecVal->locked) return;
    if (IsRecvDecayValueValid()) {
        sec->m_RecvDecayVal = *ParseNumber(TxtRecvDecVal->Text(), Loc());
        return;
    }
    m_ctx.MsgOk(kRecoveryDecay);
    cancel = true;
}

void AssumptionPanel::CallAdjustmentComb_Validate(bool& /*cancel*/) {
    CSecurity* sec = CurrentSecurity();
    const int entry = CallAdjustmentComb->ListIndex();
    // A code that is not in the list shows no entry and stays as it is.
    if (!sec || entry < 0) return;
    const long code = CallAdjustmentComb->ItemData(entry);
    if (code != sec->GetCallAdjustment()) {
        sec->SetCallAdjustment(static_cast<int32_t>(code));
        m_ctx.SetStaleNotice();
    } else {
        m_ctx.ClearStaleNotice();
    }
}

void AssumptionPanel::CurveComboBox_Validate(bool& /*cancel*/) {
    CSecurity* sec = CurrentSecurity();
    // An empty curve (a code missing from the curve list) keeps the code.
    if (!sec || CurveComboBox->ListIndex() < 0) return;
    const std::string code = m_curves.CodeOf(CurveComboBox->Text()).value_or("");
    if (code.empty()) return;
    if (code != sec->GetCurve()) {
        sec->SetCurve(code);
        m_ctx.SetStaleNotice();
    } else {
        m_ctx.ClearStaleNotice();
    }
}

void AssumptionPanel::ComboDisc_Validate(bool& /*cancel*/) {
    CSecurity* sec = CurrentSecurity();
    const int entry = ComboDisc->ListIndex();
    if (!sec || entry < 0) return;
    const auto code = static_cast<int16_t>(ComboDisc->ItemData(entry));
    if (code != sec->GetDiscount()) {
        sec->SetDiscount(code);
        m_ctx.SetStaleNotice();
    } else {
        m_ctx.ClearStaleNotice();
    }
}

void AssumptionPanel::ComboDivType_Validate(bool& /*cancel*/) {
    CSecurity* sec = CurrentSecurity();
    const int entry = ComboDivType->ListIndex();
    if (!sec || entry < 0) return;
    const auto code = static_cast<int16_t>(ComboDivType->ItemData(entry));
    if (code != sec->GetDivType()) {
        sec->SetDivType(code);
        ApplyDividendYearsRule(code);
        m_ctx.SetStaleNotice();
    } else {
        m_ctx.ClearStaleNotice();
    }
}

void AssumptionPanel::ComboRecv_Validate(bool& /*cancel*/) {
    CSecurity* sec = CurrentSecurity();
    if (!sec) return;
    const std::string code = ComboRecv->ListIndex() == 0 ? kRecoveryRate : kDecayFactor;
    if (code != ToUpper(sec->GetRecvDecay())) {
        sec->SetRecvDecay(code);
        // The new rate or factor needs a value above 0 before the focus
        // may go anywhere else.
        if (!IsRecvDecayValueValid()) m_ctx.panel.SetFocus(*TxtRecvDecVal);
        m_ctx.SetStaleNotice();
    } else {
        m_ctx.ClearStaleNotice();
    }
}

void AssumptionPanel::CheckBnkrpcy_Validate(bool& /*cancel*/) {
    if (CSecurity* sec = CurrentSecurity()) sec->Setbankruptcy(static_cast<int16_t>(CheckBnkrpcy->Value()));
}

}  // namespace zemra

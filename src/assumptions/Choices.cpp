// The assumption panel's fixed choices: discounting, dividend type,
// recovery/decay and the bankruptcy model, with the enabling rules of the
// fields that depend on them.
#include "assumptions/AssumptionPanel.h"
#include "records/AssumptionCodes.h"
#include "records/RecovDecay.h"
#include "toolkit/NumberText.h"
#include "toolkit/TextSplit.h"

namespace zemra {

void AssumptionPanel::ShowChoices(const CSecurity& sec) {
    ShowDiscount(sec.GetDiscount());
    ShowDivType(sec.GetDivType());
    ShowRecvDecay(sec.GetRecvDecay());
    TxtRecvDecVal->SetText(PlainNumber(sec.m_RecvDecayVal, Loc().decimalSeparator));
    ShowBankruptcy(sec.Getbankruptcy());
}

void AssumptionPanel::LoadCurveOptions(const std::string& text) {
    const auto items = SplitItems(text, '|');
    for (size_t i = 0; i < items.size(); ++i) CurveComboBox->AddItem(m_curves.Add(items[i], i));
}

void AssumptionPanel::LoadCallAdjustments(const std::string& text) {
    const auto items = SplitItems(text, '|');
    for (size_t i = 0; i < items.size(); ++i) {
        const auto [id, name] = ReadCodeItem("call-adjustment", items[i], i, DataFormat());
        CallAdjustmentComb->AddItem(name);
        CallAdjustmentComb->SetItemData(CallAdjustmentComb->Count() - 1, id);
    }
    if (CallAdjustmentComb->Count() > 0)
        CallAdjustmentComb->SetText(EntryText(*CallAdjustmentComb, CallAdjustmentComb->ItemData(0)));
}

void AssumptionPanel::ShowDiscount(int16_t code) { ComboDisc->SetText(EntryText(*ComboDisc, code)); }

void AssumptionPanel::ShowDivType(int16_t code) {
    ComboDivType->SetText(EntryText(*ComboDivType, code));
    ApplyDividendYearsRule(code);
}

// Continuous dividends have no discrete dividend years.
void AssumptionPanel::ApplyDividendYearsRule(long code) {
    const bool continuous = code == kContinuousDividends;
    TxtDiscrYrs->locked = continuous;
    TxtDiscrYrs->backColor = continuous ? kButtonFace : kWhite;
}

void AssumptionPanel::ShowRecvDecay(const std::string& code) { ComboRecv->SetListIndex(IsRecoveryRate(code) ? 0 : 1); }

void AssumptionPanel::ShowBankruptcy(int16_t value) {
    CheckBnkrpcy->SetValue(value ? 1 : 0);
    ApplyBankruptcyRule();
}

// Recovery rate and spread decay apply only under the bankruptcy model.
void AssumptionPanel::ApplyBankruptcyRule() {
    const bool on = CheckBnkrpcy->Value() == 1;
    ComboRecv->locked = !on;
    TxtRecvDecVal->locked = !on;
    ComboRecv->backColor = on ? kWhite : kButtonFace;
    TxtRecvDecVal->backColor = on ? kWhite : kButtonFace;
}

}  // namespace zemra

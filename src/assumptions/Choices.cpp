// The assumption panel's fixed choices: discounting, dividend type,
// recovery/decay and the bankruptcy model, with the enabling rules of the
// fields that depend on them.
#include "control/MainCtl.h"
#include "compute/OptionLists.h"
#include "records/AssumptionCodes.h"
#include "records/RecovDecay.h"
#include "toolkit/TextSplit.h"

namespace zemra {

void MainCtl::ShowDiscount(int16_t code) { ComboDisc->SetText(EntryText(*ComboDisc, code)); }

void MainCtl::ShowDivType(int16_t code) {
    ComboDivType->SetText(EntryText(*ComboDivType, code));
    ApplyDividendYearsRule(code);
}

// Continuous dividends have no discrete dividend years.
void MainCtl::ApplyDividendYearsRule(long code) {
    const bool continuous = code == kContinuousDividends;
    TxtDiscrYrs->locked = continuous;
    TxtDiscrYrs->backColor = continuous ? kButtonFace : kWhite;
}

void MainCtl::ShowRecvDecay(const std::string& code) { ComboRecv->SetListIndex(IsRecoveryRate(code) ? 0 : 1); }

void MainCtl::ShowBankruptcy(int16_t value) {
    CheckBnkrpcy->SetValue(value ? 1 : 0);
    ApplyBankruptcyRule();
}

// Recovery rate and spread decay apply only under the bankruptcy model.
void MainCtl::ApplyBankruptcyRule() {
    const bool on = CheckBnkrpcy->Value() == 1;
    ComboRecv->locked = !on;
    TxtRecvDecVal->locked = !on;
    ComboRecv->backColor = on ? kWhite : kButtonFace;
    TxtRecvDecVal->backColor = on ? kWhite : kButtonFace;
}

}  // namespace zemra

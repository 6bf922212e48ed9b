#include "server/DlgCapital.h"

namespace zemra {

DlgCapital::DlgCapital(UiContext& ui) : form(ui, "DlgCapital") {
    form.caption = "Capital Settings";
    LbCapitalRule = &form.Add<Label>("LbCapitalRule", nullptr);
    LbCapitalRule->caption = "Capital Rule";
    ComboCpRule = &form.Add<ComboBox>("ComboCpRule", nullptr);
    LbConvRate = &form.Add<Label>("LbConvRate", nullptr);
    LbConvRate->caption = "Convert Rate";
    TxtConvRate = &form.Add<TextBox>("TxtConvRate", nullptr);
    LbStkRate = &form.Add<Label>("LbStkRate", nullptr);
    LbStkRate->caption = "Stock Rate";
    TxtStkRate = &form.Add<TextBox>("TxtStkRate", nullptr);
    OKButton = &form.Add<Button>("OKButton", nullptr);
    OKButton->caption = "OK";
    CancelButton = &form.Add<Button>("CancelButton", nullptr);
    CancelButton->caption = "Cancel";
    Wire();
}

void DlgCapital::Wire() {}

}  // namespace zemra

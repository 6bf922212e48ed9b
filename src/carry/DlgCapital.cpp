#include "carry/DlgCapital.h"

#include <string>

#include "toolkit/FieldMessages.h"
#include "toolkit/NumberText.h"
#include "toolkit/WholeText.h"

namespace zemra {

DlgCapital::DlgCapital(UiContext& ui, const Locale& locale) : Form(ui, "DlgCapital"), m_locale(locale) {
    caption = "Capital Settings";
    BuildLayout();

    // The rule changes only by a pick from the open list.
    ComboCpRule->locked = true;
    ComboCpRule->DropDown = [this] { ComboCpRule->locked = false; };
    ComboCpRule->Click = [this] { ComboCpRule->locked = true; };
    for (TextBox* box : {TxtConvRate, TxtStkRate}) {
        box->GotFocus = [box] { SelectWholeText(*box); };
        box->Validate = [this, box](bool& cancel) { Rate_Validate(*box, cancel); };
    }
    defaultButton = OKButton;
    cancelButton = CancelButton;
    OKButton->Click = [this] { OKButton_Click(); };
    CancelButton->Click = [this] { CancelButton_Click(); };
}

// Top to bottom: each field under its label, then the two buttons.
void DlgCapital::BuildLayout() {
    columns = {110, 110};
    int row = 1;
    int tab = 0;
    auto caption = [&](const std::string& name, const std::string& text) {
        Label& lb = Add<Label>(name, nullptr);
        lb.caption = text;
        lb.role = WidgetRole::Caption;
        lb.cell = {row++, 1, 1, 2};
    };
    auto place = [&](Widget& w) {
        w.cell = {row++, 1, 1, 2};
        w.tabIndex = tab++;
    };
    caption("LbCapitalRule", "Capital Rule");
    ComboCpRule = &Add<ComboBox>("ComboCpRule", nullptr);
    place(*ComboCpRule);
    caption("LbConvRate", "Convert Rate");
    TxtConvRate = &Add<TextBox>("TxtConvRate", nullptr);
    place(*TxtConvRate);
    caption("LbStkRate", "Stock Rate");
    TxtStkRate = &Add<TextBox>("TxtStkRate", nullptr);
    place(*TxtStkRate);
    OKButton = &Add<Button>("OKButton", nullptr);
    OKButton->caption = "OK";
    OKButton->cell = {row, 1};
    OKButton->tabIndex = tab++;
    CancelButton = &Add<Button>("CancelButton", nullptr);
    CancelButton->caption = "Cancel";
    CancelButton->cell = {row, 2};
    CancelButton->tabIndex = tab++;
}

void DlgCapital::Rate_Validate(TextBox& box, bool& cancel) {
    if (IsNumeric(box.Text(), m_locale)) return;
    Ui().Host().MessageBox(kNumbersOnlyMessage, MsgButtons::Ok);
    SelectWholeText(box);
    cancel = true;
}

void DlgCapital::OKButton_Click() {
    const int selected = ComboCpRule->ListIndex();
    m_rule = selected >= 0 ? std::optional<long>(ComboCpRule->ItemData(selected)) : std::nullopt;
    m_convRate = ParseNumber(TxtConvRate->Text(), m_locale).value_or(0);
    m_stkRate = ParseNumber(TxtStkRate->Text(), m_locale).value_or(0);
    Unload();
    if (ChgCapital) ChgCapital(m_rule, m_convRate, m_stkRate);
}

void DlgCapital::CancelButton_Click() {
    Unload();
    if (UnLoadCapital) UnLoadCapital();
}

}  // namespace zemra

#include "securities/DlgAddSec.h"

namespace zemra {

DlgAddSec::DlgAddSec(UiContext& ui) : m_form(ui, "DlgAddSec") {
    m_form.caption = "Add Security";
    m_form.columns = {240, 76};
    m_form.left = 520;
    m_form.top = 80;
    SecSelList = &m_form.Add<ListBox>("SecSelList", nullptr);
    SecSelList->cell = {1, 1, 3, 1};
    SecSelList->height = 220;
    SecSelList->tabIndex = 0;
    AddButton = &m_form.Add<Button>("AddButton", nullptr);
    AddButton->caption = "Add";
    AddButton->cell = {1, 2};
    AddButton->tabIndex = 1;
    CloseButton = &m_form.Add<Button>("CloseButton", nullptr);
    CloseButton->caption = "Close";
    CloseButton->cell = {2, 2};
    CloseButton->tabIndex = 2;

    // Enter adds the chosen security, as a double click does.
    m_form.defaultButton = AddButton;
    m_form.cancelButton = CloseButton;
    AddButton->Click = [this] { AddButton_Click(); };
    SecSelList->DblClick = [this] { SecSelList_DblClick(); };
    CloseButton->Click = [this] { CloseButton_Click(); };
}

void DlgAddSec::AddButton_Click() {
    const int row = SecSelList->ListIndex();
    if (row < 0) {
        m_form.Ui().Host().MessageBox("Choose Security you wish to add!", MsgButtons::Ok);
        return;
    }
    SecSelList->RemoveItem(row);
    if (AddSecurity) AddSecurity(static_cast<int16_t>(row));
}

void DlgAddSec::SecSelList_DblClick() { AddButton_Click(); }

void DlgAddSec::CloseButton_Click() {
    m_form.Unload();
    if (UnLoadAddSec) UnLoadAddSec();
}

}  // namespace zemra

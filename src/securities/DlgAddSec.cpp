#include "securities/DlgAddSec.h"

namespace zemra {

DlgAddSec::DlgAddSec(UiContext& ui) : form_(ui, "DlgAddSec") {
    form_.caption = "Add Security";
    form_.columns = {240, 76};
    form_.left = 520;
    form_.top = 80;
    SecSelList = &form_.Add<ListBox>("SecSelList", nullptr);
    SecSelList->cell = {1, 1, 3, 1};
    SecSelList->height = 220;
    SecSelList->tabIndex = 0;
    AddButton = &form_.Add<Button>("AddButton", nullptr);
    AddButton->caption = "Add";
    AddButton->cell = {1, 2};
    AddButton->tabIndex = 1;
    CloseButton = &form_.Add<Button>("CloseButton", nullptr);
    CloseButton->caption = "Close";
    CloseButton->cell = {2, 2};
    CloseButton->tabIndex = 2;

    // Enter adds the chosen security, as a double click does.
    form_.defaultButton = AddButton;
    form_.cancelButton = CloseButton;
    AddButton->Click = [this] { AddButton_Click(); };
    SecSelList->DblClick = [this] { SecSelList_DblClick(); };
    CloseButton->Click = [this] { CloseButton_Click(); };
}

void DlgAddSec::AddButton_Click() {
    const int row = SecSelList->ListIndex();
    if (row < 0) {
        form_.Ui().Host().MessageBox("Choose Security you wish to add!", MsgButtons::Ok);
        return;
    }
    SecSelList->RemoveItem(row);
    if (AddSecurity) AddSecurity(static_cast<int16_t>(row));
}

void DlgAddSec::SecSelList_DblClick() { AddButton_Click(); }

void DlgAddSec::CloseButton_Click() {
    form_.Unload();
    if (UnLoadAddSec) UnLoadAddSec();
}

}  // namespace zemra

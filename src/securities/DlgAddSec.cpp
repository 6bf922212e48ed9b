#include "securities/DlgAddSec.h"

namespace zemra {

DlgAddSec::DlgAddSec(UiContext& ui) : form(ui, "DlgAddSec") {
    form.caption = "Add Security";
    SecSelList = &form.Add<ListBox>("SecSelList", nullptr);
    AddButton = &form.Add<Button>("AddButton", nullptr);
    AddButton->caption = "Add";
    CloseButton = &form.Add<Button>("CloseButton", nullptr);
    CloseButton->caption = "Close";
    Wire();
}

void DlgAddSec::Wire() {}

}  // namespace zemra

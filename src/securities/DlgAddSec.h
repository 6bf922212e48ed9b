#pragma once
#include <cstdint>
#include <functional>

#include "toolkit/Form.h"

namespace zemra {

// The Add Security dialog: the records a search offered, added one at a time.
class DlgAddSec {
public:
    explicit DlgAddSec(UiContext& ui);
    Form form;

    ListBox* SecSelList;
    Button* AddButton;
    Button* CloseButton;

    // Raised with the 0-based row chosen, and when Close unloads the dialog.
    std::function<void(int16_t index)> AddSecurity;
    std::function<void()> UnLoadAddSec;

    void AddButton_Click();
    void SecSelList_DblClick();
    void CloseButton_Click();

private:
    void Wire();
};

}  // namespace zemra

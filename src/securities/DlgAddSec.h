#pragma once
#include <cstdint>
#include <functional>

#include "toolkit/Form.h"

namespace zemra {

// The Add Security dialog: the records a search offered, one row each, from
// which the user adds one at a time. It reports back only through its two
// events; the control keeps the offered records parallel to SecSelList.
class DlgAddSec {
public:
    explicit DlgAddSec(UiContext& ui);

    Form& Window() { return m_form; }
    ListBox* SecSelList;
    Button* AddButton;
    Button* CloseButton;

    // The 0-based row that was chosen; its row has already left SecSelList.
    std::function<void(int16_t index)> AddSecurity;
    std::function<void()> UnLoadAddSec;

private:
    void AddButton_Click();
    void SecSelList_DblClick();
    void CloseButton_Click();

    Form m_form;
};

}  // namespace zemra

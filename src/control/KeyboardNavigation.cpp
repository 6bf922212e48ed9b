// Enter and the arrow keys move the focus across the panel's input grid.
// The control sees every key before its elements; keys in elements outside
// the grid, and every other key, are left to the elements.
#include "control/KeyboardMoves.h"
#include "control/MainCtl.h"

namespace zemra {

void MainCtl::WireKeyboardNavigation() {
    m_panel.KeyPreview = [this](int keyCode, int shift) { UserControl_KeyDown(keyCode, shift); };
}

// Shift and Ctrl are not looked at; the key goes on to the element.
void MainCtl::UserControl_KeyDown(int KeyCode, int /*Shift*/) {
    const Widget* active = m_panel.ActiveControl();
    if (!active) return;
    const std::optional<int16_t> target = NavigationMove(KeyCode, active->tabIndex);
    if (target) MoveFocusToTabIndex(*target);
}

// An ordinary focus move: a field that refuses its text keeps the focus. A
// drop-down entered this way is locked against typing.
void MainCtl::MoveFocusToTabIndex(int16_t tabIndex) {
    for (const auto& w : m_panel.Widgets()) {
        if (w->tabIndex != tabIndex) continue;
        if (!m_panel.SetFocus(*w)) return;
        for (ComboBox* combo : {ComboTuner, CallAdjustmentComb, CurveComboBox})
            if (w.get() == combo) combo->locked = true;
        return;
    }
}

}  // namespace zemra

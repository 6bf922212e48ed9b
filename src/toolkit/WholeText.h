#pragma once
#include "toolkit/Widgets.h"

namespace zemra {

// Entering an editable text field selects its whole text: a selection
// length beyond any field's text, which the field cuts to its end.
inline constexpr int kWholeText = 9999;

inline void SelectWholeText(TextBox& box) { box.Select(0, kWholeText); }

}  // namespace zemra

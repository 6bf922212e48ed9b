#pragma once
#include <string>

#include "control/MainCtl.h"

namespace zemra::web {

// The state of the control as the page renders it, one JSON text: the
// pointer and every open form (the panel first, then the dialogs shown),
// each with its focus and every element in creation order. An element
// carries its name, kind, enclosing frame and tab index, then the same
// fields the headless host's dump gives for it.
std::string SnapshotJson(MainCtl& ctl);

// The forms a page can act on: the panel ("MainCtl") and the dialogs by
// name while they are shown. Returns nullptr for any other name.
Form* FindForm(MainCtl& ctl, const std::string& name);

}  // namespace zemra::web

#pragma once
#include <set>
#include <string>

#include "toolkit/Form.h"
#include "toolkit/JsonValue.h"

namespace zemra {

// The model as hosts see it, one JSON object:
//   pointer, modalOpen, and forms: every open form (the main form first,
//   then the dialogs in the order they were shown) with its name, caption,
//   instance, whether it is a dialog and modal, its focus, its layout
//   (columns, and a dialog's left and top when recorded) and its widgets,
//   an object by name in creation order.
// A widget carries its kind, its layout (parent frame, grid cell, role,
// height, tab index, a frame's columns), then its state: texts, values, rows, entries,
// selection, locking, enabled (with ownEnabled when an enclosing frame
// disables it), visible, colours and tool tip. Fields at their default
// (no parent, cell, role, height, tab index or tool tip) are left out.
//
// With names in `only`, a form lists just those widgets: an element of the
// main form by its name, one of a dialog as "Dialog.Element"; a data view
// named there comes with its whole content.
JsonValue TakeSnapshot(const UiContext& ui, const std::set<std::string>& only = {});

// One widget as the snapshot gives it.
JsonValue WidgetSnapshot(const Widget& w);

}  // namespace zemra

#pragma once
#include <optional>
#include <stdexcept>
#include <string>

#include "toolkit/Form.h"

namespace zemra {

// Modifier keys held with a key press or a click, as the model counts them.
constexpr int kShiftMask = 1;
constexpr int kCtrlMask = 2;
constexpr int kAltMask = 4;
// The key code of Tab: it moves the focus along the form's tab order and
// reaches neither the form's key preview nor the element.
constexpr int kKeyTab = 9;

enum class ActionVerb { Focus, Type, Click, Select, DblClick, Pick, Check, Key, Close, Cell, Sort };

// One user action on an element of an open form, as every host passes it.
struct UserAction {
    ActionVerb verb = ActionVerb::Focus;
    std::string form;     // the form's name; empty for the main form
    std::string element;  // the element's name (empty for close, and for Tab from the focus)
    int number = 0;       // select, dblclick, cell: the row; pick: the entry (-1: the entry whose text is
                          // `text`); check: 0 or 1; key: the key code; sort: the column
    int modifiers = 0;    // kShiftMask | kCtrlMask | kAltMask (select: Ctrl toggles a row, Shift extends)
    std::string text;     // type: the new text; pick: the entry's text
    int column = 0;       // cell: the column
};

// A line that names no action, or an action that names nothing it can act
// on (an unknown element, a dialog that is not open, an element of the
// wrong kind, a row or entry it does not have).
class ActionError : public std::runtime_error {
public:
    explicit ActionError(const std::string& m) : std::runtime_error(m) {}
};

// The verb of an action's name: focus, type, click, select (also
// ctrlselect, shiftselect), dblclick, pick, check, key, close, cell, sort.
std::optional<ActionVerb> ActionVerbNamed(const std::string& name);

// Reads an action in the text form of the headless host's scripts:
//   focus NAME | type NAME TEXT | click NAME | select NAME ROW |
//   ctrlselect NAME ROW | shiftselect NAME ROW | dblclick NAME ROW |
//   pick NAME TEXT | check NAME 0|1 | key NAME CODE [MODIFIERS] | close FORM |
//   cell NAME ROW COLUMN | sort NAME COLUMN (a data view's cell or column header)
// NAME is an element of the main form, or "Dialog.Element".
UserAction ParseUserAction(const std::string& line);

// Applies the action as the user's own: the focus moves first (a refused
// field stops it there) and disabled or hidden elements are not reached.
// Returns whether it reached the element; throws ActionError when it names
// nothing it can act on.
bool ApplyUserAction(UiContext& ui, const UserAction& action);

}  // namespace zemra

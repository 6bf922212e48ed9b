#include "toolkit/UserAction.h"

#include <map>

namespace zemra {

namespace {

int ParseWhole(const std::string& text, const std::string& what) {
    try {
        size_t used = 0;
        const int v = std::stoi(text, &used);
        if (used == text.size()) return v;
    } catch (const std::exception&) {}
    throw ActionError(what + " '" + text + "' is not a whole number");
}

template <class W>
W& As(Widget& w, WidgetKind kind, const char* verb) {
    if (w.Kind() != kind)
        throw ActionError(std::string("'") + verb + "' needs a " + KindName(kind) + ", and '" + w.Name() + "' is a " +
                          KindName(w.Kind()));
    return static_cast<W&>(w);
}

int RowOf(const ListBox& list, int row) {
    if (row < 0 || row >= list.Count()) throw ActionError("'" + list.Name() + "' has no row " + std::to_string(row));
    return row;
}

int EntryOf(const ComboBox& combo, const UserAction& a) {
    if (a.number >= 0) {
        if (a.number < combo.Count()) return a.number;
        throw ActionError("'" + combo.Name() + "' has no entry " + std::to_string(a.number));
    }
    for (int i = 0; i < combo.Count(); ++i)
        if (combo.ItemText(i) == a.text) return i;
    throw ActionError("'" + combo.Name() + "' has no entry '" + a.text + "'");
}

Form& OpenForm(UiContext& ui, const std::string& name) {
    if (Form* f = ui.FindOpenForm(name)) return *f;
    throw ActionError("the dialog '" + name + "' is not open");
}

}  // namespace

std::optional<ActionVerb> ActionVerbNamed(const std::string& name) {
    static const std::map<std::string, ActionVerb> kVerbs = {
        {"focus", ActionVerb::Focus},       {"type", ActionVerb::Type},         {"click", ActionVerb::Click},
        {"select", ActionVerb::Select},     {"ctrlselect", ActionVerb::Select}, {"shiftselect", ActionVerb::Select},
        {"dblclick", ActionVerb::DblClick}, {"pick", ActionVerb::Pick},         {"check", ActionVerb::Check},
        {"key", ActionVerb::Key},           {"close", ActionVerb::Close},       {"cell", ActionVerb::Cell},
        {"sort", ActionVerb::Sort}};
    const auto found = kVerbs.find(name);
    if (found == kVerbs.end()) return std::nullopt;
    return found->second;
}

UserAction ParseUserAction(const std::string& line) {
    // verb, NAME, and the rest of the line (which may hold blanks).
    const auto sp1 = line.find(' ');
    const std::string verb = line.substr(0, sp1);
    std::string name, rest;
    if (sp1 != std::string::npos) {
        const auto sp2 = line.find(' ', sp1 + 1);
        name = line.substr(sp1 + 1, sp2 == std::string::npos ? std::string::npos : sp2 - sp1 - 1);
        if (sp2 != std::string::npos) rest = line.substr(sp2 + 1);
    }
    const auto found = ActionVerbNamed(verb);
    if (!found) throw ActionError("unknown action '" + verb + "'");
    if (name.empty()) throw ActionError("'" + verb + "' needs an element name");

    UserAction a;
    a.verb = *found;
    if (a.verb == ActionVerb::Close) {
        a.form = name;
        return a;
    }
    const auto dot = name.find('.');
    if (dot != std::string::npos) {
        a.form = name.substr(0, dot);
        a.element = name.substr(dot + 1);
    } else {
        a.element = name;
    }
    switch (a.verb) {
        case ActionVerb::Type: a.text = rest; break;
        case ActionVerb::Select:
            a.modifiers = verb == "ctrlselect" ? kCtrlMask : verb == "shiftselect" ? kShiftMask : 0;
            a.number = ParseWhole(rest, "row");
            break;
        case ActionVerb::DblClick: a.number = ParseWhole(rest, "row"); break;
        case ActionVerb::Pick:
            a.number = -1;
            a.text = rest;
            break;
        case ActionVerb::Check:
            a.number = ParseWhole(rest, "value");
            if (a.number != 0 && a.number != 1) throw ActionError("check takes 0 or 1");
            break;
        case ActionVerb::Key: {
            const auto blank = rest.find(' ');
            a.number = ParseWhole(rest.substr(0, blank), "key code");
            if (blank != std::string::npos) a.modifiers = ParseWhole(rest.substr(blank + 1), "modifiers");
            break;
        }
        case ActionVerb::Cell: {
            const auto blank = rest.find(' ');
            if (blank == std::string::npos) throw ActionError("'cell' needs a row and a column");
            a.number = ParseWhole(rest.substr(0, blank), "row");
            a.column = ParseWhole(rest.substr(blank + 1), "column");
            break;
        }
        case ActionVerb::Sort: a.number = ParseWhole(rest, "column"); break;
        default: break;
    }
    return a;
}

bool ApplyUserAction(UiContext& ui, const UserAction& a) {
    Form& form = OpenForm(ui, a.form);
    if (a.verb == ActionVerb::Close) {
        // Closing a dialog by its window frame unloads it and raises none
        // of its events.
        if (&form == ui.FindOpenForm("") || ui.InEvent()) return false;
        form.Unload();
        return true;
    }
    const bool tab = a.verb == ActionVerb::Key && a.number == kKeyTab;
    if (tab && a.element.empty()) return form.UserTab(nullptr, a.modifiers & kShiftMask);
    Widget* found = form.Find(a.element);
    if (!found) throw ActionError("unknown element '" + (a.form.empty() ? "" : a.form + ".") + a.element + "'");
    Widget& w = *found;
    switch (a.verb) {
        case ActionVerb::Focus: return form.UserFocus(w);
        case ActionVerb::Type: return form.UserType(As<TextBox>(w, WidgetKind::TextBox, "type"), a.text);
        case ActionVerb::Click:
            if (w.Kind() != WidgetKind::Button && w.Kind() != WidgetKind::CheckBox &&
                w.Kind() != WidgetKind::OptionButton)
                throw ActionError("'click' needs a button, check box or option button, and '" + w.Name() + "' is a " +
                                  KindName(w.Kind()));
            return form.UserClick(w);
        case ActionVerb::Select: {
            auto& list = As<ListBox>(w, WidgetKind::ListBox, "select");
            const bool ctrl = a.modifiers & kCtrlMask;
            return form.UserSelectRow(list, RowOf(list, a.number), ctrl, !ctrl && (a.modifiers & kShiftMask));
        }
        case ActionVerb::DblClick: {
            auto& list = As<ListBox>(w, WidgetKind::ListBox, "dblclick");
            return form.UserDblClickRow(list, RowOf(list, a.number));
        }
        case ActionVerb::Pick: {
            auto& combo = As<ComboBox>(w, WidgetKind::ComboBox, "pick");
            return form.UserPick(combo, EntryOf(combo, a));
        }
        case ActionVerb::Check: {
            auto& box = As<CheckBox>(w, WidgetKind::CheckBox, "check");
            return box.Value() == a.number || form.UserClick(box);
        }
        case ActionVerb::Key:
            // Tab, as any key, is pressed in the element that has the focus.
            if (tab) return form.UserFocus(w) && form.UserTab(&w, a.modifiers & kShiftMask);
            return form.UserKey(w, a.number, a.modifiers & (kShiftMask | kCtrlMask | kAltMask));
        case ActionVerb::Cell: {
            auto& view = As<DataView>(w, WidgetKind::DataView, "cell");
            if (a.number < -1 || a.number >= view.rowCount || a.column < 0 || a.column >= view.columnCount)
                throw ActionError("'" + view.Name() + "' has no cell " + std::to_string(a.number) + " " +
                                  std::to_string(a.column));
            return form.UserCellClick(view, a.number, a.column);
        }
        case ActionVerb::Sort: {
            auto& view = As<DataView>(w, WidgetKind::DataView, "sort");
            if (a.number < -1 || a.number >= view.columnCount)
                throw ActionError("'" + view.Name() + "' has no column " + std::to_string(a.number));
            return form.UserHeaderClick(view, a.number);
        }
        case ActionVerb::Close: break;
    }
    return false;
}

}  // namespace zemra

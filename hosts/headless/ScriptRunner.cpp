#include "ScriptRunner.h"

#include <istream>
#include <ostream>
#include <set>
#include <sstream>

#include "PanelDump.h"

namespace zemra::headless {

namespace {

std::string Where(int lineNumber) { return "line " + std::to_string(lineNumber) + ": "; }

int ParseInt(const std::string& text, const std::string& what, int lineNumber) {
    try {
        size_t used = 0;
        int v = std::stoi(text, &used);
        if (used == text.size()) return v;
    } catch (const std::exception&) {
    }
    throw ScriptError(Where(lineNumber) + what + " '" + text + "' is not a whole number");
}

}  // namespace

void ScriptRunner::Note(int lineNumber, const std::string& text) { notes_ << Where(lineNumber) << text << "\n"; }

Widget& ScriptRunner::Resolve(const std::string& name, int lineNumber) {
    const auto dot = name.find('.');
    if (dot == std::string::npos) {
        if (Widget* w = ctl_.Panel().Find(name)) return *w;
        throw ScriptError(Where(lineNumber) + "unknown element '" + name + "'");
    }
    const std::string dialog = name.substr(0, dot);
    const std::string element = name.substr(dot + 1);
    Form* form = nullptr;
    if (!form || !form->shown || form->unloaded)
        throw ScriptError(Where(lineNumber) + "the dialog '" + dialog + "' is not open");
    if (Widget* w = form->Find(element)) return *w;
    throw ScriptError(Where(lineNumber) + "unknown element '" + name + "'");
}

template <class W>
W& ScriptRunner::As(Widget& w, WidgetKind kind, const std::string& action, int lineNumber) {
    if (w.Kind() != kind)
        throw ScriptError(Where(lineNumber) + "'" + action + "' needs a " + KindName(kind) + ", and '" + w.Name() +
                          "' is a " + KindName(w.Kind()));
    return static_cast<W&>(w);
}

void ScriptRunner::RunLine(const std::string& rawLine, int lineNumber) {
    std::string line = rawLine;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') return;
    line = line.substr(first);

    // action, NAME, and the rest of the line (which may hold blanks).
    const auto sp1 = line.find(' ');
    const std::string action = line.substr(0, sp1);
    std::string name, rest;
    if (sp1 != std::string::npos) {
        const auto sp2 = line.find(' ', sp1 + 1);
        name = line.substr(sp1 + 1, sp2 == std::string::npos ? std::string::npos : sp2 - sp1 - 1);
        if (sp2 != std::string::npos) rest = line.substr(sp2 + 1);
    }
    auto needName = [&] {
        if (name.empty()) throw ScriptError(Where(lineNumber) + "'" + action + "' needs an element name");
    };

    if (action == "dump") {
        std::set<std::string> only;
        std::istringstream names(line.substr(4));
        for (std::string n; names >> n;) only.insert(n);
        out_ << DumpState(ctl_, host_, only).dump() << "\n";
        return;
    }
    if (action == "answer") {
        if (name == "yes") host_.QueueAnswer(MsgAnswer::Yes);
        else if (name == "no") host_.QueueAnswer(MsgAnswer::No);
        else throw ScriptError(Where(lineNumber) + "answer must be yes or no");
        return;
    }
    static const std::set<std::string> kActions = {"focus", "type", "click", "select", "ctrlselect", "shiftselect",
                                                   "dblclick", "pick", "check", "key"};
    if (!kActions.count(action)) throw ScriptError(Where(lineNumber) + "unknown action '" + action + "'");
    needName();
    Widget& w = Resolve(name, lineNumber);
    Form& form = w.Owner();
    bool reached = true;
    if (action == "focus") {
        reached = form.UserFocus(w);
    } else if (action == "type") {
        reached = form.UserType(As<TextBox>(w, WidgetKind::TextBox, action, lineNumber), rest);
    } else if (action == "click") {
        if (w.Kind() != WidgetKind::Button && w.Kind() != WidgetKind::CheckBox && w.Kind() != WidgetKind::OptionButton)
            throw ScriptError(Where(lineNumber) + "'click' needs a button, check box or option button, and '" + name +
                              "' is a " + KindName(w.Kind()));
        reached = form.UserClick(w);
    } else if (action == "select" || action == "ctrlselect" || action == "shiftselect" || action == "dblclick") {
        auto& list = As<ListBox>(w, WidgetKind::ListBox, action, lineNumber);
        const int row = ParseInt(rest, "row", lineNumber);
        if (row < 0 || row >= list.Count())
            throw ScriptError(Where(lineNumber) + "'" + name + "' has no row " + rest);
        if (action == "dblclick") reached = form.UserDblClickRow(list, row);
        else reached = form.UserSelectRow(list, row, action == "ctrlselect", action == "shiftselect");
    } else if (action == "pick") {
        auto& combo = As<ComboBox>(w, WidgetKind::ComboBox, action, lineNumber);
        int entry = -1;
        for (int i = 0; i < combo.Count(); ++i)
            if (combo.ItemText(i) == rest) {
                entry = i;
                break;
            }
        if (entry < 0) throw ScriptError(Where(lineNumber) + "'" + name + "' has no entry '" + rest + "'");
        reached = form.UserPick(combo, entry);
    } else if (action == "check") {
        auto& box = As<CheckBox>(w, WidgetKind::CheckBox, action, lineNumber);
        const int v = ParseInt(rest, "value", lineNumber);
        if (v != 0 && v != 1) throw ScriptError(Where(lineNumber) + "check takes 0 or 1");
        if (box.Value() != v) reached = form.UserClick(box);
    } else if (action == "key") {
        reached = form.UserKey(w, ParseInt(rest, "key code", lineNumber));
    } else {
        throw ScriptError(Where(lineNumber) + "unknown action '" + action + "'");
    }
    if (!reached) Note(lineNumber, "'" + action + " " + name + "' did not reach the element (disabled, locked or refused)");
}

void ScriptRunner::Run(std::istream& script) {
    std::string line;
    for (int n = 1; std::getline(script, line); ++n) RunLine(line, n);
}

}  // namespace zemra::headless

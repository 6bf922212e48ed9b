#pragma once
#include <iosfwd>
#include <stdexcept>
#include <string>

#include "HeadlessHost.h"
#include "control/MainCtl.h"

namespace zemra::headless {

// An action line that cannot be run: an unknown action or element name.
class ScriptError : public std::runtime_error {
public:
    explicit ScriptError(const std::string& m) : std::runtime_error(m) {}
};

// Runs scripted user actions, one a line ("#" starts a comment):
//   focus NAME | type NAME TEXT | click NAME | select NAME ROW |
//   ctrlselect NAME ROW | shiftselect NAME ROW | dblclick NAME ROW |
//   pick NAME TEXT | check NAME 0|1 | key NAME CODE | answer yes|no |
//   dump [NAME ...]
// NAME is an element of the panel (TxtAssumptions(7)) or of an open dialog
// behind its name and a dot (DlgCarry.TxtFinRate).
class ScriptRunner {
public:
    ScriptRunner(MainCtl& ctl, HeadlessHost& host, std::ostream& out, std::ostream& notes)
        : ctl_(ctl), host_(host), out_(out), notes_(notes) {}

    void RunLine(const std::string& line, int lineNumber);
    void Run(std::istream& script);

private:
    Widget& Resolve(const std::string& name, int lineNumber);
    template <class W>
    W& As(Widget& w, WidgetKind kind, const std::string& action, int lineNumber);
    void Note(int lineNumber, const std::string& text);

    MainCtl& ctl_;
    HeadlessHost& host_;
    std::ostream& out_;
    std::ostream& notes_;
};

}  // namespace zemra::headless

#pragma once
#include <iosfwd>
#include <stdexcept>
#include <string>

#include "HeadlessHost.h"
#include "toolkit/Form.h"

namespace zemra::headless {

// A script line that cannot be run: an unknown action or element name.
class ScriptError : public std::runtime_error {
public:
    explicit ScriptError(const std::string& m) : std::runtime_error(m) {}
};

// Runs scripted user actions, one a line ("#" starts a comment): the
// toolkit's user actions (focus, type, click, select, ctrlselect,
// shiftselect, dblclick, pick, check, key, close), and the host's own:
//   answer yes|no   the answer to the next Yes/No message box
//   dump [NAME ...] the state, pretty-printed (with names, only those elements)
//   values [NAME ...] the same without the layout (where forms and widgets stand)
//   safety get IID | safety set IID MASK ENABLED   the control's safety options
class ScriptRunner {
public:
    ScriptRunner(UiContext& ui, HeadlessHost& host, std::ostream& out, std::ostream& notes)
        : m_ui(ui), m_host(host), m_out(out), m_notes(notes) {}

    void RunLine(const std::string& line, int lineNumber);
    void Run(std::istream& script);

private:
    UiContext& m_ui;
    HeadlessHost& m_host;
    std::ostream& m_out;
    std::ostream& m_notes;
};

}  // namespace zemra::headless

#include "ScriptRunner.h"

#include <istream>
#include <ostream>
#include <set>
#include <sstream>

#include "PanelDump.h"
#include "SafetyAction.h"
#include "SessionSummary.h"
#include "toolkit/UserAction.h"

namespace zemra::headless {

namespace {

std::string Where(int lineNumber) { return "line " + std::to_string(lineNumber) + ": "; }

}  // namespace

void ScriptRunner::RunLine(const std::string& rawLine, int lineNumber) {
    std::string line = rawLine;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') return;
    line = line.substr(first);
    std::istringstream words(line);
    std::string verb, name;
    words >> verb >> name;

    if (verb == "dump" || verb == "values") {
        std::set<std::string> only;
        for (std::string n = name; !n.empty(); n.clear(), words >> n) only.insert(n);
        m_out << DumpState(m_ui, m_host, only, verb == "dump").WritePretty() << "\n";
        return;
    }
    if (verb == "summary") {
        m_out << SessionSummary(m_ui, m_host);
        return;
    }
    if (verb == "safety") {
        try {
            m_out << RunSafetyAction(line.substr(verb.size())) << "\n";
        } catch (const std::invalid_argument& e) {
            throw ScriptError(Where(lineNumber) + e.what());
        }
        return;
    }
    if (verb == "answer") {
        if (name == "yes")
            m_host.QueueAnswer(MsgAnswer::Yes);
        else if (name == "no")
            m_host.QueueAnswer(MsgAnswer::No);
        else
            throw ScriptError(Where(lineNumber) + "answer must be yes or no");
        return;
    }
    try {
        if (!ApplyUserAction(m_ui, ParseUserAction(line)))
            m_notes << Where(lineNumber) << "'" << verb << " " << name
                    << "' did not reach the element (disabled, locked or refused)\n";
    } catch (const ActionError& e) {
        throw ScriptError(Where(lineNumber) + e.what());
    }
}

void ScriptRunner::Run(std::istream& script) {
    std::string line;
    for (int n = 1; std::getline(script, line); ++n) RunLine(line, n);
}

}  // namespace zemra::headless

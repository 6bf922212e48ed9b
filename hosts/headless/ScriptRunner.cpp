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
        out_ << DumpState(ui_, host_, only, verb == "dump").WritePretty() << "\n";
        return;
    }
    if (verb == "summary") {
        out_ << SessionSummary(ui_, host_);
        return;
    }
    if (verb == "safety") {
        try {
            out_ << RunSafetyAction(line.substr(verb.size())) << "\n";
        } catch (const std::invalid_argument& e) {
            throw ScriptError(Where(lineNumber) + e.what());
        }
        return;
    }
    if (verb == "answer") {
        if (name == "yes")
            host_.QueueAnswer(MsgAnswer::Yes);
        else if (name == "no")
            host_.QueueAnswer(MsgAnswer::No);
        else
            throw ScriptError(Where(lineNumber) + "answer must be yes or no");
        return;
    }
    try {
        if (!ApplyUserAction(ui_, ParseUserAction(line)))
            notes_ << Where(lineNumber) << "'" << verb << " " << name
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

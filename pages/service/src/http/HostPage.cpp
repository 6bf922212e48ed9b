#include "http/HostPage.h"

#include "book/TextFields.h"
#include "store/BookStore.h"
#include "store/ScenarioStore.h"
#include "toolkit/JsonValue.h"

namespace zemra::pages {

namespace {

std::string Joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) {
        if (!text.empty()) text += kPieceSeparator;
        text += item;
    }
    return text;
}

}  // namespace

HostProperties DemoProperties(SqlConnection& c, const std::string& pagesBase) {
    std::vector<std::string> stored;
    for (const StoredScenario& s : ListScenarios(c)) stored.push_back(StoredScenarioText(s));
    return {
        {"TunerString", TunerListText(c)},
        {"CurveOptions", CurveListText(c)},
        {"CallAdjustment", CallAdjustmentListText(c)},
        {"RecordString", Joined(HostRecordTexts(c))},
        {"ScenarioString", Joined(HostScenarioTexts(c))},
        {"QuickSearchPath", pagesBase + "QuickSearch"},
        {"ScenarioDetailPath", pagesBase + "ScenarioDetail"},
        {"GetScenarioPath", pagesBase + "GetScenario"},
        {"InsertScenarioPath", pagesBase + "InsertScenario"},
        {"DelScenarioPath", pagesBase + "DelScenario"},
        {"ModScenarioPath", pagesBase + "ModScenario"},
        {"StoredScenarios", Joined(stored)},
        {"CapitalRules", CapitalRuleListText(c)},
        {"CapitalCalcPath", pagesBase + "CapitalCalc"},
        {"CarryCalcPath", pagesBase + "CarryCalc"},
        {"EnableDebug", "yes"},
    };
}

std::string EscapeHtml(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string HostPageHtml(const HostProperties& properties) {
    std::string params;
    for (const auto& [name, value] : properties) {
        params += "    <param name=\"" + EscapeHtml(name) + "\" value=\"" + EscapeHtml(value) + "\">\n";
    }
    return R"HTML(<!DOCTYPE html>
<html lang="en">
<head>
  <meta charset="utf-8">
  <title>ZemraImpactAnalysis</title>
  <script type="module" src="control/zemra-impact-analysis.js"></script>
  <style>body { font-family: sans-serif; margin: 1em; } header { margin-bottom: 0.5em; font-weight: bold; }</style>
</head>
<body>
  <header>ZemraImpactAnalysis &mdash; demo book (zemra-pages)</header>
  <zemra-impact-analysis id="control">
)HTML" + params +
           R"HTML(  </zemra-impact-analysis>
  <script type="module">
    const control = document.getElementById('control');
    const today = new URLSearchParams(location.search).get('today');
    if (today) control.setAttribute('today', today);
    window.controlStarted = control.ProcessInitData();
  </script>
</body>
</html>
)HTML";
}

std::string HostPropertiesJson(const HostProperties& properties) {
    JsonValue object = JsonValue::Object();
    for (const auto& [name, value] : properties) object[name] = value;
    return object.WritePretty() + "\n";
}

}  // namespace zemra::pages

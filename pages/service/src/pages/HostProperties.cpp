#include "pages/HostProperties.h"

#include "book/TextFields.h"
#include "store/BookStore.h"
#include "store/ScenarioStore.h"

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

}  // namespace zemra::pages

#include "compute/ScenarioDatabase.h"

#include <climits>

#include "records/Indexes.h"
#include "compute/QueryEncoding.h"
#include "toolkit/TextSplit.h"

namespace zemra {

namespace {

constexpr const char* kForbiddenInDescription = ";|";

std::string DescriptionDetailAndFlag(const CScenario& scenario) {
    return "Description=" + QueryText(scenario.Getdescription()) +
           "&ScenarioDetail=" + BuildScenarioDetailField(scenario) + "&AutoLoad=" + AutoLoadFlag(scenario.GetAutoLoad());
}

}  // namespace

std::string BuildScenarioDetailField(const CScenario& scenario) {
    std::string field;
    for (int i = 0; i < kScenarioSlots; ++i) field += QueryNumber(scenario.GetScenarioProperties(i)) + ";";
    return field + "0;" + QueryInteger(scenario.Gettuner());
}

std::string AutoLoadFlag(const std::string& autoLoad) {
    const std::string upper = ToUpper(autoLoad);
    if (upper == "NO") return "N";
    if (upper == "YES") return "Y";
    return "";
}

std::optional<std::string> RefusedDescription(const std::string& description) {
    if (description.find_first_of(kForbiddenInDescription) == std::string::npos) return std::nullopt;
    return "The description '" + description +
           "' cannot be saved: the characters ';' and '|' are not allowed in a saved scenario's description.";
}

std::string InsertScenarioAddress(const std::string& page, const CScenario& scenario) {
    return page + "?" + DescriptionDetailAndFlag(scenario);
}

std::string ModifyScenarioAddress(const std::string& page, const CScenario& scenario) {
    return page + "?Uid=" + QueryInteger(scenario.GetUid()) + "&" + DescriptionDetailAndFlag(scenario);
}

std::string DeleteScenarioAddress(const std::string& page, int32_t uid) { return page + "?Uid=" + QueryInteger(uid); }

std::optional<int32_t> InsertedUid(const std::string& reply) {
    const auto first = reply.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return std::nullopt;
    const std::string text = reply.substr(first, reply.find_last_not_of(" \t\r\n") - first + 1);
    try {
        size_t used = 0;
        const long long v = std::stoll(text, &used);
        if (used != text.size() || v < INT32_MIN || v > INT32_MAX) return std::nullopt;
        return static_cast<int32_t>(v);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace zemra

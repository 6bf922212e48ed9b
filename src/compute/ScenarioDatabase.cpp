#include "compute/ScenarioDatabase.h"

#include <climits>

#include "compute/PageContract.h"
#include "compute/QueryEncoding.h"
#include "records/Indexes.h"
#include "toolkit/TextSplit.h"

namespace zemra {

namespace {

constexpr char kForbiddenInDescription[] = {pages::kFieldSeparator, pages::kPieceSeparator, 0};

namespace key = contract::key;
using pages::AppendPair;

void AppendDescriptionDetailAndFlag(std::string& query, const CScenario& scenario, bool first) {
    AppendPair(query, key::kDescription, QueryText(scenario.Getdescription()), first);
    AppendPair(query, key::kScenarioDetail, BuildScenarioDetailField(scenario));
    AppendPair(query, key::kAutoLoad, AutoLoadFlag(scenario.GetAutoLoad()));
}

std::string UidQuery(const std::string& page, int32_t uid) {
    std::string address = page + pages::kQueryStart;
    AppendPair(address, key::kScenarioUid, QueryInteger(uid), true);
    return address;
}

}  // namespace

std::string BuildScenarioDetailField(const CScenario& scenario) {
    std::string field;
    for (int i = 0; i < kScenarioSlots; ++i)
        field += QueryNumber(scenario.GetScenarioProperties(i)) + pages::kFieldSeparator;
    // The stored detail's impact field is always sent as 0.
    return field + '0' + pages::kFieldSeparator + QueryInteger(scenario.Gettuner());
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
    std::string address = page + pages::kQueryStart;
    AppendDescriptionDetailAndFlag(address, scenario, true);
    return address;
}

std::string ModifyScenarioAddress(const std::string& page, const CScenario& scenario) {
    std::string address = UidQuery(page, scenario.GetUid());
    AppendDescriptionDetailAndFlag(address, scenario, false);
    return address;
}

std::string DeleteScenarioAddress(const std::string& page, int32_t uid) { return UidQuery(page, uid); }

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

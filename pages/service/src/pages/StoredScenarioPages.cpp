// The scenario database: list, insert, modify, delete.
#include "PageWire.h"
#include "book/TextFields.h"
#include "pages/PageContext.h"
#include "store/ScenarioStore.h"
#include "toolkit/TextSplit.h"

namespace zemra::pages {

namespace {

namespace key = contract::key;

// The eight fields of "ScenarioDetail": the six scenario values, the impact
// and the tuner.
constexpr std::size_t kDetailFields = 8;
// The longest description and detail stored, in characters: eight numbers
// need at most 24 characters each.
constexpr std::size_t kLongestDescription = 255;
constexpr std::size_t kLongestDetail = 200;
// The most scenarios stored: the whole list (GetScenario, the host page)
// stays within the largest reply the control reads. A stored text: the
// identity, the description (at most 4 bytes a character, 5 as "&amp;"),
// nine numbers and the flag.
constexpr std::size_t kMostStoredScenarios = 4000;
// nine numbers and the flag. The control reads replies of up to 8 MiB.
static_assert(kMostStoredScenarios * (20 + 5 * kLongestDescription + 9 * 24 + 12) < 8u * 1024u * 1024u);

StoredScenario ScenarioFromQuery(const PageQuery& query) {
    StoredScenario s;
    s.description = query.Text(key::kDescription, kLongestDescription);
    if (!FitsRecordField(s.description)) {
        throw PageError(kBadRequest, std::string(key::kDescription) + ": " + Quoted(s.description) + " holds '" +
                                         kFieldSeparator + "' or '" + kPieceSeparator + "'");
    }
    const std::string& detail = query.Text(key::kScenarioDetail, kLongestDetail);
    const std::vector<std::string> fields = SplitFields(detail, kFieldSeparator);
    if (fields.size() != kDetailFields) {
        throw PageError(kBadRequest, std::string(key::kScenarioDetail) + ": " + Quoted(detail) + " has " +
                                         std::to_string(fields.size()) + " fields, not " +
                                         std::to_string(kDetailFields));
    }
    double values[kDetailFields] = {};
    for (std::size_t i = 0; i < kDetailFields; ++i) {
        if (!ReadNumber(fields[i], values[i])) {
            throw PageError(kBadRequest, std::string(key::kScenarioDetail) + ": " + Quoted(fields[i]) + " (field " +
                                             std::to_string(i + 1) + ") is not a number");
        }
    }
    // The range is checked before the tuner is made a whole number.
    const double tuner = values[7];
    if (!contract::IsSmallInt(tuner)) {
        throw PageError(kBadRequest, std::string(key::kScenarioDetail) + ": " + Quoted(fields[7]) +
                                         " (field 8) is not a tuner identifier");
    }
    s.stockChange = values[0];
    s.rateChange = values[1];
    s.volChange = values[2];
    s.timeChange = values[3];
    s.spreadChange = values[4];
    s.tunerValue = values[5];
    s.impact = values[6];
    s.tuner = static_cast<int>(tuner);
    // The flag travels as "Y", "N" or empty; only "Y" (any case) is yes.
    const std::string flag = query.Has(key::kAutoLoad) ? query.Text(key::kAutoLoad) : std::string();
    s.autoLoad = flag == "Y" || flag == "y";
    return s;
}

int64_t RequireUid(const PageQuery& query) { return query.Integer(key::kScenarioUid); }

[[noreturn]] void UnknownUid(const PageQuery& query) {
    throw PageError(kNotFound, std::string(key::kScenarioUid) + ": " + Quoted(query.Text(key::kScenarioUid)) +
                                   " is not a stored scenario");
}

}  // namespace

std::string GetScenarioPage(const PageQuery&, PageContext& context) {
    const auto list = context.database.Run([](SqlConnection& c) { return ListScenarios(c); });
    std::string reply;
    for (const StoredScenario& s : list) {
        if (!reply.empty()) reply += kPieceSeparator;
        reply += StoredScenarioText(s);
    }
    return reply;
}

std::string InsertScenarioPage(const PageQuery& query, PageContext& context) {
    const StoredScenario s = ScenarioFromQuery(query);
    const auto id =
        context.database.Run([&](SqlConnection& c) { return InsertScenarioWithin(c, s, kMostStoredScenarios); });
    if (!id) {
        throw PageError(kConflict, "the scenario database holds " + std::to_string(kMostStoredScenarios) +
                                       " scenarios, the most it keeps: delete one first");
    }
    return std::to_string(*id);
}

std::string ModScenarioPage(const PageQuery& query, PageContext& context) {
    const int64_t uid = RequireUid(query);
    StoredScenario s = ScenarioFromQuery(query);
    s.id = uid;
    if (!context.database.Run([&](SqlConnection& c) { return ModifyScenario(c, s); })) UnknownUid(query);
    return std::to_string(uid);
}

std::string DelScenarioPage(const PageQuery& query, PageContext& context) {
    const int64_t uid = RequireUid(query);
    if (!context.database.Run([&](SqlConnection& c) { return DeleteScenario(c, uid); })) UnknownUid(query);
    return std::to_string(uid);
}

}  // namespace zemra::pages

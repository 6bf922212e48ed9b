#include "PageWire.h"
#include "book/TextFields.h"
#include "pages/PageContext.h"
#include "store/BookStore.h"

namespace zemra::pages {

namespace {

constexpr int kMostRecords = 50;
// Longer search texts are refused (no identifier, ticker or description is
// this long, and the database's pattern matching has a limit of its own).
constexpr std::size_t kLongestSearch = 200;
constexpr const char* kNoMatch = "|";

}  // namespace

std::string QuickSearchPage(const PageQuery& query, PageContext& context) {
    const std::string& text = query.Text(contract::key::kQuickSearch);
    if (text.size() > kLongestSearch) {
        throw PageError(kBadRequest, std::string(contract::key::kQuickSearch) + ": " + Quoted(text) +
                                         " is longer than " + std::to_string(kLongestSearch) + " characters");
    }
    const std::vector<std::string> records =
        context.database.Run([&](SqlConnection& c) { return SearchRecordTexts(c, text, kMostRecords); });
    if (records.empty()) return kNoMatch;
    std::string reply;
    for (const std::string& record : records) {
        if (!reply.empty()) reply += kPieceSeparator;
        reply += record;
    }
    return reply;
}

Security RequireSecurity(const PageQuery& query, PageContext& context, std::string_view key) {
    const int64_t id = query.Integer(key);
    auto security = context.database.Run([&](SqlConnection& c) { return LoadSecurity(c, id); });
    if (!security) {
        throw PageError(kNotFound, std::string(key) + ": " + Quoted(query.Text(key)) + " is not a known security");
    }
    return *security;
}

}  // namespace zemra::pages

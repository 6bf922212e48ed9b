#include "compute/QuickSearch.h"

#include "compute/PageContract.h"
#include "compute/QueryEncoding.h"
#include "toolkit/NumberText.h"
#include "toolkit/TextSplit.h"

namespace zemra {

std::string QuickSearchAddress(const std::string& page, const std::string& searchText) {
    std::string address = page + pages::kQueryStart;
    pages::AppendPair(address, contract::key::kQuickSearch, QueryText(searchText), true);
    return address;
}

bool NoRecordsFound(const std::string& reply) {
    return reply.size() < pages::kQuickSearchMinimumReply || reply == std::string(1, pages::kPieceSeparator);
}

std::optional<int32_t> SecurityIdOf(const std::string& idText, const Locale& locale) {
    const auto v = ParseNumber(Trim(idText), locale);
    if (!v) return std::nullopt;
    try {
        return ToInt32(*v);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::string IdFieldOf(const std::string& record) { return record.substr(0, record.find(pages::kFieldSeparator)); }

}  // namespace zemra

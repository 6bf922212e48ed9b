#pragma once
// What every page answers from: the database and the service's settings.
#include <functional>
#include <string>
#include <string_view>

#include "PageWire.h"
#include "book/Book.h"
#include "pages/PageQuery.h"
#include "store/ConnectionPool.h"
#include "toolkit/DateText.h"

namespace zemra::pages {

struct PageContext {
    ConnectionPool& database;
    Date today;             // the valuation date of carry and valuations
    int engineThreads = 1;  // threads of one valuation request
};

// A page: the decoded query in, the reply text out; PageError for a request
// that cannot be answered.
using Page = std::function<std::string(const PageQuery&, PageContext&)>;

// The eight pages, by the name that follows "/pages/" in their address.
std::string QuickSearchPage(const PageQuery& query, PageContext& context);
std::string GetScenarioPage(const PageQuery& query, PageContext& context);
std::string InsertScenarioPage(const PageQuery& query, PageContext& context);
std::string ModScenarioPage(const PageQuery& query, PageContext& context);
std::string DelScenarioPage(const PageQuery& query, PageContext& context);
std::string CapitalCalcPage(const PageQuery& query, PageContext& context);
std::string CarryCalcPage(const PageQuery& query, PageContext& context);
std::string ScenarioDetailPage(const PageQuery& query, PageContext& context);

// The security of the query's security identifier; 404 naming the value
// when the master has none.
Security RequireSecurity(const PageQuery& query, PageContext& context,
                         std::string_view key = contract::key::kSecurityId);

}  // namespace zemra::pages

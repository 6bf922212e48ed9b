#pragma once
// The book in the database: written by the import, read by the pages.
#include <optional>
#include <string>
#include <vector>

#include "book/Book.h"
#include "store/Sql.h"

namespace zemra::pages {

// Adds or replaces everything the book holds, in one transaction: a
// security, curve, tuner, call adjustment or capital rule of the same
// identifier or code is replaced, a stored scenario of the same description
// is replaced, and the host page's portfolio and scenarios are replaced
// when the book names them. Throws BookError (naming the field at fault)
// when the book refers to something that exists neither in it nor in the
// database; nothing is written then.
void WriteBook(SqlConnection& connection, const Book& book);

// Whether the database holds any security (a new database gets the demo book).
bool HasSecurities(SqlConnection& connection);

// A security with its terms, defaults and market data; nothing when the
// identifier is unknown.
std::optional<Security> LoadSecurity(SqlConnection& connection, int64_t id);

// The security record texts of the securities whose identifier, ticker or
// description holds `text` (any letter case), by identifier, at most `limit`.
std::vector<std::string> SearchRecordTexts(SqlConnection& connection, const std::string& text, int limit);

// The record texts of the host page's portfolio, in its order.
std::vector<std::string> HostRecordTexts(SqlConnection& connection);
std::vector<std::string> HostScenarioTexts(SqlConnection& connection);

std::optional<Curve> LoadCurve(SqlConnection& connection, const std::string& code);
std::optional<CapitalRule> LoadCapitalRule(SqlConnection& connection, int id);

// The option list texts: "id;name|id;name..." (curves: "code;name|...").
std::string TunerListText(SqlConnection& connection);
std::string CurveListText(SqlConnection& connection);
std::string CallAdjustmentListText(SqlConnection& connection);
std::string CapitalRuleListText(SqlConnection& connection);

}  // namespace zemra::pages

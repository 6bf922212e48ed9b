#pragma once
// What every server page is sent and must answer. The control's request
// builders and reply readers, and any page that stands in for the real
// ones, share these rules.
//
// Requests. The address is the page property's text, "?", and the query:
// key literals each followed by their value ("Secid=1001&StockPrice=42.5"),
// values encoded as query components (server/QueryEncoding.h), the values
// of one per-scenario list joined by ";". Numbers are written with "." and
// no grouping whatever the host's locale. A page decodes its query once,
// the standard way, and then reads exactly the values the user typed.
//
// Replies are plain text without quoting or escaping: pieces joined by "|",
// the fields of one piece joined by ";". Numbers in a reply are written as
// in a query, with "." as the decimal sign (a "," between digits groups
// thousands), whatever the host's locale: the pages cannot know the locale
// of each user's browser, so a reply read in a locale whose decimal sign is
// "," would turn 105.25 into 10525. A field that is not a number counts as
// 0 (carry) or leaves its slot at 0 (valuation).
//
//  ScenarioDetailPath  ?<security half><scenario half>
//                      one piece per scenario of the query, in its order;
//                      each piece up to 31 numbers in the order of the
//                      valuation slots (current figures 0-14, the figures
//                      under the scenario 15-29, the sub-impact 30).
//                      With "&enableDebug=y" appended (the debug view) the
//                      answer is only shown in a browser window.
//  CarryCalcPath       ?<carry query>&TimeChg=t1;t2;...
//                      one piece per time change sent; each piece up to 12
//                      numbers in the order of the carry slots (finance,
//                      income, payments, carry, capital, net carry, rebate,
//                      dividends, estimated dividends, points, premium, net
//                      points).
//  CapitalCalcPath     ?<capital query>            one number, the capital.
//  QuickSearchPath     ?QuickSearch=<search text>  security record texts
//                      joined by "|"; "|" alone or a text shorter than 2
//                      characters means no match.
//  GetScenarioPath     (no "?", no query)          stored-scenario texts
//                      joined by "|"; the empty text when there are none.
//  InsertScenarioPath  ?<description, detail, auto-load flag>
//                      the new scenario's identifier as a whole number.
//  ModScenarioPath     ?<identifier and the same fields>  nothing is read.
//  DelScenarioPath     ?<identifier>                      nothing is read.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "PageWire.h"
#include "records/Indexes.h"
#include "toolkit/Locale.h"
#include "toolkit/NumberText.h"
#include "toolkit/TextSplit.h"

namespace zemra::pages {

// The separators of the wire contract (PageWire.h), which the pages share.
constexpr char kQueryStart = contract::kQueryStart;
constexpr char kPairSeparator = contract::kPairSeparator;
constexpr char kKeyValueSeparator = contract::kKeyValueSeparator;
constexpr char kListSeparator = contract::kListSeparator;    // between the values of one list in a query
constexpr char kPieceSeparator = contract::kPieceSeparator;  // between the pieces of a reply
constexpr char kFieldSeparator = contract::kFieldSeparator;  // between the fields of one piece

// Numbers a piece may carry: one per valuation slot, one per carry slot.
constexpr int kValuationFields = kValuationSlots;  // 31
constexpr int kCarryFields = kCarrySlots;          // 12

// The number format of every reply.
inline const Locale& ReplyNumberFormat() { return DataFormat(); }

// A query's pair: the key, "=" and the value, after a pair separator unless
// it starts the query.
inline void AppendPair(std::string& query, std::string_view key, const std::string& value, bool first = false) {
    if (!first) query += kPairSeparator;
    query += key;
    query += kKeyValueSeparator;
    query += value;
}

// Appended to a scenario-detail address by the debug view ("&enableDebug=y").
inline std::string DebugSwitch() {
    std::string pair;
    AppendPair(pair, contract::key::kDebug, std::string(contract::key::kDebugOn));
    return pair;
}
// A quick-search reply shorter than this, or "|" alone, means no match.
constexpr std::size_t kQuickSearchMinimumReply = 2;

// The complete address of a request: page & "?" & query.
inline std::string Address(const std::string& page, const std::string& query) {
    std::string address;
    address.reserve(page.size() + 1 + query.size());
    address += page;
    address += kQueryStart;
    address += query;
    return address;
}

// The pieces of a reply; an empty reply has none, and "a|" has two ("a" and
// the empty piece).
inline std::vector<std::string> ReplyPieces(const std::string& reply) { return SplitItems(reply, kPieceSeparator); }

// The largest reply the control reads, in bytes: 8 MiB. A scenario-detail
// reply for 3125 scenarios, 31 numbers of up to 24 characters each, is
// about 2.4 MB; a larger reply is refused before anything is read from it.
constexpr std::size_t kMaxReplyBytes = 8u * 1024u * 1024u;

// The page an address names: the address up to its query.
inline std::string PageOf(const std::string& address) { return address.substr(0, address.find(kQueryStart)); }

// The message of a reply larger than kMaxReplyBytes.
inline std::string ReplyTooLarge(const std::string& address, std::size_t bytes) {
    return "The reply of " + PageOf(address) + " is too large: " + std::to_string(bytes) +
           " bytes or more, where a reply may have at most " + std::to_string(kMaxReplyBytes) + " bytes.";
}

// The first `count` pieces of a reply, as views into it; fewer when the reply
// has fewer. Pieces after them are neither split nor copied.
inline std::vector<std::string_view> FirstReplyPieces(std::string_view reply, std::size_t count) {
    std::vector<std::string_view> pieces;
    if (reply.empty()) return pieces;
    pieces.reserve(count);
    std::size_t start = 0;
    while (pieces.size() < count) {
        const auto at = reply.find(kPieceSeparator, start);
        if (at == std::string_view::npos) {
            pieces.push_back(reply.substr(start));
            break;
        }
        pieces.push_back(reply.substr(start, at - start));
        start = at + 1;
    }
    return pieces;
}

// The 0-based field of a valuation piece that holds a number beyond the 31
// slots (the first such field), or nothing when the piece fits. Fields that
// are not numbers are skipped wherever they stand.
inline std::optional<std::size_t> NumberBeyondSlots(std::string_view piece, const Locale& locale,
                                                    int slots = kValuationFields) {
    std::size_t start = 0;
    for (std::size_t i = 0;; ++i) {
        const auto at = piece.find(kFieldSeparator, start);
        const std::string_view field = piece.substr(start, at == std::string_view::npos ? at : at - start);
        if (i >= static_cast<std::size_t>(slots) && IsNumeric(field, locale)) return i;
        if (at == std::string_view::npos) return std::nullopt;
        start = at + 1;
    }
}

}  // namespace zemra::pages

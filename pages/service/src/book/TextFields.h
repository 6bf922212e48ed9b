#pragma once
// The plain texts the pages answer with: numbers with "." and at most 15
// significant digits, the scenario and stored-scenario texts, and the rules
// a text must keep to travel inside them.
#include <optional>
#include <string>

#include "PageWire.h"
#include "book/Book.h"
#include "toolkit/DateText.h"

namespace zemra::pages {

using contract::kFieldSeparator;
using contract::kPieceSeparator;

// A text may stand in a field of a record or list text when it holds
// neither separator.
bool FitsRecordField(const std::string& text);

// A number of a reply: at most 15 significant digits, "." as the decimal
// sign, no grouping, no trailing zeros.
std::string ReplyNumber(double value);

std::string ToLowerAscii(std::string text);

// Dates as the book and the database keep them: YYYY-MM-DD.
std::optional<Date> ReadIsoDate(const std::string& text);
std::string IsoDate(const Date& date);

// "description;stock;rate;vol;time;spread;tuner value;impact;tuner;Y|N"
std::string ScenarioText(const StoredScenario& scenario);
// "id;" followed by the scenario text.
std::string StoredScenarioText(const StoredScenario& scenario);

}  // namespace zemra::pages

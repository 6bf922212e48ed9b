#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/Locale.h"

namespace zemra {

// The address of a quick search: the page, the search key and the search
// text encoded as a query value, so that "AT&T" reaches the page whole.
std::string QuickSearchAddress(const std::string& page, const std::string& searchText);

// Whether a quick-search reply means that nothing matched: empty, one
// character long, or "|" alone.
bool NoRecordsFound(const std::string& reply);

// The identifier field 0 of a security record gives, with leading and
// trailing spaces removed, when it is a whole number of 32 bits.
std::optional<int32_t> SecurityIdOf(const std::string& idText, const Locale& locale);

// Field 0 of a record text.
std::string IdFieldOf(const std::string& record);

}  // namespace zemra

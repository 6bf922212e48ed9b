#pragma once
#include <string>
#include <vector>

namespace zemra {

// Splits at every occurrence of sep, with no quoting. An empty text has no
// items; a non-empty text is split completely, so "a|" gives "a" and "".
std::vector<std::string> SplitItems(const std::string& text, char sep);

// Splits at every occurrence of sep, with no quoting; an empty text gives one
// empty field (used for the fields of one item, where field 0 always exists).
std::vector<std::string> SplitFields(const std::string& text, char sep);

std::string Trim(const std::string& text);     // blanks (space, tab) both ends
std::string ToUpper(const std::string& text);  // ASCII
std::string ToLower(const std::string& text);  // ASCII

}  // namespace zemra

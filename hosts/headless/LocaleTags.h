#pragma once
#include <optional>
#include <string>
#include <vector>

#include "toolkit/Locale.h"

namespace zemra::headless {

// The conventions a browser reports for a language tag (decimal sign, group
// separator, minus sign, date separator, order and short pattern), for the
// tags the headless host knows. Nothing for another tag.
std::optional<Locale> LocaleForTag(const std::string& tag);

// The tags LocaleForTag knows, in a fixed order.
std::vector<std::string> KnownLocaleTags();

}  // namespace zemra::headless

#pragma once
// The capital rules a security may follow, as the control's CapitalRules
// property lists them: entries joined by "|", each an identifier and a name
// joined by ";" ("1;A|2;B").
#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/Locale.h"

namespace zemra {

struct CapitalRuleEntry {
    int16_t id = 0;
    std::string name;
};

// The rules in their order; an empty text lists none. Throws
// std::runtime_error naming the entry when one has no name or an
// identifier that is not a number fitting 16 bits (halves round to even).
std::vector<CapitalRuleEntry> ParseCapitalRules(const std::string& text, const Locale& locale);

}  // namespace zemra

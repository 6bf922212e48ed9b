// The capital rules list. The Capital Settings dialog: a session (start-up,
// the dialog on the security's rule, confirming, a reply that is not a
// number, a failed request, a refused rate, Cancel, the requests of every
// display and of an Update): golden/capital_session; a rule not in the list
// and what LbCapital shows of 0, a loss and a large figure:
// golden/capital_rules; without rules, with malformed rules or without a
// security: golden/capital_no_rules and capital_bad_rules.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "Builders.h"
#include "compute/CapitalRules.h"

using namespace zemra;
using zemra::testing::Contains;
using zemra::testing::ErrorOf;

TEST(CapitalRules, EntriesAreIdentifierAndNameWithSixteenBitIdentifiers) {
    const std::pair<std::string, std::vector<std::pair<int, std::string>>> cases[] = {
        {"1;A|2;B", {{1, "A"}, {2, "B"}}},
        {"", {}},
        {"2.5;Half|-3;Minus|4;", {{2, "Half"}, {-3, "Minus"}, {4, ""}}},
        {"32767;Top;extra", {{32767, "Top"}}}};
    for (const auto& [text, rules] : cases) {
        std::vector<std::pair<int, std::string>> got;
        for (const CapitalRuleEntry& r : ParseCapitalRules(text, Locale::EnUs())) got.emplace_back(r.id, r.name);
        EXPECT_EQ(got, rules) << text;
    }
    for (const char* bad : {"x;A", "40000;Big", "1;A|3", "1;A|"}) {
        const std::string error = ErrorOf<std::runtime_error>([&] { ParseCapitalRules(bad, Locale::EnUs()); });
        EXPECT_TRUE(Contains(error, "capital rule")) << bad << ": " << error;
    }
}

#include "compute/CapitalRules.h"

#include <stdexcept>

#include "toolkit/NumberText.h"
#include "toolkit/TextSplit.h"

namespace zemra {

namespace {

constexpr char kEntrySeparator = '|';
constexpr char kFieldSeparator = ';';

}  // namespace

std::vector<CapitalRuleEntry> ParseCapitalRules(const std::string& text, const Locale& locale) {
    std::vector<CapitalRuleEntry> rules;
    for (const std::string& entry : SplitItems(text, kEntrySeparator)) {
        const std::vector<std::string> fields = SplitFields(entry, kFieldSeparator);
        if (fields.size() < 2) throw std::runtime_error("The capital rule '" + entry + "' has no name.");
        const std::optional<double> id = ParseNumber(fields[0], locale);
        try {
            if (!id) throw std::invalid_argument("not a number");
            rules.push_back({ToInt16(*id), fields[1]});
        } catch (const std::exception&) {
            throw std::runtime_error("The capital rule '" + entry +
                                     "' has no identifier: it must be a whole number from -32768 to 32767.");
        }
    }
    return rules;
}

}  // namespace zemra

#include "LocaleTags.h"

namespace zemra::headless {

namespace {

struct TaggedLocale {
    const char* tag;
    Locale locale;
};

Locale Make(char decimal, const char* group, const char* minus, char dateSeparator, DateOrder order,
            const char* pattern) {
    Locale locale;
    locale.decimalSeparator = decimal;
    locale.groupSeparator = group;
    locale.minusSign = minus;
    locale.dateSeparator = dateSeparator;
    locale.dateOrder = order;
    locale.shortDatePattern = pattern;
    return locale;
}

// As Chromium's Intl reports them: fr-FR groups with the narrow no-break
// space U+202F, sv-SE with the no-break space U+00A0 and writes the minus
// sign U+2212.
const TaggedLocale kLocales[] = {
    {"en-US", Make('.', ",", "-", '/', DateOrder::MonthDayYear, "M/d/yyyy")},
    {"de-DE", Make(',', ".", "-", '.', DateOrder::DayMonthYear, "d.M.yyyy")},
    {"fr-FR", Make(',', "\u202F", "-", '/', DateOrder::DayMonthYear, "dd/MM/yyyy")},
    {"sv-SE", Make(',', "\u00A0", "\u2212", '-', DateOrder::YearMonthDay, "yyyy-MM-dd")},
};

}  // namespace

std::optional<Locale> LocaleForTag(const std::string& tag) {
    for (const TaggedLocale& known : kLocales) {
        if (tag == known.tag) return known.locale;
    }
    return std::nullopt;
}

std::vector<std::string> KnownLocaleTags() {
    std::vector<std::string> tags;
    for (const TaggedLocale& known : kLocales) tags.emplace_back(known.tag);
    return tags;
}

}  // namespace zemra::headless

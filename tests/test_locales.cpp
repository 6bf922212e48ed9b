// The host's locale: what the user types and sees follows it; data from the
// page and the servers, and every request, do not. Each known language tag
// with the conventions a browser reports for it.
#include <gtest/gtest.h>

#include <tuple>

#include "Harness.h"
#include "LocaleTags.h"
#include "toolkit/DateText.h"

using namespace zemra;
using namespace zemra::testing;
using zemra::headless::KnownLocaleTags;
using zemra::headless::LocaleForTag;

namespace {

const char* const kNbsp = "\u00A0";
const char* const kNarrowNbsp = "\u202F";
const char* const kMinus = "\u2212";

Locale Tagged(const std::string& tag) {
    const auto locale = LocaleForTag(tag);
    if (!locale) throw std::runtime_error("unknown tag " + tag);
    return *locale;
}

// A convertible with a short stock position, read from start-up data whose
// numbers have decimals, groups and a minus sign.
const std::string kConvertible =
    "1001;ACME 2.5% 2031 CV;B;1,000;105.25;350;1;0;1;-12,500;42.5;32.5;USG;10;0;25;1;15;15;5.25;1.25;0.5;0;1;"
    "06/15/2031;1;0;1;R;40;1;0.5";
const std::string kScenarios = "Stock +10.5%;10.5;0;0;0;0;100;0;1;N|Rates -0.25;0;-0.25;0;0;0;100;-1,234.5;1;N";

// A started control in the locale of `tag`, its start-up messages kept.
struct Started {
    Harness h;
    explicit Started(const std::string& tag) : h(Tagged(tag)) {
        h.Replies({{kDetail, "0|0"}, {kCarry, "0|0"}, {kPages, "0"}});
        // clang-format off
        h.Start({{"TunerString", "1;Standard|2;Aggressive"}, {"CallAdjustment", "0;None|1;Hard Call"},
            {"RecordString", kConvertible}, {"ScenarioString", kScenarios},
            {"StoredScenarios", "501;Crash -30.5%;-30.5;0;20;0;50;100;0;1;N"}, {"ScenarioDetailPath", kDetail},
            {"CarryCalcPath", kCarry}, {"CapitalCalcPath", kCapital}});
        // clang-format on
    }
    const CSecurity& Security() { return h.Model().Securities().Item(1); }
};

// The requests with the maturity's value left out: the maturity is written
// with the host's date separator.
std::vector<std::string> WithoutMaturity(std::vector<std::string> requests) {
    for (std::string& r : requests) {
        const auto at = r.find("&Maturity=");
        if (at != std::string::npos) r.erase(at, r.find('&', at + 1) - at);
    }
    return requests;
}

TEST(LocaleTags, TheConventionsABrowserReports) {
    // The tag, -12345.6 with one decimal in the minus form, and 4 March 2033.
    const std::tuple<const char*, std::string, const char*> cases[] = {
        {"en-US", "-12,345.6", "3/4/2033"},
        {"de-DE", "-12.345,6", "4.3.2033"},
        {"fr-FR", std::string("-12") + kNarrowNbsp + "345,6", "04/03/2033"},
        {"sv-SE", std::string(kMinus) + "12" + kNbsp + "345,6", "2033-03-04"}};
    for (const auto& [tag, grouped, date] : cases) {
        const Locale locale = Tagged(tag);
        EXPECT_EQ(FormatGrouped(-12345.6, 1, locale, true), grouped) << tag;
        EXPECT_EQ(FormatShortDate(Date{2033, 3, 4}, locale), date) << tag;
        EXPECT_EQ(ParseDate(date, locale), (Date{2033, 3, 4})) << tag;
    }
    EXPECT_FALSE(LocaleForTag("xx-XX"));
}

// Every text the control writes into a field reads back as the same number
// through the one numeric test.
TEST(LocaleTags, WhatTheControlWritesReadsBack) {
    for (const std::string& tag : KnownLocaleTags()) {
        const Locale locale = Tagged(tag);
        for (const double v : {-12500.0, 1234567.891, -0.5, 105.25, -1e20, 0.0}) {
            EXPECT_EQ(ParseNumber(FormatGrouped(v, 3, locale, true), locale), RoundHalfAway(v, 3)) << tag << " " << v;
            EXPECT_EQ(ParseNumber(PlainNumber(v, locale.decimalSeparator), locale), v) << tag << " " << v;
        }
    }
}

// Start-up data is written by the page in one format: every locale reads the
// same records and sends the same requests.
TEST(Locales, StartUpDataReadsTheSameInEveryLocale) {
    Started us("en-US");
    ASSERT_TRUE(us.h.Messages().empty()) << us.h.Messages()[0];
    for (const std::string& tag : KnownLocaleTags()) {
        Started s(tag);
        EXPECT_TRUE(s.h.Messages().empty()) << tag << ": " << (s.h.Messages().empty() ? "" : s.h.Messages()[0]);
        EXPECT_EQ(s.Security().GetProperties(ConvertPriceIdx), 105.25) << tag;
        EXPECT_EQ(s.Security().GetProperties(StkPosIdx), -12500) << tag;
        EXPECT_EQ(WithoutMaturity(s.h.host.requests.Addresses()), WithoutMaturity(us.h.host.requests.Addresses()))
            << tag;
        EXPECT_EQ(s.h.Model().Scenarios().Item(1).GetScenarioProperties(m_StkChgIdx), 10.5) << tag;
        EXPECT_EQ(s.h.Model().StoredScenarios().Item(1).GetScenarioProperties(m_StkChgIdx), -30.5) << tag;
        EXPECT_EQ(s.h.Rows(s.h.Combo("ComboTuner")), (std::vector<std::string>{"Standard", "Aggressive"})) << tag;
    }
}

// Tabbing through every field without typing changes nothing: golden/locale_de and
// golden/locale_sv; what fr-FR writes reads back: LocaleTags.WhatTheControlWritesReadsBack.

}  // namespace

// The one numeric test (toolkit/NumberText.h) reads texts in place: the
// texts it accepts and refuses in each locale, the values it gives (the
// nearest double, by the fast exact path or the library's conversion), and
// the conversion of decimal digits (toolkit/DecimalToDouble.h), against the
// C library's strtod on random numbers of every length and exponent.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "LocaleTags.h"
#include "toolkit/DecimalToDouble.h"
#include "toolkit/NumberText.h"

using namespace zemra;

namespace {

Locale Tagged(const std::string& tag) {
    const auto locale = headless::LocaleForTag(tag);
    if (!locale) throw std::runtime_error("unknown tag " + tag);
    return *locale;
}

// The value the C library gives for a text in its own form ("-123.45e6"):
// the nearest double, infinity beyond a double's range.
double Reference(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    EXPECT_EQ(end, text.c_str() + text.size()) << text;
    return value;
}

// 5^n in decimal digits: 2^-n is 5^n x 10^-n.
std::string PowerOfFive(int n) {
    std::vector<int> digits{1};  // least significant first
    for (int k = 0; k < n; ++k) {
        int carry = 0;
        for (int& d : digits) {
            const int product = d * 5 + carry;
            d = product % 10;
            carry = product / 10;
        }
        if (carry > 0) digits.push_back(carry);
    }
    std::string text;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) text += static_cast<char>('0' + *it);
    return text;
}

bool SameDouble(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::string Describe(const std::optional<double>& value) {
    if (!value) return "refused";
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17g", *value);
    return buf;
}

constexpr std::optional<double> kRefused = std::nullopt;
const std::string kLong(300, '7');  // 300 significant digits

using Reads = std::vector<std::pair<std::string, double>>;
using Refusals = std::vector<std::string>;

// The texts `tag` reads, with their exact values (the sign of a zero
// included), and the texts it refuses.
void ExpectReads(const char* tag, const Reads& read, const Refusals& refused) {
    const Locale locale = Tagged(tag);
    std::vector<std::pair<std::string, std::optional<double>>> cases(read.begin(), read.end());
    for (const std::string& text : refused) cases.emplace_back(text, kRefused);
    for (const auto& [text, expected] : cases) {
        const std::optional<double> value = ParseNumber(text, locale);
        const bool same = value.has_value() == expected.has_value() && (!value || SameDouble(*value, *expected));
        EXPECT_TRUE(same) << tag << " '" << text.substr(0, 60) << "': read " << Describe(value) << ", expected "
                          << Describe(expected);
        EXPECT_EQ(IsNumeric(text, locale), expected.has_value()) << tag << " '" << text.substr(0, 60) << "'";
    }
}

}  // namespace

TEST(NumberReader, AcceptsAndRefusesTheSameTextsInEveryLocale) {
    // clang-format off
    // The usual form of replies and fields; blanks around, groups, exponents.
    ExpectReads("en-US", {{"105.25", 105.25}, {"-120.50", -120.5}, {"+7", 7.0}, {"0", 0.0}, {"-0", -0.0},
        {"-0.000", -0.0}, {".5", 0.5}, {"5.", 5.0}, {"0.1", 0.1}, {"123456789012345", 123456789012345.0},
        {"0.000000000000001", 1e-15}, {"  -3.25 ", -3.25}, {"\t42\t", 42.0}, {"1,234.5", 1234.5},
        {"-1,234,567", -1234567.0}, {"12,345,678", 12345678.0}, {"1E+20", 1e20}, {"2.5e-3", 0.0025},
        {"1e0000000000000000000000005", 1e5}, {"12e30", 12e30}, {"1.5E-12", 1.5e-12}},
        {"1,2,3", "-12,5", "1,2345", "1234,567"});
    // More digits than the fast path takes: the library's conversion (2^53
    // + 1 ties to even); the edges of a double.
    ExpectReads("en-US", {{"1234567890123456", 1234567890123456.0}, {"0.30000000000000004", 0.30000000000000004},
        {"9007199254740993", 9007199254740992.0}, {"12345678901234567890123", Reference("12345678901234567890123")},
        {"0." + std::string(30, '0') + "1", 1e-31}, {kLong, Reference(kLong)},
        {"0." + kLong + "e300", Reference("0." + kLong + "e300")}, {"1.7976931348623157e308", 1.7976931348623157e308},
        {"2.2250738585072014e-308", 2.2250738585072014e-308}, {"4.9406564584124654e-324", 4.9406564584124654e-324},
        {"1e-400", 0.0}, {"-1e-400", -0.0}, {"0e999999", 0.0}},
        {"1.8e308", "1E+400", "-" + kLong + "e300"});
    // Not numbers; the Unicode minus is not the en-US one.
    ExpectReads("en-US", {}, {"", " ", "abc", "N/A", ".", "-", "+", "--1", "+-1", "1.2.3", "1e", "1e+", "e5",
        "1e5.5", "1,", ",5", "1,,000", "1.5,000", "1 000", "1 2", "0x10", "inf", "nan", "1_000",
        "12345678901234567890x", "\u22123"});
    // A comma as the decimal sign, a point grouping.
    ExpectReads("de-DE", {{"1.234,5", 1234.5}, {"-0,25", -0.25}, {"1,5E+2", 150.0}, {"105,25", 105.25},
        {"1.234.567,5", 1234567.5}, {"1,", 1.0}},
        {"1.5", "-12.5", "1,2,3", "1.234.5", "1.", "1\u00A0234"});
    // Spaces grouping: any of the three spaces.
    ExpectReads("fr-FR", {{"1\u202F234,5", 1234.5}, {"1\u00A0234,5", 1234.5}, {"1 234,5", 1234.5},
        {"-1 234 567", -1234567.0}, {"1 234 ", 1234.0}},
        {"1\u202F", "1.5"});
    // The Unicode minus sign.
    ExpectReads("sv-SE", {{"\u22123,5", -3.5}, {"\u22121\u00A0234,5", -1234.5}, {"-2", -2.0},
        {"-12\u202F500", -12500.0}, {"\u221212 500,5", -12500.5}},
        {"\u2212", "\u2212\u22121", "\u2212-1", "12\u00A0"});
    // clang-format on
}

TEST(NumberReader, TellsANumberTooLargeFromText) {
    const std::pair<std::string, bool> table[] = {{"1e309", true},  {"-1.8E+308", true}, {kLong + "e100", true},
                                                  {"1e308", false}, {"1e-400", false},   {"abc", false},
                                                  {"", false},      {"1e", false}};
    for (const auto& [text, tooLarge] : table)
        EXPECT_EQ(IsNumberTooLarge(text, Locale::EnUs()), tooLarge) << text.substr(0, 40);
}

// Random decimal numbers of 1 to 30 digits with every exponent from -340 to
// 340, written plainly or in the German form: the same double as the C
// library's conversion, and refused where that overflows.
TEST(NumberReader, EveryFormGivesTheNearestDouble) {
    std::mt19937_64 random(20261207);
    const Locale us = Tagged("en-US"), de = Tagged("de-DE");
    for (int n = 0; n < 30000; ++n) {
        const int length = 1 + static_cast<int>(random() % 30);
        std::string digits;
        for (int d = 0; d < length; ++d) digits += static_cast<char>('0' + random() % 10);
        const int point = static_cast<int>(random() % static_cast<unsigned>(length + 1));
        const bool negative = random() % 2 == 0;
        const int exponent = n % 3 == 0 ? static_cast<int>(random() % 681) - 340 : 0;
        const std::string sign = negative ? "-" : "";
        const std::string tail = n % 3 == 0 ? "e" + std::to_string(exponent) : "";
        std::string plain = sign + digits.substr(0, static_cast<std::size_t>(point)) + "." +
                            digits.substr(static_cast<std::size_t>(point)) + tail;
        const std::string german = sign + digits.substr(0, static_cast<std::size_t>(point)) + "," +
                                   digits.substr(static_cast<std::size_t>(point)) + tail;
        const double expected = Reference(plain);
        if (std::isinf(expected)) {
            EXPECT_FALSE(ParseNumber(plain, us).has_value()) << plain;
            continue;
        }
        for (const auto& [text, locale] : {std::pair{plain, &us}, std::pair{german, &de}}) {
            const auto value = ParseNumber(text, *locale);
            ASSERT_TRUE(value.has_value()) << text;
            ASSERT_TRUE(SameDouble(*value, expected))
                << text << ": read " << Describe(value) << ", expected " << Describe(expected);
        }
    }
}

// The conversion of digits read elsewhere: the fast path's limits and the
// written-out form's (more than 800 significant digits, exponents far out).
TEST(DecimalConversion, TheFastPathAndTheWrittenOutFormAgree) {
    struct Conversion {
        std::string digits;
        long long digitsExponent;
        std::optional<double> value;
    };
    const std::string many = "1" + std::string(900, '0') + "1";  // beyond the 800 digits kept
    // 2^-1075, halfway between 0 and the smallest subnormal (751 digits).
    const std::string half = PowerOfFive(1075);
    const double smallest = 4.9406564584124654e-324;
    // clang-format off
    const std::vector<Conversion> table = {
        {half, -1075, 0.0},  // a tie goes to the even neighbour, 0
        {half + std::string(100, '0'), -1175, 0.0},
        // A digit other than 0 past the 800 kept decides that it is above
        // halfway; just below halfway rounds down.
        {half + std::string(100, '0') + "1", -1176, smallest},
        {half.substr(0, half.size() - 1) + "4" + std::string(100, '9'), -1175, 0.0},
        {"9007199254740992", 0, 9007199254740992.0}, {"9007199254740993", 0, 9007199254740992.0},
        {"9007199254740995", 0, 9007199254740996.0}, {"12", 30, 12e30}, {"12", 300, 12e300}, {"1", -22, 1e-22},
        {"1", -23, 1e-23}, {many, -901, 1.0}, {"1", 1000000000000LL, kRefused}, {"1", -1000000000000LL, 0.0}};
    // clang-format on
    for (const Conversion& c : table) {
        DecimalNumber number;
        number.digits = c.digits;
        number.digitsExponent = c.digitsExponent;
        // The leading digits as a reader fills them.
        int taken = 0;
        for (const char ch : c.digits) {
            if (taken < kLeadingDigits) {
                number.leading = number.leading * 10 + static_cast<std::uint64_t>(ch - '0');
                if (number.leading != 0) ++taken;
            } else {
                ++number.exponent;
                if (ch != '0') number.exact = false;
            }
        }
        number.exponent += c.digitsExponent;
        const auto value = ToDouble(number);
        const bool same = value.has_value() == c.value.has_value() && (!value || SameDouble(*value, *c.value));
        EXPECT_TRUE(same) << c.digits.substr(0, 30) << " e" << c.digitsExponent << ": " << Describe(value)
                          << ", expected " << Describe(c.value);
    }
}

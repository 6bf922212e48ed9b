#include "toolkit/NumberText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string_view>

#include "toolkit/DecimalToDouble.h"

namespace zemra {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool StartsAt(std::string_view s, std::size_t i, std::string_view part) {
    return !part.empty() && i < s.size() && s[i] == part[0] && s.substr(i, part.size()) == part;
}

// Spaces a locale may group digits with: the plain, the non-breaking and the
// narrow non-breaking space. A locale that groups with one of them accepts
// all three, since what a user types or pastes may hold any of them.
constexpr std::string_view kGroupSpaces[] = {" ", "\u00A0", "\u202F"};

bool IsGroupSpace(std::string_view separator) {
    for (const std::string_view space : kGroupSpaces) {
        if (separator == space) return true;
    }
    return false;
}

// Length in bytes of the locale's group separator at s[i], 0 if none is there.
std::size_t GroupSeparatorAt(std::string_view s, std::size_t i, const Locale& locale) {
    const std::string_view group = locale.groupSeparator;
    if (group.empty() || (group.size() == 1 && group[0] == locale.decimalSeparator)) return 0;
    if (StartsAt(s, i, group)) return group.size();
    // Each group space starts with one of these bytes.
    if (s[i] != ' ' && s[i] != '\xC2' && s[i] != '\xE2') return 0;
    if (IsGroupSpace(group)) {
        for (const std::string_view space : kGroupSpaces) {
            if (StartsAt(s, i, space)) return space.size();
        }
    }
    return 0;
}

// Exact powers of ten as doubles (10^22 is the largest exactly representable).
double ExactPowerOfTen(int n) {
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                         1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    return kPowers[n];
}

std::string_view TrimBlanks(std::string_view text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && (text[first] == ' ' || text[first] == '\t')) ++first;
    while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\t')) --last;
    return text.substr(first, last - first);
}

// An exponent beyond this is out of a double's range whatever the digits.
constexpr long long kExponentCap = 1000000000000LL;

// Reads a text written as a number in the locale's format into `number`, in
// place; false when it is not written so.
bool ReadDecimal(std::string_view text, const Locale& locale, DecimalNumber& number) noexcept {
    const std::string_view s = TrimBlanks(text);
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        number.negative = s[i] == '-';
        ++i;
    } else if (StartsAt(s, i, locale.minusSign)) {
        number.negative = true;
        i += locale.minusSign.size();
    }
    const std::size_t digitsStart = i;
    int taken = 0;  // significant digits in number.leading
    // Each digit joins `leading` while it has room; past that, only whether
    // it is 0 matters, and an integer digit moves the exponent.
    auto take = [&](char c, bool fraction) {
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (taken < kLeadingDigits) {
            number.leading = number.leading * 10 + digit;
            if (number.leading != 0) ++taken;
            if (fraction) --number.exponent;
        } else {
            if (digit != 0) number.exact = false;
            if (!fraction) ++number.exponent;
        }
    };
    // Integer part: digits, with group separators only where they group
    // thousands: one to three digits before the first, exactly three after
    // each ("1,234,567"). A separator anywhere else ("-12,5", "1,2345") makes
    // the text no number rather than a number ten or a hundred times off.
    constexpr std::size_t kGroupDigits = 3;
    std::size_t intDigits = 0;
    std::size_t digitsInGroup = 0;
    bool grouped = false;
    while (i < s.size()) {
        if (IsDigit(s[i])) {
            take(s[i++], false);
            ++intDigits;
            ++digitsInGroup;
            continue;
        }
        const std::size_t group = intDigits == 0 ? 0 : GroupSeparatorAt(s, i, locale);
        if (group == 0 || i + group >= s.size() || !IsDigit(s[i + group])) break;
        if (grouped ? digitsInGroup != kGroupDigits : digitsInGroup > kGroupDigits) return false;
        grouped = true;
        digitsInGroup = 0;
        i += group;
    }
    if (grouped && digitsInGroup != kGroupDigits) return false;
    long long fracDigits = 0;
    if (i < s.size() && s[i] == locale.decimalSeparator) {
        ++i;
        while (i < s.size() && IsDigit(s[i])) {
            take(s[i++], true);
            ++fracDigits;
        }
    }
    if (intDigits == 0 && fracDigits == 0) return false;
    number.digits = s.substr(digitsStart, i - digitsStart);
    long long exponent = 0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        ++i;
        bool expNegative = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            expNegative = s[i] == '-';
            ++i;
        }
        const std::size_t expStart = i;
        while (i < s.size() && IsDigit(s[i])) {
            if (exponent < kExponentCap) exponent = exponent * 10 + (s[i] - '0');
            ++i;
        }
        if (i == expStart) return false;
        if (expNegative) exponent = -exponent;
    }
    if (i != s.size()) return false;
    number.exponent += exponent;
    number.digitsExponent = exponent - fracDigits;
    return true;
}

// Splits a value's 15-significant-digit decimal form into its digits and the
// exponent of the first digit (value = d.dddd... x 10^exponent).
void FifteenDigits(double magnitude, std::string& digits, int& exponent) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.14e", magnitude);
    const char* e = std::strchr(buf, 'e');
    digits.assign(1, buf[0]);
    digits.append(buf + 2, static_cast<std::size_t>(e - (buf + 2)));
    exponent = std::atoi(e + 1);
}

// The usual form of a reply's numbers, read in one pass: an optional "+" or
// "-", digits with at most one decimal sign among them and nothing else, at
// most 15 digits in all, of which at most 22 after the decimal sign: the
// digits are exact as a double and so is the power of ten they are divided
// by, so the one division rounds correctly. Anything else (blanks, group
// separators, an exponent, the locale's own minus sign, more digits) is
// left to ReadDecimal, which reads every form and gives the same value for
// this one.
bool ReadPlainDecimal(std::string_view s, char decimal, double& value) noexcept {
    constexpr int kExactDigits = 15;  // 10^15 - 1 < 2^53
    const char* p = s.data();
    const char* const end = p + s.size();
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    std::uint64_t whole = 0;
    int digits = 0;
    int fraction = 0;
    while (p != end && IsDigit(*p) && digits < kExactDigits) {
        whole = whole * 10 + static_cast<std::uint64_t>(*p++ - '0');
        ++digits;
    }
    if (p != end && *p == decimal) {
        ++p;
        while (p != end && IsDigit(*p) && digits < kExactDigits) {
            whole = whole * 10 + static_cast<std::uint64_t>(*p++ - '0');
            ++digits;
            ++fraction;
        }
    }
    if (p != end || digits == 0) return false;
    const double magnitude = static_cast<double>(whole) / ExactPowerOfTen(fraction);
    value = negative ? -magnitude : magnitude;
    return true;
}

}  // namespace

std::optional<double> ParseNumber(std::string_view text, const Locale& locale) noexcept {
    if (double value = 0; ReadPlainDecimal(text, locale.decimalSeparator, value)) return value;
    DecimalNumber number;
    if (!ReadDecimal(text, locale, number)) return std::nullopt;
    return ToDouble(number);
}

bool IsNumberTooLarge(std::string_view text, const Locale& locale) noexcept {
    DecimalNumber number;
    return ReadDecimal(text, locale, number) && !ToDouble(number);
}

bool IsNumeric(std::string_view text, const Locale& locale) noexcept { return ParseNumber(text, locale).has_value(); }

double RoundHalfAway(double value, int decimals) {
    if (!std::isfinite(value)) return value;
    if (value == 0) return 0.0;
    std::string digits;
    int exponent = 0;
    FifteenDigits(std::fabs(value), digits, exponent);
    // Number of leading digits that stay after rounding.
    const int keep = exponent + 1 + decimals;
    if (keep >= static_cast<int>(digits.size())) return value;  // nothing beyond the wanted place
    if (keep < 0) return 0.0;
    long long kept = 0;
    for (int k = 0; k < keep; ++k) kept = kept * 10 + (digits[static_cast<std::size_t>(k)] - '0');
    if (digits[static_cast<std::size_t>(keep)] >= '5') ++kept;
    if (kept == 0) return 0.0;
    double result = 0;
    if (decimals >= 0 && decimals <= 22) {
        result = static_cast<double>(kept) / ExactPowerOfTen(decimals);
    } else if (decimals < 0 && -decimals <= 22) {
        result = static_cast<double>(kept) * ExactPowerOfTen(-decimals);
    } else {
        const std::string text = std::to_string(kept) + "e" + std::to_string(-decimals);
        Locale plain;
        result = ParseNumber(text, plain).value_or(0.0);
    }
    return value < 0 ? -result : result;
}

double RoundHalfEven(double value) {
    if (!std::isfinite(value)) return value;
    if (std::fabs(value) >= 4503599627370496.0) return value;  // 2^52: already whole
    const double lower = std::floor(value);
    const double fraction = value - lower;
    double result = lower;
    if (fraction > 0.5) {
        result = lower + 1;
    } else if (fraction == 0.5) {
        result = std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
    }
    return result == 0 ? 0.0 : result;
}

int32_t ToInt32(double value) {
    if (!std::isfinite(value)) throw std::invalid_argument("not a finite number");
    const double whole = RoundHalfEven(value);
    if (whole < -2147483648.0 || whole > 2147483647.0) throw std::overflow_error("outside the 32-bit range");
    return static_cast<int32_t>(whole);
}

int16_t ToInt16(double value) {
    if (!std::isfinite(value)) throw std::invalid_argument("not a finite number");
    const double whole = RoundHalfEven(value);
    if (whole < -32768.0 || whole > 32767.0) throw std::overflow_error("outside the 16-bit range");
    return static_cast<int16_t>(whole);
}

std::string PlainNumber(double value, char decimalSeparator) {
    if (!std::isfinite(value)) return "";
    if (value == 0) return "0";
    std::string digits;
    int exponent = 0;
    FifteenDigits(std::fabs(value), digits, exponent);
    const auto last = digits.find_last_not_of('0');
    digits.erase(last + 1);  // the first digit is never 0
    std::string out = value < 0 ? "-" : "";
    if (exponent >= 15 || exponent < -10) {
        out += digits[0];
        if (digits.size() > 1) {
            out += decimalSeparator;
            out.append(digits, 1);
        }
        out += 'E';
        out += exponent < 0 ? '-' : '+';
        const int magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude < 10) out += '0';
        out += std::to_string(magnitude);
    } else if (exponent >= 0) {
        const auto intLength = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= intLength) {
            out += digits;
            out.append(intLength - digits.size(), '0');
        } else {
            out.append(digits, 0, intLength);
            out += decimalSeparator;
            out.append(digits, intLength);
        }
    } else {
        out += '0';
        out += decimalSeparator;
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out += digits;
    }
    return out;
}

std::string FormatGrouped(double value, int decimals, const Locale& locale, bool minusForm) {
    if (!std::isfinite(value)) return "";
    if (decimals < 0) decimals = 0;
    if (decimals > 4) decimals = 4;
    const double rounded = RoundHalfAway(value, decimals);
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, std::fabs(rounded));
    const std::string fixed = buf;
    const auto point = fixed.find('.');
    const std::string intDigits = fixed.substr(0, point);
    std::string body;
    for (std::size_t k = 0; k < intDigits.size(); ++k) {
        if (k > 0 && (intDigits.size() - k) % 3 == 0) {
            body += locale.groupSeparator;
        }
        body += intDigits[k];
    }
    if (point != std::string::npos) {
        body += locale.decimalSeparator;
        body.append(fixed, point + 1);
    }
    if (rounded < 0) {
        return minusForm ? locale.minusSign + body : "(" + body + ")";
    }
    return body;
}

}  // namespace zemra

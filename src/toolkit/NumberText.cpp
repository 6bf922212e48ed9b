#include "toolkit/NumberText.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <version>

#include "toolkit/TextSplit.h"

namespace zemra {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool StartsAt(const std::string& s, std::size_t i, const std::string& part) {
    return !part.empty() && s.compare(i, part.size(), part) == 0;
}

// Spaces a locale may group digits with: the plain, the non-breaking and the
// narrow non-breaking space. A locale that groups with one of them accepts
// all three, since what a user types or pastes may hold any of them.
constexpr const char* kGroupSpaces[] = {" ", "\u00A0", "\u202F"};

bool IsGroupSpace(const std::string& separator) {
    for (const char* space : kGroupSpaces) {
        if (separator == space) return true;
    }
    return false;
}

// Length in bytes of the locale's group separator at s[i], 0 if none is there.
std::size_t GroupSeparatorAt(const std::string& s, std::size_t i, const Locale& locale) {
    const std::string& group = locale.groupSeparator;
    if (group.empty() || group == std::string(1, locale.decimalSeparator)) return 0;
    if (StartsAt(s, i, group)) return group.size();
    if (IsGroupSpace(group)) {
        for (const char* space : kGroupSpaces) {
            if (StartsAt(s, i, space)) return std::strlen(space);
        }
    }
    return 0;
}

// Exact powers of ten as doubles (10^22 is the largest exactly representable).
double ExactPowerOfTen(int n) {
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    return kPowers[n];
}

// The parts of a number read from the user's text, already stripped of group
// separators and brought to the form [-]digits[.digits][e[-]digits].
struct NumberParts {
    bool negative = false;
    std::string intDigits;
    std::string fracDigits;
    bool expNegative = false;
    std::string expDigits;
};

#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
#define ZEMRA_FROM_CHARS_DOUBLE 1
// Decimal order of magnitude of the first non-zero digit, used to tell an
// overflow from an underflow when the conversion reports "out of range".
long OrderOfMagnitude(const NumberParts& parts) {
    long exponent = 0;
    for (char c : parts.expDigits) {
        if (exponent < 1000000) exponent = exponent * 10 + (c - '0');
    }
    if (parts.expNegative) exponent = -exponent;
    const auto firstInt = parts.intDigits.find_first_not_of('0');
    if (firstInt != std::string::npos) {
        return static_cast<long>(parts.intDigits.size() - firstInt - 1) + exponent;
    }
    const auto firstFrac = parts.fracDigits.find_first_not_of('0');
    if (firstFrac != std::string::npos) return -static_cast<long>(firstFrac + 1) + exponent;
    return std::numeric_limits<long>::min();  // the number is zero
}

#else
#define ZEMRA_FROM_CHARS_DOUBLE 0
#endif

// Converts the normalised text with correct rounding. std::from_chars is used
// where the standard library provides it for doubles; elsewhere strtod, whose
// decimal point follows the C locale, so the point is written in that form.
std::optional<double> ConvertNormalized(const NumberParts& parts) {
    std::string text;
    if (parts.negative) text += '-';
    text += parts.intDigits.empty() ? std::string("0") : parts.intDigits;
    if (!parts.fracDigits.empty()) {
        text += '.';
        text += parts.fracDigits;
    }
    if (!parts.expDigits.empty()) {
        text += 'e';
        if (parts.expNegative) text += '-';
        text += parts.expDigits;
    }
#if ZEMRA_FROM_CHARS_DOUBLE
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        if (OrderOfMagnitude(parts) > 0) return std::nullopt;  // too large for a double
        return parts.negative ? -0.0 : 0.0;
    }
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
    return value;
#else
    const char* point = std::localeconv()->decimal_point;
    if (point != nullptr && std::strcmp(point, ".") != 0) {
        const auto at = text.find('.');
        if (at != std::string::npos) text.replace(at, 1, point);
    }
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size()) return std::nullopt;
    if (std::isinf(value)) return std::nullopt;  // too large for a double
    return value;
#endif
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

// The parts of a text written as a number in the locale's format, or nothing
// when it is not written so.
std::optional<NumberParts> ReadNumberParts(const std::string& text, const Locale& locale) {
    const std::string s = Trim(text);
    const char decimal = locale.decimalSeparator;
    NumberParts parts;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        parts.negative = s[i] == '-';
        ++i;
    } else if (StartsAt(s, i, locale.minusSign)) {
        parts.negative = true;
        i += locale.minusSign.size();
    }
    // Integer part: digits, with group separators only between digits.
    while (i < s.size()) {
        if (IsDigit(s[i])) {
            parts.intDigits += s[i++];
            continue;
        }
        const std::size_t group = parts.intDigits.empty() ? 0 : GroupSeparatorAt(s, i, locale);
        if (group == 0 || i + group >= s.size() || !IsDigit(s[i + group])) break;
        i += group;
    }
    if (i < s.size() && s[i] == decimal) {
        ++i;
        while (i < s.size() && IsDigit(s[i])) parts.fracDigits += s[i++];
    }
    if (parts.intDigits.empty() && parts.fracDigits.empty()) return std::nullopt;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            parts.expNegative = s[i] == '-';
            ++i;
        }
        while (i < s.size() && IsDigit(s[i])) parts.expDigits += s[i++];
        if (parts.expDigits.empty()) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    return parts;
}

}  // namespace

std::optional<double> ParseNumber(const std::string& text, const Locale& locale) {
    const auto parts = ReadNumberParts(text, locale);
    if (!parts) return std::nullopt;
    return ConvertNormalized(*parts);
}

bool IsNumberTooLarge(const std::string& text, const Locale& locale) {
    const auto parts = ReadNumberParts(text, locale);
    return parts && !ConvertNormalized(*parts);
}

bool IsNumeric(const std::string& text, const Locale& locale) { return ParseNumber(text, locale).has_value(); }

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

#include "toolkit/DecimalToDouble.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <version>

namespace zemra {

namespace {

// Whole numbers up to 2^53 are exact as doubles.
constexpr std::uint64_t kMaxExactWhole = std::uint64_t{1} << 53;

// Exact powers of ten as doubles (10^22 is the largest exactly representable).
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr long long kLargestExactPower = 22;

// The significant digits the written-out form keeps. A value halfway
// between two doubles has at most 767 significant digits, so digits beyond
// these change the rounding only through whether any of them is not 0,
// which one extra 1 stands for.
constexpr std::size_t kWrittenDigits = 800;
// An exponent beyond this, with at most kWrittenDigits + 1 digits, is far
// out of a double's range either way.
constexpr long long kExponentLimit = 1000000000;

#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
#define ZEMRA_FROM_CHARS_DOUBLE 1
#else
#define ZEMRA_FROM_CHARS_DOUBLE 0
#endif

std::optional<double> Signed(bool negative, double magnitude) { return negative ? -magnitude : magnitude; }

// The fast path: `leading` and the power of ten are exact doubles, so one
// multiplication or division rounds once, correctly.
std::optional<double> ExactProduct(const DecimalNumber& n) noexcept {
    std::uint64_t whole = n.leading;
    long long exponent = n.exponent;
    if (whole > kMaxExactWhole) return std::nullopt;
    // 12 x 10^30 is 12000000 x 10^24: a whole number that stays exact takes
    // the powers beyond the table.
    while (exponent > kLargestExactPower && whole <= kMaxExactWhole / 10) {
        whole *= 10;
        --exponent;
    }
    if (exponent < -kLargestExactPower || exponent > kLargestExactPower) return std::nullopt;
    const double value = static_cast<double>(whole);
    if (exponent >= 0) return Signed(n.negative, value * kExactPowersOfTen[exponent]);
    return Signed(n.negative, value / kExactPowersOfTen[-exponent]);
}

// Appends the decimal digits of a non-negative whole number.
char* WriteWhole(char* out, long long value) {
    char reversed[24];
    int length = 0;
    do {
        reversed[length++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    while (length > 0) *out++ = reversed[--length];
    return out;
}

// The number written as [-]DIGITSeEXPONENT and converted by the standard
// library.
std::optional<double> WrittenOut(const DecimalNumber& n) noexcept {
    char text[1 + kWrittenDigits + 1 + 2 + 24];
    char* out = text;
    if (n.negative) *out++ = '-';
    std::size_t kept = 0;
    long long exponent = n.digitsExponent;
    bool dropped = false;
    for (const char c : n.digits) {
        if (c < '0' || c > '9') continue;
        if (kept == 0 && c == '0') continue;  // a leading zero
        if (kept < kWrittenDigits) {
            *out++ = c;
            ++kept;
        } else {
            ++exponent;
            dropped = dropped || c != '0';
        }
    }
    if (kept == 0) return Signed(n.negative, 0.0);
    if (dropped) {
        *out++ = '1';
        --exponent;
        ++kept;
    }
    if (exponent > kExponentLimit) exponent = kExponentLimit;
    if (exponent < -kExponentLimit) exponent = -kExponentLimit;
    *out++ = 'e';
    if (exponent < 0) *out++ = '-';
    out = WriteWhole(out, exponent < 0 ? -exponent : exponent);
#if ZEMRA_FROM_CHARS_DOUBLE
    double value = 0;
    const auto result = std::from_chars(text, out, value);
    if (result.ec == std::errc::result_out_of_range) {
        // The decimal order of magnitude of the first digit tells a number
        // too large for a double from one too small.
        const long long order = static_cast<long long>(kept) - 1 + exponent;
        if (order > 0) return std::nullopt;
        return Signed(n.negative, 0.0);
    }
    if (result.ec != std::errc() || result.ptr != out) return std::nullopt;
    return value;
#else
    // strtod: the text has no decimal point, so the C locale's does not
    // matter.
    *out = '\0';
    const double value = std::strtod(text, nullptr);
    if (std::isinf(value)) return std::nullopt;
    return value;
#endif
}

}  // namespace

std::optional<double> ToDouble(const DecimalNumber& number) noexcept {
    if (number.leading == 0) return Signed(number.negative, 0.0);
    if (number.exact) {
        if (const auto value = ExactProduct(number)) return value;
    }
    return WrittenOut(number);
}

}  // namespace zemra

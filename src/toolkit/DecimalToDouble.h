#pragma once
// Correctly rounded conversion of a decimal number, already read from its
// text, to the nearest double. Most numbers (up to 15 significant digits,
// and any whose digits form a whole number up to 2^53, with a decimal
// exponent within +-22) take a fast exact path: the digits as a double
// multiplied or divided once by an exact power of ten. The rest are written
// out and converted by the standard library (std::from_chars where it reads
// doubles, strtod elsewhere). Nothing is allocated and nothing is thrown.
#include <cstdint>
#include <optional>
#include <string_view>

namespace zemra {

// The most significant digits DecimalNumber::leading holds (10^19 < 2^64).
constexpr int kLeadingDigits = 19;

struct DecimalNumber {
    bool negative = false;
    // The first kLeadingDigits significant digits as a whole number (0 when
    // every digit is 0).
    std::uint64_t leading = 0;
    // False when a digit other than 0 follows those in `leading`.
    bool exact = true;
    // value = leading x 10^exponent, when exact.
    long long exponent = 0;
    // Every digit as written, from the first: other characters (group
    // separators, the decimal sign) may stand among them and are skipped.
    std::string_view digits;
    // value = (every digit of `digits` read as one whole number) x
    // 10^digitsExponent.
    long long digitsExponent = 0;
};

// The nearest double (ties to even), a zero keeping its sign; nothing when
// the magnitude is beyond a double's (the number rounds to infinity). A
// number too small for a double gives 0 with its sign.
std::optional<double> ToDouble(const DecimalNumber& number) noexcept;

}  // namespace zemra

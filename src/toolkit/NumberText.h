#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "toolkit/Locale.h"

namespace zemra {

// Reads a number written in the host's format: optional surrounding blanks,
// an optional sign, digits with optional separators grouping the integer
// part's thousands (only there: "1,234,567", never "12,5"),
// at most one decimal separator, an optional exponent (E or e, optional sign,
// digits). Returns nothing when the text as a whole is not such a number,
// or when its magnitude is beyond a double's; the value is the nearest
// double. This is the one numeric test every numeric field of the control
// and every reply uses. The text is read in place: nothing is allocated or
// thrown.
std::optional<double> ParseNumber(std::string_view text, const Locale& locale) noexcept;
bool IsNumeric(std::string_view text, const Locale& locale) noexcept;
// Whether the text is written as a number but its magnitude is beyond a
// double's (1e309), which ParseNumber does not read either.
bool IsNumberTooLarge(std::string_view text, const Locale& locale) noexcept;

// Rounds halves away from zero to `decimals` places, on the value's shortest
// decimal representation (2.675 -> 2.68, not binary 2.67).
double RoundHalfAway(double value, int decimals);

// Rounds to a whole number with halves to even (2.5 -> 2, 3.5 -> 4).
double RoundHalfEven(double value);

// Conversions of a number to a whole integer of a given width; halves to
// even. Throw std::overflow_error when out of range, std::invalid_argument
// when value is not finite.
int32_t ToInt32(double value);
int16_t ToInt16(double value);

// Plain number text: at most 15 significant digits, no grouping, no trailing
// zeros, "-" for negatives, exponent form (1E+20, 1E-12) only for magnitudes
// of 1E15 and more or below 1E-10 (0.1 + 0.2 -> "0.3", 100 -> "100").
// `decimalSeparator` is the locale's for text shown to the user and "." in
// request addresses.
std::string PlainNumber(double value, char decimalSeparator = '.');

// Grouped format: rounded half away from zero to `decimals` (0..4) places,
// thousands grouped with the locale's separator; a negative value in
// parentheses without sign ((1,235)), or with the locale's minus sign when
// `minusForm` is set (LabelImpact). A value that rounds to zero shows no sign.
// A non-finite value gives the empty text.
std::string FormatGrouped(double value, int decimals, const Locale& locale, bool minusForm = false);

}  // namespace zemra

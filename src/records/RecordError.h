#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

#include "PageWire.h"
#include "toolkit/Locale.h"
#include "toolkit/NumberText.h"
#include "toolkit/TextSplit.h"

namespace zemra {

// A record text that cannot be converted, an index outside a property array
// or a value that does not fit its field. The message names the record and
// the field and says what is wrong, e.g. "Security record 'IBM 5s' (field 5,
// Credit Spread): 'abc' is not a number."
class RecordError : public std::runtime_error {
public:
    explicit RecordError(const std::string& message) : std::runtime_error(message) {}
};

// Field readers shared by the records. `where` names the record and the field
// ("Security record 'IBM 5s' (field 5, Credit Spread)") and starts the message
// of the RecordError thrown when the field cannot be converted.

// A number in the host's format; an empty field is not a number.
inline double ReadNumberField(const std::string& text, const Locale& locale, const std::string& where) {
    if (const auto value = ParseNumber(text, locale)) return *value;
    if (Trim(text).empty()) throw RecordError(where + ": the field is empty, a number is needed.");
    if (IsNumberTooLarge(text, locale))
        throw RecordError(where + ": the number '" + text + "' is too large (beyond 1.8E+308).");
    throw RecordError(where + ": '" + text + "' is not a number.");
}

// A number rounded to a 32-bit whole number, halves to even.
inline int32_t ReadInt32Field(const std::string& text, const Locale& locale, const std::string& where) {
    const double value = ReadNumberField(text, locale, where);
    try {
        return ToInt32(value);
    } catch (const std::exception&) {
        throw RecordError(where + ": '" + text +
                          "' is outside the range of a whole number (-2147483648 to 2147483647).");
    }
}

// A number rounded to a 16-bit whole number, halves to even.
inline int16_t ReadInt16Field(const std::string& text, const Locale& locale, const std::string& where) {
    const double value = ReadNumberField(text, locale, where);
    try {
        return ToInt16(value);
    } catch (const std::exception&) {
        throw RecordError(where + ": '" + text + "' is outside the range of a small whole number (-32768 to 32767).");
    }
}

// The 16-bit view of a stored 32-bit tuner identifier.
inline int16_t TunerAs16Bits(int32_t tuner, const std::string& record) {
    if (tuner < contract::kSmallIntMin || tuner > contract::kSmallIntMax) {
        throw RecordError(record + " tuner " + std::to_string(tuner) +
                          " is outside the range of a tuner identifier (-32768 to 32767).");
    }
    return static_cast<int16_t>(tuner);
}

// The error for an index outside a record's property array.
inline RecordError IndexError(const std::string& array, int index, int last) {
    return RecordError(array + " index " + std::to_string(index) + " is out of range (0 to " + std::to_string(last) +
                       ").");
}

}  // namespace zemra

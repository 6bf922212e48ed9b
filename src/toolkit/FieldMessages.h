#pragma once

namespace zemra {

// What a dialog's number field says when the user leaves it holding a text
// that is not a number.
inline constexpr const char* kNumbersOnlyMessage = "Please enter only number in this field!";

// What a panel's number field says when the user leaves it holding a text
// that is not a number.
inline constexpr const char* kDigitsOnlyFieldMessage = "Please enter only digit characters in Field!";

}  // namespace zemra

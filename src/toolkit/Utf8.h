#pragma once
#include <cstddef>
#include <string_view>

namespace zemra {

// The length in bytes of the well-formed UTF-8 sequence at text[at]: 1 for
// an ASCII byte, 2 to 4 for a longer sequence, 0 when none starts there
// (a stray continuation byte, an overlong form, a surrogate, a code point
// past U+10FFFF, or a sequence cut off by the end of the text).
std::size_t Utf8SequenceAt(std::string_view text, std::size_t at);

}  // namespace zemra

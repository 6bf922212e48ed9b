#include "compute/QueryEncoding.h"

#include <charconv>
#include <cmath>
#include <stdexcept>
#include <version>

#include "toolkit/NumberText.h"

namespace zemra {

namespace {

bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

}  // namespace

std::string EncodeQueryValue(const std::string& value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(value.size());
    for (const char ch : value) {
        const auto c = static_cast<unsigned char>(ch);
        if (IsUnreserved(c)) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

// The plain number text of a value with "." as the decimal sign. The common
// values of a query (whole numbers, short decimals) take a quick way that
// writes exactly the same text; the rest go through PlainNumber.
std::string QueryNumber(double value) {
    if (!std::isfinite(value)) throw std::domain_error("a figure to be sent is too large to compute.");
    if (value == 0) return "0";
    const double magnitude = std::fabs(value);
    if (magnitude < 1e15 && value == std::trunc(value)) return std::to_string(static_cast<long long>(value));
#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
    if (magnitude >= 1e-5 && magnitude < 1e15) {
        // The shortest text that reads back as the value; when it has at
        // most 15 significant digits it is also the value rounded to 15
        // digits, which is what PlainNumber writes.
        char buf[64];
        const auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
        if (result.ec == std::errc()) {
            int significant = 0;
            bool leading = true;
            for (const char* c = buf; c != result.ptr; ++c) {
                if (*c < '0' || *c > '9') continue;
                if (leading && *c == '0') continue;
                leading = false;
                ++significant;
            }
            if (significant <= 15) return std::string(buf, result.ptr);
        }
    }
#endif
    return EncodeQueryValue(PlainNumber(value, '.'));
}

std::string QueryInteger(int64_t value) { return std::to_string(value); }

}  // namespace zemra

#include "pages/PageQuery.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "toolkit/Utf8.h"

namespace zemra::pages {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

}  // namespace

std::string Quoted(const std::string& value) {
    constexpr std::size_t kShown = 60;
    std::string shown;
    for (std::size_t at = 0, characters = 0; at < value.size(); ++characters) {
        if (characters == kShown) {
            shown += "...";
            break;
        }
        const std::size_t length = Utf8SequenceAt(value, at);
        if (length == 0) {
            shown += '?';
            ++at;
        } else {
            shown += IsControl(static_cast<unsigned char>(value[at])) ? std::string(" ") : value.substr(at, length);
            at += length;
        }
    }
    return "'" + shown + "'";
}

std::string TextFault(const std::string& text) {
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8SequenceAt(text, at);
        if (length == 0) return "is not UTF-8 text";
        if (IsControl(static_cast<unsigned char>(text[at]))) return "holds a control character";
        at += length;
    }
    return {};
}

std::size_t CharacterCount(const std::string& text) {
    std::size_t count = 0;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    }
    return count;
}

namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace

std::string DecodeComponent(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else {
            out += c;  // a "%" without two hex digits stands for itself
        }
    }
    return out;
}

bool ReadNumber(const std::string& text, double& value) {
    const std::string t = Trimmed(text);
    if (t.empty()) return false;
    const char* begin = t.data();
    if (*begin == '+') ++begin;
    if (begin == t.data() + t.size() || *begin == '+') return false;
    const auto result = std::from_chars(begin, t.data() + t.size(), value, std::chars_format::general);
    return result.ec == std::errc() && result.ptr == t.data() + t.size() && std::isfinite(value);
}

PageQuery::PageQuery(const std::string& rawQuery) {
    std::size_t start = 0;
    while (start <= rawQuery.size()) {
        std::size_t end = rawQuery.find('&', start);
        if (end == std::string::npos) end = rawQuery.size();
        const std::string pair = rawQuery.substr(start, end - start);
        if (!pair.empty()) {
            const std::size_t eq = pair.find('=');
            if (eq == std::string::npos) {
                m_values.emplace_back(DecodeComponent(pair), std::string());
            } else {
                m_values.emplace_back(DecodeComponent(pair.substr(0, eq)), DecodeComponent(pair.substr(eq + 1)));
            }
        }
        start = end + 1;
    }
    for (const auto& [key, value] : m_values) {
        if (const std::string fault = TextFault(key); !fault.empty()) {
            throw PageError(kBadRequest, "the key " + Quoted(key) + " " + fault);
        }
        if (const std::string fault = TextFault(value); !fault.empty()) {
            throw PageError(kBadRequest, std::string(key) + ": " + Quoted(value) + " " + fault);
        }
    }
}

bool PageQuery::Has(std::string_view key) const {
    for (const auto& [k, v] : m_values) {
        if (k == key) return true;
    }
    return false;
}

const std::string& PageQuery::Text(std::string_view key) const {
    for (const auto& [k, v] : m_values) {
        if (k == key) return v;
    }
    throw PageError(kBadRequest, std::string(key) + ": missing");
}

const std::string& PageQuery::Text(std::string_view key, std::size_t longest) const {
    const std::string& text = Text(key);
    if (CharacterCount(text) > longest) {
        throw PageError(kBadRequest, std::string(key) + ": " + Quoted(text) + " is longer than " +
                                         std::to_string(longest) + " characters");
    }
    return text;
}

std::optional<Date> PageQuery::MonthDayYear(std::string_view key) const {
    if (!Has(key) || Text(key).empty()) return std::nullopt;
    const std::string& text = Text(key);
    // month, day, year: one or two digits, one or two, four; one separator.
    int parts[3] = {};
    std::size_t at = 0;
    char separator = 0;
    bool read = true;
    for (int i = 0; i < 3 && read; ++i) {
        const std::size_t first = at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - first < 4) {
            parts[i] = parts[i] * 10 + (text[at++] - '0');
        }
        const std::size_t digits = at - first;
        read = i < 2 ? digits >= 1 && digits <= 2 : digits == 4 && at == text.size();
        if (i < 2 && read) {
            const char c = at < text.size() ? text[at] : 0;
            read = (c == '/' || c == '.' || c == '-') && (separator == 0 || c == separator);
            separator = c;
            ++at;
        }
    }
    if (read && IsValidDate(parts[2], parts[0], parts[1])) return Date{parts[2], parts[0], parts[1]};
    if (const auto date = ParseDate(text, Locale::EnUs())) return date;
    throw PageError(kBadRequest, std::string(key) + ": " + Quoted(text) + " is not a date (month, day and year)");
}

double PageQuery::Number(std::string_view key) const {
    const std::string& text = Text(key);
    double value = 0;
    if (!ReadNumber(text, value))
        throw PageError(kBadRequest, std::string(key) + ": " + Quoted(text) + " is not a number");
    return value;
}

int64_t PageQuery::Integer(std::string_view key) const {
    const std::string& text = Text(key);
    double value = 0;
    if (!ReadNumber(text, value) || value != std::floor(value) || value < std::numeric_limits<int32_t>::min() ||
        value > std::numeric_limits<int32_t>::max()) {
        throw PageError(kBadRequest, std::string(key) + ": " + Quoted(text) + " is not a whole number");
    }
    return static_cast<int64_t>(value);
}

std::vector<double> PageQuery::NumberList(std::string_view key) const {
    const std::string& text = Text(key);
    std::vector<double> list;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find(';', start);
        if (end == std::string::npos) end = text.size();
        const std::string item = text.substr(start, end - start);
        double value = 0;
        if (!ReadNumber(item, value)) {
            throw PageError(kBadRequest, std::string(key) + ": " + Quoted(item) + " (item " +
                                             std::to_string(list.size() + 1) + ") is not a number");
        }
        list.push_back(value);
        if (end == text.size()) break;
        start = end + 1;
    }
    return list;
}

}  // namespace zemra::pages

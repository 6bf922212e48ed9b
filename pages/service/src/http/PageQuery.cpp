#include "http/PageQuery.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace zemra::pages {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string Quoted(const std::string& value) {
    constexpr std::size_t kShown = 60;
    std::string shown = value.size() > kShown ? value.substr(0, kShown) + "..." : value;
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    }
    return "'" + shown + "'";
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
            out += c;   // a "%" without two hex digits stands for itself
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

double PageQuery::Number(std::string_view key) const {
    const std::string& text = Text(key);
    double value = 0;
    if (!ReadNumber(text, value)) {
        throw PageError(kBadRequest, std::string(key) + ": " + Quoted(text) + " is not a number");
    }
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

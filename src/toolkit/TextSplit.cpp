#include "toolkit/TextSplit.h"

namespace zemra {

std::vector<std::string> SplitItems(const std::string& text, char sep) {
    if (text.empty()) return {};
    return SplitFields(text, sep);
}

std::vector<std::string> SplitFields(const std::string& text, char sep) {
    std::vector<std::string> fields;
    std::string::size_type start = 0;
    for (;;) {
        const auto at = text.find(sep, start);
        if (at == std::string::npos) {
            fields.emplace_back(text, start);
            return fields;
        }
        fields.emplace_back(text, start, at - start);
        start = at + 1;
    }
}

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

std::string Trim(const std::string& text) {
    std::string::size_type first = 0;
    std::string::size_type last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

std::string ToUpper(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

std::string ToLower(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

}  // namespace zemra

#include "book/TextFields.h"

#include <cstdio>

#include "toolkit/NumberText.h"

namespace zemra::pages {

bool FitsRecordField(const std::string& text) {
    return text.find(kFieldSeparator) == std::string::npos && text.find(kPieceSeparator) == std::string::npos;
}

std::string ReplyNumber(double value) { return PlainNumber(value, '.'); }

std::string ToLowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

std::optional<Date> ReadIsoDate(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    for (const std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u}) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
    }
    const Date date{std::stoi(text.substr(0, 4)), std::stoi(text.substr(5, 2)), std::stoi(text.substr(8, 2))};
    if (!IsValidDate(date.year, date.month, date.day)) return std::nullopt;
    return date;
}

std::string IsoDate(const Date& date) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", date.year % 10000, date.month % 100, date.day % 100);
    return buf;
}

std::string ScenarioText(const StoredScenario& s) {
    std::string text = s.description;
    for (const double v :
         {s.stockChange, s.rateChange, s.volChange, s.timeChange, s.spreadChange, s.tunerValue, s.impact}) {
        text += kFieldSeparator;
        text += ReplyNumber(v);
    }
    text += kFieldSeparator + std::to_string(s.tuner) + kFieldSeparator + (s.autoLoad ? "Y" : "N");
    return text;
}

std::string StoredScenarioText(const StoredScenario& s) {
    return std::to_string(s.id) + kFieldSeparator + ScenarioText(s);
}

}  // namespace zemra::pages

#include "HostSetup.h"

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>

namespace zemra::headless {

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

nlohmann::json ParseJson(const std::string& text, const std::string& source) {
    try {
        return nlohmann::json::parse(text);
    } catch (const nlohmann::json::exception& e) {
        throw std::runtime_error(source + " is not valid JSON: " + e.what());
    }
}

}  // namespace

PropertyBag ParseProperties(const std::string& jsonText, const std::string& source) {
    const auto j = ParseJson(jsonText, source);
    if (!j.is_object()) throw std::runtime_error(source + " must hold one JSON object of property texts");
    PropertyBag bag;
    for (const auto& [key, value] : j.items()) {
        if (!value.is_string()) throw std::runtime_error(source + ": the property " + key + " must be a text");
        bag.Write(key, value.get<std::string>());
    }
    return bag;
}

std::vector<CannedReply> ParseReplies(const std::string& jsonText, const std::string& source) {
    const auto j = ParseJson(jsonText, source);
    if (!j.is_array()) throw std::runtime_error(source + " must hold a JSON array of {match, reply} objects");
    std::vector<CannedReply> replies;
    for (const auto& item : j) {
        if (!item.is_object() || !item.contains("match") || !item["match"].is_string())
            throw std::runtime_error(source + ": every reply needs a text \"match\"");
        CannedReply r;
        r.match = item["match"].get<std::string>();
        if (item.contains("fail")) r.fail = item["fail"].get<bool>();
        if (item.contains("status")) {
            if (!item["status"].is_number_integer() || item["status"].get<long long>() < 100 ||
                item["status"].get<long long>() > 599)
                throw std::runtime_error(source + ": the status for " + r.match +
                                         " must be a whole number from 100 to 599");
            r.status = item["status"].get<int>();
        }
        if (item.contains("reply")) {
            if (!item["reply"].is_string()) throw std::runtime_error(source + ": \"reply\" must be a text");
            r.reply = item["reply"].get<std::string>();
        } else if (!r.fail) {
            throw std::runtime_error(source + ": the reply for " + r.match + " has no \"reply\"");
        }
        replies.push_back(r);
    }
    return replies;
}

PropertyBag ReadPropertiesFile(const std::string& path) { return ParseProperties(ReadFile(path), path); }

std::vector<CannedReply> ReadRepliesFile(const std::string& path) { return ParseReplies(ReadFile(path), path); }

Date ParseIsoDate(const std::string& text) {
    const auto bad = [&] { return std::runtime_error("'" + text + "' is not a date of the form YYYY-MM-DD"); };
    // Exactly four, two and two digits with "-" between them.
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') throw bad();
    auto number = [&](std::size_t from, std::size_t length) {
        int value = 0;
        for (std::size_t k = from; k < from + length; ++k) {
            if (text[k] < '0' || text[k] > '9') throw bad();
            value = value * 10 + (text[k] - '0');
        }
        return value;
    };
    const int y = number(0, 4), m = number(5, 2), d = number(8, 2);
    if (!IsValidDate(y, m, d)) throw bad();
    return Date{y, m, d};
}

}  // namespace zemra::headless

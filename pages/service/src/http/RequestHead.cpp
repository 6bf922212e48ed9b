#include "http/RequestHead.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>

#include "http/HttpServer.h"

namespace zemra::pages {

namespace {

HeadVerdict Refused(int status, std::string reason) { return {HeadVerdict::Refuse, status, std::move(reason), 0, 0}; }

// At most 40 characters of a client's text, control characters as spaces.
std::string Shown(std::string_view text) {
    std::string shown(text.substr(0, 40));
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    }
    return shown;
}

bool HasControl(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return (static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7f; });
}

bool IsToken(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u > 0x20 && u < 0x7f && !std::strchr("\"(),/:;<=>?@[\\]{}", c);
    });
}

bool SameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return std::tolower(x) == std::tolower(y); });
}

}  // namespace

HeadVerdict JudgeHead(std::string_view bytes) {
    const std::size_t lineEnd = bytes.find('\n');
    if (lineEnd == std::string_view::npos) {
        if (bytes.size() > kLongestAddress + 64) {
            return Refused(414, "the address is longer than " + std::to_string(kLongestAddress) + " bytes");
        }
        return {};
    }
    std::string_view line = bytes.substr(0, lineEnd);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t first = line.find(' ');
    const std::size_t last = line.rfind(' ');
    if (first == std::string_view::npos || first == 0 || HasControl(line) || !IsToken(line.substr(0, first))) {
        return Refused(400, "the request line is not 'METHOD ADDRESS HTTP/1.1'");
    }
    if (first == last) {
        return Refused(505, "a request line without 'HTTP/1.0' or 'HTTP/1.1' (HTTP/0.9) is not answered");
    }
    const std::string_view version = line.substr(last + 1);
    if (version != "HTTP/1.1" && version != "HTTP/1.0") {
        return Refused(505, "the version '" + Shown(version.substr(0, 20)) + "' is not answered: HTTP/1.0 or HTTP/1.1");
    }
    if (last - first - 1 > kLongestAddress) {
        return Refused(414, "the address is longer than " + std::to_string(kLongestAddress) + " bytes");
    }
    if (last == first + 1 || line.substr(first + 1, last - first - 1).find(' ') != std::string_view::npos) {
        return Refused(400, "the request line is not 'METHOD ADDRESS HTTP/1.1'");
    }
    HeadVerdict verdict;
    verdict.kind = HeadVerdict::Ready;
    bool sized = false;
    for (std::size_t at = lineEnd + 1;;) {
        const std::size_t end = bytes.find('\n', at);
        const bool whole = end != std::string_view::npos;
        if ((whole ? end : bytes.size()) - lineEnd > kLongestHeaders || (!whole && bytes.size() > kLongestHead)) {
            return Refused(431, "the request's headers are longer than " + std::to_string(kLongestHeaders) + " bytes");
        }
        if (!whole) return {};
        std::string_view header = bytes.substr(at, end - at);
        at = end + 1;
        if (!header.empty() && header.back() == '\r') header.remove_suffix(1);
        if (header.empty()) {
            verdict.headLength = at;
            return verdict;
        }
        const std::size_t colon = header.find(':');
        if (colon == std::string_view::npos || !IsToken(header.substr(0, colon)) || HasControl(header)) {
            return Refused(400, "the header line '" + Shown(header) + "' is not 'Name: value'");
        }
        const std::string_view name = header.substr(0, colon);
        std::string_view value = header.substr(colon + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
        if (SameLetters(name, "Transfer-Encoding")) {
            return Refused(411, "a request body is taken only with Content-Length");
        }
        if (SameLetters(name, "Content-Length")) {
            std::uint64_t length = 0;
            const auto [end2, error] = std::from_chars(value.data(), value.data() + value.size(), length);
            if (value.empty() || value.size() > 15 || error != std::errc() || end2 != value.data() + value.size() ||
                (sized && length != verdict.bodyLength)) {
                return Refused(400, "the Content-Length '" + Shown(value) + "' is not a length");
            }
            sized = true;
            verdict.bodyLength = length;
        }
    }
}

std::string RefusalReply(int status, const std::string& reason) {
    const char* phrase = status == 503   ? "Service Unavailable"
                         : status == 408 ? "Request Timeout"
                         : status == 411 ? "Length Required"
                         : status == 414 ? "URI Too Long"
                         : status == 431 ? "Request Header Fields Too Large"
                         : status == 505 ? "HTTP Version Not Supported"
                                         : "Bad Request";
    return "HTTP/1.1 " + std::to_string(status) + " " + phrase +
           "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " + std::to_string(reason.size()) +
           "\r\nConnection: close\r\nCache-Control: no-store\r\n\r\n" + reason;
}

}  // namespace zemra::pages

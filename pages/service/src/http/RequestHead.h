#pragma once
// The gate's reading of a request head before the library sees it: which
// heads pass, and the one-line text refusal of those that do not.
#include <cstdint>
#include <string>
#include <string_view>

namespace zemra::pages {

// What the gate makes of the head at the front of a connection's bytes.
struct HeadVerdict {
    enum Kind { Wait, Ready, Refuse } kind = Wait;
    int status = 0;
    std::string reason;
    std::size_t headLength = 0;    // Ready: the head with its empty line
    std::uint64_t bodyLength = 0;  // Ready: Content-Length
};

// Judges the head at the front of `bytes` (what has arrived of it): the
// request line `METHOD ADDRESS HTTP/1.x`, then "Name: value" lines up to an
// empty line. Only heads the library reads without a word of its own pass.
HeadVerdict JudgeHead(std::string_view bytes);

// A refusal the gate writes itself: the same one-line text as every other
// refusal, then the connection closes.
std::string RefusalReply(int status, const std::string& reason);

}  // namespace zemra::pages

#include "PageOrigin.h"

namespace zemra::headless {

namespace {

// The length of "http://" or "https://" at the start (compared without
// regard to case, as schemes are); 0 when there is neither.
std::size_t SchemeLength(const std::string& text) {
    for (const std::string scheme : {"http://", "https://"}) {
        if (text.size() < scheme.size()) continue;
        bool same = true;
        for (std::size_t k = 0; k < scheme.size() && same; ++k) {
            char c = text[k];
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            same = c == scheme[k];
        }
        if (same) return scheme.size();
    }
    return 0;
}

}  // namespace

bool IsWebAddress(const std::string& text) {
    const std::size_t scheme = SchemeLength(text);
    return scheme > 0 && text.size() > scheme && text[scheme] != '/';
}

std::string OriginOf(const std::string& address) {
    if (!IsWebAddress(address)) return {};
    const std::size_t scheme = SchemeLength(address);
    const std::size_t end = address.find_first_of("/?#", scheme);
    return address.substr(0, end);
}

std::string ResolveAgainst(const std::string& origin, const std::string& address) {
    const bool rooted = !address.empty() && address[0] == '/' && (address.size() == 1 || address[1] != '/');
    if (origin.empty() || !rooted) return address;
    return origin + address;
}

}  // namespace zemra::headless

#include "control/BasSafeCtl.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "toolkit/TextSplit.h"

namespace zemra {

namespace BasSafeCtl {

void Main(SafetyFlags& flags) {
    flags.SafeForScripting = true;
    flags.SafeForInitializing = true;
}

SafetyFlags& Flags() {
    thread_local SafetyFlags flags = [] {
        SafetyFlags started;
        Main(started);
        return started;
    }();
    return flags;
}

}  // namespace BasSafeCtl

namespace {

constexpr std::size_t kGuidTextBuffer = 40;

enum class Interface { Other, Dispatch, Persistence };

// The interface an identifier names: its bytes copied, written as registry
// text, cut at the first NUL and compared in upper case.
Interface Recognise(const Guid& riid) {
    Guid copy;
    std::memcpy(&copy, &riid, sizeof copy);
    const std::string text = ToUpper(StringFromGUID2(copy));
    if (text == kIID_IDispatch) return Interface::Dispatch;
    if (text == kIID_IPersistStorage || text == kIID_IPersistStream || text == kIID_IPersistPropertyBag)
        return Interface::Persistence;
    return Interface::Other;
}

}  // namespace

std::string StringFromGUID2(const Guid& g) {
    char buffer[kGuidTextBuffer] = {};
    std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(g.Data1), static_cast<unsigned>(g.Data2), static_cast<unsigned>(g.Data3),
                  g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return std::string(buffer);  // up to the first NUL
}

std::optional<Guid> GuidFromString(const std::string& text) {
    // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
    static constexpr const char* kPattern = "{########-####-####-####-############}";
    if (text.size() != std::strlen(kPattern)) return std::nullopt;
    std::string hex;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (kPattern[i] == '#') {
            if (!std::isxdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
            hex += text[i];
        } else if (text[i] != kPattern[i]) {
            return std::nullopt;
        }
    }
    auto part = [&](std::size_t at, std::size_t digits) {
        return static_cast<uint32_t>(std::stoul(hex.substr(at, digits), nullptr, 16));
    };
    Guid g;
    g.Data1 = part(0, 8);
    g.Data2 = static_cast<uint16_t>(part(8, 4));
    g.Data3 = static_cast<uint16_t>(part(12, 4));
    for (std::size_t i = 0; i < 8; ++i) g.Data4[i] = static_cast<uint8_t>(part(16 + 2 * i, 2));
    return g;
}

int32_t GetInterfaceSafetyOptions(const Guid* riid, uint32_t& pdwSupportedOptions, uint32_t& pdwEnabledOptions) {
    pdwSupportedOptions = kSupportedSafetyOptions;
    if (!riid) return S_OK;
    const BasSafeCtl::SafetyFlags& flags = BasSafeCtl::Flags();
    switch (Recognise(*riid)) {
        case Interface::Dispatch:
            pdwEnabledOptions = flags.SafeForScripting ? INTERFACESAFE_FOR_UNTRUSTED_CALLER : 0;
            return S_OK;
        case Interface::Persistence:
            pdwEnabledOptions = flags.SafeForInitializing ? INTERFACESAFE_FOR_UNTRUSTED_DATA : 0;
            return S_OK;
        case Interface::Other: break;
    }
    return E_NOINTERFACE;
}

// Exactly the one bit of the interface may be asked for, and only while
// its flag is set.
int32_t SetInterfaceSafetyOptions(const Guid* riid, uint32_t dwOptionsSetMask, uint32_t dwEnabledOptions) {
    if (!riid) return S_OK;
    const BasSafeCtl::SafetyFlags& flags = BasSafeCtl::Flags();
    const uint32_t asked = dwOptionsSetMask & dwEnabledOptions;
    switch (Recognise(*riid)) {
        case Interface::Dispatch:
            return asked == INTERFACESAFE_FOR_UNTRUSTED_CALLER && flags.SafeForScripting ? S_OK : E_FAIL;
        case Interface::Persistence:
            return asked == INTERFACESAFE_FOR_UNTRUSTED_DATA && flags.SafeForInitializing ? S_OK : E_FAIL;
        case Interface::Other: break;
    }
    return E_NOINTERFACE;
}

}  // namespace zemra

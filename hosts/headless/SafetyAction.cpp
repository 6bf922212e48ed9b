#include "SafetyAction.h"

#include <cstdio>
#include <optional>
#include <sstream>

#include "control/BasSafeCtl.h"

namespace zemra::headless {

namespace {

std::string Hex(int32_t code) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(code));
    return buffer;
}

uint32_t Mask(const std::string& text) {
    try {
        std::size_t used = 0;
        const unsigned long long v = std::stoull(text, &used, 0);
        if (used == text.size() && v <= 0xFFFFFFFFull && text[0] != '-') return static_cast<uint32_t>(v);
    } catch (const std::exception&) {}
    throw std::invalid_argument("safety: '" + text + "' is not a 32-bit option mask");
}

}  // namespace

std::string RunSafetyAction(const std::string& arguments) {
    std::istringstream words(arguments);
    std::string call, iidText, extra;
    words >> call >> iidText;
    if (iidText.empty()) throw std::invalid_argument("safety needs get or set and an interface identifier");
    std::optional<Guid> iid;
    if (iidText != "-") {
        iid = GuidFromString(iidText);
        if (!iid) throw std::invalid_argument("safety: '" + iidText + "' is not an interface identifier");
    }
    const Guid* riid = iid ? &*iid : nullptr;
    if (call == "get") {
        if (words >> extra) throw std::invalid_argument("safety get takes one interface identifier");
        uint32_t supported = 0, enabled = 0;
        const int32_t result = GetInterfaceSafetyOptions(riid, supported, enabled);
        // The enabled options are set only for an interface the control
        // answers for.
        const bool enabledSet = riid && result == S_OK;
        return "{\"supported\": " + std::to_string(supported) +
               (enabledSet ? ", \"enabled\": " + std::to_string(enabled) : "") + ", \"result\": \"" + Hex(result) +
               "\"}";
    }
    if (call == "set") {
        std::string mask, enabled;
        if (!(words >> mask >> enabled) || (words >> extra))
            throw std::invalid_argument("safety set takes an interface identifier, a mask and the enabled options");
        return "{\"result\": \"" + Hex(SetInterfaceSafetyOptions(riid, Mask(mask), Mask(enabled))) + "\"}";
    }
    throw std::invalid_argument("safety: '" + call + "' is neither get nor set");
}

}  // namespace zemra::headless

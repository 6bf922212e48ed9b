#include "control/HostSafety.h"

#include <cstdio>

#include "control/BasSafeCtl.h"
#include "control/MainCtl.h"

namespace zemra {

namespace {

std::string Hex(int32_t code) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(code));
    return buffer;
}

// The control is safe for `bit` on the interface when it says so, or when
// it accepts being made so; otherwise the reason, naming the answer.
std::optional<std::string> Refusal(MainCtl& ctl, const char* iidText, const char* interfaceName, uint32_t bit,
                                   const std::string& what) {
    const Guid iid = *GuidFromString(iidText);
    uint32_t supported = 0, enabled = 0;
    int32_t result = ctl.IObjectSafety_GetInterfaceSafetyOptions(&iid, supported, enabled);
    if (result == S_OK && (enabled & bit)) return std::nullopt;
    if (result == S_OK && (supported & bit)) {
        result = ctl.IObjectSafety_SetInterfaceSafetyOptions(&iid, bit, bit);
        if (result == S_OK) return std::nullopt;
    }
    return "The control is not safe for " + what + " (" + interfaceName + " answered " + Hex(result) + ").";
}

}  // namespace

std::optional<std::string> RefusalToInitialise(MainCtl& ctl) {
    return Refusal(ctl, kIID_IPersistPropertyBag, "IPersistPropertyBag", INTERFACESAFE_FOR_UNTRUSTED_DATA,
                   "initialising from the page's data: its properties are not read");
}

std::optional<std::string> RefusalToScript(MainCtl& ctl) {
    return Refusal(ctl, kIID_IDispatch, "IDispatch", INTERFACESAFE_FOR_UNTRUSTED_CALLER,
                   "scripting: ProcessInitData is not called");
}

}  // namespace zemra

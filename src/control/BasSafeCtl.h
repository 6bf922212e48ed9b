#pragma once
// The control's safety options, as a browser asks an embedded control for
// them: whether it may be scripted from the page (through IDispatch) and
// initialised from the page's data (through the persistence interfaces).
// Interfaces are recognised by their identifiers' registry text.
#include <cstdint>
#include <optional>
#include <string>

namespace zemra {

// An interface identifier: 16 bytes in the platform's layout.
struct Guid {
    uint32_t Data1 = 0;
    uint16_t Data2 = 0;
    uint16_t Data3 = 0;
    uint8_t Data4[8] = {};
};
static_assert(sizeof(Guid) == 16, "an interface identifier is 16 bytes");

// Safety option bits.
constexpr uint32_t INTERFACESAFE_FOR_UNTRUSTED_CALLER = 1;  // safe for scripting
constexpr uint32_t INTERFACESAFE_FOR_UNTRUSTED_DATA = 2;    // safe for initialising
constexpr uint32_t kSupportedSafetyOptions = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;

// Result codes.
constexpr int32_t S_OK = 0;
constexpr int32_t E_NOINTERFACE = static_cast<int32_t>(0x80004002u);
constexpr int32_t E_FAIL = static_cast<int32_t>(0x80004005u);

// The identifiers the control answers for, in registry text form.
constexpr const char* kIID_IDispatch = "{00020400-0000-0000-C000-000000000046}";
constexpr const char* kIID_IPersistStorage = "{0000010A-0000-0000-C000-000000000046}";
constexpr const char* kIID_IPersistStream = "{00000109-0000-0000-C000-000000000046}";
constexpr const char* kIID_IPersistPropertyBag = "{37D84F60-42CB-11CE-8135-00AA004BB851}";

namespace BasSafeCtl {

// The two flags that decide the answers; one pair per thread that uses the
// library, shared by every control on it.
struct SafetyFlags {
    bool SafeForScripting = false;
    bool SafeForInitializing = false;
};
// The library's main routine on a thread: declares the control safe for
// both. It runs when the library first starts on the thread.
void Main(SafetyFlags& flags);
// This thread's flags (started by Main on first use).
SafetyFlags& Flags();

}  // namespace BasSafeCtl

// The registry text of an identifier: braces and 8-4-4-4-12 hexadecimal
// digits, written into a buffer of 40 characters.
std::string StringFromGUID2(const Guid& guid);
// Reads the registry text of an identifier, in any letter case; nothing
// when the text is not one.
std::optional<Guid> GuidFromString(const std::string& text);

// The answers of the IObjectSafety interface. riid may be absent (nullptr).
int32_t GetInterfaceSafetyOptions(const Guid* riid, uint32_t& pdwSupportedOptions, uint32_t& pdwEnabledOptions);
int32_t SetInterfaceSafetyOptions(const Guid* riid, uint32_t dwOptionsSetMask, uint32_t dwEnabledOptions);

}  // namespace zemra

// Embedding and safety: the answers of the safety options, the identifiers
// they recognise, the hosts' questions before they use the control, and
// the headless host's safety action.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "Harness.h"
#include "SafetyAction.h"
#include "control/BasSafeCtl.h"
#include "control/HostSafety.h"

using namespace zemra;
using namespace zemra::testing;

namespace {

Guid Iid(const char* text) { return GuidFromString(text).value(); }

// Sets this thread's flags for one test and restores them after.
struct FlagsFor {
    BasSafeCtl::SafetyFlags saved = BasSafeCtl::Flags();
    FlagsFor(bool scripting, bool initializing) {
        BasSafeCtl::Flags().SafeForScripting = scripting;
        BasSafeCtl::Flags().SafeForInitializing = initializing;
    }
    ~FlagsFor() { BasSafeCtl::Flags() = saved; }
};

constexpr uint32_t kUntouched = 0xDEAD;
const char* const kOther = "{00000000-0000-0000-C000-000000000046}";   // IUnknown

}  // namespace

TEST(Safety, GetReportsBothOptionsSupportedAndTheInterfacesOwnBitEnabled) {
    struct Case {
        const char* iid;   // nullptr: absent
        int32_t result;
        uint32_t enabled;
    };
    const Case cases[] = {
        {kIID_IDispatch, S_OK, 1},
        {kIID_IPersistPropertyBag, S_OK, 2},
        {kIID_IPersistStream, S_OK, 2},
        {kIID_IPersistStorage, S_OK, 2},
        {"{37d84f60-42cb-11ce-8135-00aa004bb851}", S_OK, 2},   // read in any letter case
        {kOther, E_NOINTERFACE, kUntouched},
        {nullptr, S_OK, kUntouched},
    };
    for (const Case& c : cases) {
        const std::optional<Guid> iid = c.iid ? GuidFromString(c.iid) : std::nullopt;
        uint32_t supported = 0, enabled = kUntouched;
        EXPECT_EQ(GetInterfaceSafetyOptions(iid ? &*iid : nullptr, supported, enabled), c.result) << c.iid;
        EXPECT_EQ(supported, 3u) << c.iid;
        EXPECT_EQ(enabled, c.enabled) << c.iid;
    }
}

TEST(Safety, SetAcceptsExactlyTheInterfacesOwnBit) {
    struct Case {
        const char* iid;
        uint32_t mask, enabled;
        int32_t result;
    };
    const Case cases[] = {
        {kIID_IDispatch, 1, 1, S_OK},         {kIID_IDispatch, 3, 3, E_FAIL},
        {kIID_IDispatch, 1, 0, E_FAIL},       {kIID_IDispatch, 2, 2, E_FAIL},
        {kIID_IDispatch, 3, 1, S_OK},         {kIID_IPersistStream, 2, 2, S_OK},
        {kIID_IPersistStream, 1, 1, E_FAIL},  {kIID_IPersistPropertyBag, 2, 3, S_OK},
        {kIID_IPersistStorage, 3, 3, E_FAIL}, {kOther, 1, 1, E_NOINTERFACE},
        {nullptr, 3, 3, S_OK},
    };
    for (const Case& c : cases) {
        const std::optional<Guid> iid = c.iid ? GuidFromString(c.iid) : std::nullopt;
        EXPECT_EQ(SetInterfaceSafetyOptions(iid ? &*iid : nullptr, c.mask, c.enabled), c.result)
            << (c.iid ? c.iid : "-") << " mask " << c.mask << " enabled " << c.enabled;
    }
}

TEST(Safety, TheFlagsDecideTheAnswers) {
    const Guid dispatch = Iid(kIID_IDispatch), bag = Iid(kIID_IPersistPropertyBag);
    FlagsFor off(false, false);
    uint32_t supported = 0, enabled = kUntouched;
    EXPECT_EQ(GetInterfaceSafetyOptions(&dispatch, supported, enabled), S_OK);
    EXPECT_EQ(enabled, 0u);
    EXPECT_EQ(GetInterfaceSafetyOptions(&bag, supported, enabled), S_OK);
    EXPECT_EQ(enabled, 0u);
    EXPECT_EQ(SetInterfaceSafetyOptions(&dispatch, 1, 1), E_FAIL);
    EXPECT_EQ(SetInterfaceSafetyOptions(&bag, 2, 2), E_FAIL);
}

TEST(Safety, IdentifiersAreWrittenInRegistryTextAndReadInAnyCase) {
    for (const char* text : {kIID_IDispatch, kIID_IPersistStorage, kIID_IPersistStream, kIID_IPersistPropertyBag})
        EXPECT_EQ(StringFromGUID2(Iid(text)), text);
    const Guid g = Iid("{37d84f60-42cb-11ce-8135-00aa004bb851}");
    EXPECT_EQ(g.Data1, 0x37D84F60u);
    EXPECT_EQ(g.Data4[7], 0x51);
    for (const char* bad : {"", "00020400-0000-0000-C000-000000000046", "{00020400-0000-0000-C000-00000000004G}",
                            "{00020400-0000-0000-C000-0000000000460}", "{00020400_0000-0000-C000-000000000046}"})
        EXPECT_FALSE(GuidFromString(bad)) << bad;
}

TEST(Safety, TheHostsAskBeforeTheyReadThePropertiesOrCallProcessInitData) {
    Harness h;
    EXPECT_FALSE(RefusalToInitialise(h.ctl));
    EXPECT_FALSE(RefusalToScript(h.ctl));
    {
        FlagsFor noData(true, false);
        const auto why = RefusalToInitialise(h.ctl);
        ASSERT_TRUE(why);
        EXPECT_TRUE(Contains(*why, "IPersistPropertyBag answered 0x80004005")) << *why;
        EXPECT_FALSE(RefusalToScript(h.ctl));
    }
    FlagsFor noScript(false, true);
    const auto why = RefusalToScript(h.ctl);
    ASSERT_TRUE(why);
    EXPECT_TRUE(Contains(*why, "IDispatch answered 0x80004005")) << *why;
}

TEST(SafetyAction, PrintsOneLineOfJsonPerQuestion) {
    struct Case {
        std::string line, printed;
    };
    const Case cases[] = {
        {"get {00020400-0000-0000-c000-000000000046}", R"({"supported": 3, "enabled": 1, "result": "0x00000000"})"},
        {"get {37D84F60-42CB-11CE-8135-00AA004BB851}", R"({"supported": 3, "enabled": 2, "result": "0x00000000"})"},
        {std::string("get ") + kOther, R"({"supported": 3, "result": "0x80004002"})"},
        {"get -", R"({"supported": 3, "result": "0x00000000"})"},
        {"set - 3 3", R"({"result": "0x00000000"})"},
        {std::string("set ") + kIID_IDispatch + " 3 3", R"({"result": "0x80004005"})"},
        {std::string("set ") + kIID_IPersistStream + " 0x2 2", R"({"result": "0x00000000"})"},
        {std::string("set ") + kOther + " 1 1", R"({"result": "0x80004002"})"},
    };
    for (const Case& c : cases) EXPECT_EQ(headless::RunSafetyAction(c.line), c.printed) << c.line;
    for (const std::string bad : {"get", "get {nope}", "put -", "set - 1", "set - x 1", "set - 1 -1", "get - extra",
                                  "set - 4294967296 1"})
        EXPECT_THROW(headless::RunSafetyAction(bad), std::invalid_argument) << bad;
}

// Embedding and safety: the answers of the safety options (each one:
// golden/safety_options), the identifiers they recognise, the hosts'
// questions before they use the control, and the headless host's safety
// action.
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
const char* const kOther = "{00000000-0000-0000-C000-000000000046}";  // IUnknown

}  // namespace

// Each answer of the safety action: golden/safety_options. Lines it cannot
// read are refused; without an interface it answers for, the enabled
// options are left as they were.
TEST(Safety, UnreadableLinesAreRefusedAndUnknownInterfacesLeaveTheEnabledOptions) {
    for (const std::string bad :
         {"get", "get {nope}", "put -", "set - 1", "set - x 1", "set - 1 -1", "get - extra", "set - 4294967296 1"})
        EXPECT_THROW(headless::RunSafetyAction(bad), std::invalid_argument) << bad;
    const Guid unknown = Iid(kOther);
    for (const Guid* iid : {&unknown, static_cast<const Guid*>(nullptr)}) {
        uint32_t supported = 0, enabled = kUntouched;
        GetInterfaceSafetyOptions(iid, supported, enabled);
        EXPECT_EQ(enabled, kUntouched) << (iid ? kOther : "no identifier");
    }
}

TEST(Safety, IdentifiersAreWrittenInRegistryTextAndReadInAnyCase) {
    for (const char* text : {kIID_IDispatch, kIID_IPersistStorage, kIID_IPersistStream, kIID_IPersistPropertyBag})
        EXPECT_EQ(StringFromGUID2(Iid(text)), text);
    // Read in any letter case: golden/safety_options.
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
    // The option a flag turns off is not enabled either.
    const Guid dispatch = Iid(kIID_IDispatch);
    uint32_t supported = 0, enabled = kUntouched;
    EXPECT_EQ(GetInterfaceSafetyOptions(&dispatch, supported, enabled), S_OK);
    EXPECT_EQ(enabled, 0u);
}

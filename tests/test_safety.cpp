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
const char* const kOther = "{00000000-0000-0000-C000-000000000046}";  // IUnknown

}  // namespace

// Through the headless host's safety action, which prints each answer: the
// options supported are both, the one enabled and the one a set accepts is
// the interface's own bit (scripting for IDispatch, initialising for the
// persistence interfaces); an identifier the control does not know is
// refused, no identifier is accepted.
TEST(Safety, GetAndSetAnswerWithTheInterfacesOwnBitOnly) {
    const std::string d = kIID_IDispatch, bag = kIID_IPersistPropertyBag, stream = kIID_IPersistStream,
                      storage = kIID_IPersistStorage, other = kOther;
    auto got = [](int enabled) {
        return R"({"supported": 3, )" +
               (enabled < 0 ? std::string() : R"("enabled": )" + std::to_string(enabled) + ", ") +
               R"("result": "0x00000000"})";
    };
    const std::string ok = R"({"result": "0x00000000"})", fail = R"({"result": "0x80004005"})",
                      none = R"({"result": "0x80004002"})";
    const std::pair<std::string, std::string> cases[] = {
        {"get {00020400-0000-0000-c000-000000000046}", got(1)},
        {"get " + bag, got(2)},
        {"get " + stream, got(2)},
        {"get " + storage, got(2)},
        {"get {37D84F60-42CB-11CE-8135-00AA004BB851}", got(2)},
        {"get -", got(-1)},
        {"get " + other, R"({"supported": 3, "result": "0x80004002"})"},
        {"set " + d + " 1 1", ok},
        {"set " + d + " 3 1", ok},
        {"set " + d + " 3 3", fail},
        {"set " + d + " 1 0", fail},
        {"set " + d + " 2 2", fail},
        {"set " + stream + " 0x2 2", ok},
        {"set " + stream + " 1 1", fail},
        {"set " + bag + " 2 3", ok},
        {"set " + storage + " 3 3", fail},
        {"set " + other + " 1 1", none},
        {"set - 3 3", ok},
    };
    for (const auto& [line, printed] : cases) EXPECT_EQ(headless::RunSafetyAction(line), printed) << line;
    for (const std::string bad :
         {"get", "get {nope}", "put -", "set - 1", "set - x 1", "set - 1 -1", "get - extra", "set - 4294967296 1"})
        EXPECT_THROW(headless::RunSafetyAction(bad), std::invalid_argument) << bad;
    // Without an interface it answers for, the enabled options are left as they were.
    const Guid unknown = Iid(kOther);
    for (const Guid* iid : {&unknown, static_cast<const Guid*>(nullptr)}) {
        uint32_t supported = 0, enabled = kUntouched;
        GetInterfaceSafetyOptions(iid, supported, enabled);
        EXPECT_EQ(enabled, kUntouched) << (iid ? kOther : "no identifier");
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

// Start-up: the keys and records ProcessInitData gives the stored and
// listed scenarios, a second start-up, and the option lists' items.
#include <gtest/gtest.h>

#include "Harness.h"
#include "compute/OptionLists.h"
#include "records/RecordError.h"

using namespace zemra;
using namespace zemra::testing;

namespace {

// What the lists show after start-up, the option lists that cannot be
// loaded and the debug button: golden/startup_lists,
// startup_no_scenarios and startup_sample. The keys, the shared records and
// the grid, which the panel does not show:
TEST(StartUp, KeysContinueFromTheLastAutoLoadedStoredScenarioWhoseRecordTheListsShare) {
    Harness h;
    h.Start({{"StoredScenarios",
              "7;Stored A;1;0;0;0;0;100;0;1;N|8;Stored B;2;0;0;0;0;100;0;1;Y|9;Stored C;3;0;0;0;0;100;0;1;y"},
             {"ScenarioString", "Up;10;0;0;0;0;100;0;1;N|Down;-10;0;0;0;0;100;-1234.6;1;N"},
             {"RecordString", kSecurityA}});
    const Portfolio& m = h.Model();
    std::vector<int> keys;
    for (int i = 1; i <= m.Scenarios().Count(); ++i) keys.push_back(m.Scenarios().Item(i).Getkey());
    EXPECT_EQ(keys, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(m.LastScenarioKey(), 4);
    EXPECT_EQ(m.Scenarios().Item(4).GetImpact(), -1234.6);  // as read; the list shows it rounded
    // The working list and the stored list hold the same objects.
    EXPECT_EQ(m.Scenarios().Shared(1), m.StoredScenarios().Shared(2));
    EXPECT_EQ(m.Scenarios().Shared(4), m.StoredScenarios().Shared(5));
    EXPECT_EQ(m.StoredScenarios().Item(1).Getkey(), -1);
    EXPECT_EQ(m.StoredScenarios().Item(1).GetUid(), 7);
    // The grid: each valuation its own object.
    ASSERT_EQ(m.Valuations().Item(1).Count(), 4);
    EXPECT_NE(m.Valuations().Item(1).Shared(1), m.Valuations().Item(1).Shared(2));
}

TEST(StartUp, TheDebugButtonShowsOnlyForYesOrY) {
    const std::pair<const char*, bool> table[] = {{"YES", true}, {"Yes", true},   {"y", true},  {"Y", true},
                                                  {"yes", true}, {"true", false}, {"1", false}, {" yes", false},
                                                  {"", false},   {"no", false}};
    for (const auto& [value, shown] : table) {
        Harness h;
        h.Start({{"EnableDebug", value}});
        EXPECT_EQ(h.Button("CmdDebug").visible, shown) << "EnableDebug '" << value << "'";
    }
}

// The host may call ProcessInitData again: the lists get a second copy of
// the scenarios, and the valuation grid keeps what it held with a row per
// security and a valuation per scenario row (after any action as well:
// PortfolioJourneys).
TEST(StartUp, ASecondStartUpKeepsTheValuationsAndExtendsTheGrid) {
    Harness h;
    h.Replies({{kDetail, "1;101|2;102|3;103|4;104"}, {kCarry, "0|0|0|0"}, {kPages, "0"}});
    h.Start(Harness::WithPages({{"RecordString", std::string(kSecurityA) + "|" + kSecurityB},
                                {"ScenarioString", "Up;10;0;0;0;0;100;0;1;N|Down;-10;0;0;0;0;100;0;1;N"}}));
    h.Val(1, 1).SetoptCarry(7);
    h.ctl.ProcessInitData();
    EXPECT_TRUE(h.host.messages.empty()) << h.host.messages.front().text;
    ASSERT_EQ(h.List("ScenarioLst").Count(), 4);
    EXPECT_EQ(h.Val(1, 1).GetoptCarry(), 7);
    EXPECT_EQ(h.Val(2, 4).Getvaluation(m_CurEstPrice), 104);
}

TEST(OptionLists, CodeItemsNeedANameAndASmallWholeNumber) {
    const Locale us = Locale::EnUs();
    EXPECT_EQ(ReadCodeItem("tuner", "3;Standard", 0, us), (std::pair<int16_t, std::string>{3, "Standard"}));
    EXPECT_EQ(ReadCodeItem("tuner", "2.5;Half", 0, us).first, 2);  // halves to even
    const std::vector<std::pair<const char*, const char*>> refused = {
        {"1", "The tuner list cannot be loaded: item 2 ('1') has no name."},
        {"x;Two", "The tuner list cannot be loaded: the code of item 2 ('x') is not a whole number."},
        {"40000;Wide",
         "The tuner list cannot be loaded: the code of item 2 ('40000') is outside the range -32768 to 32767."},
        {"-40000;Wide",
         "The tuner list cannot be loaded: the code of item 2 ('-40000') is outside the range -32768 to 32767."}};
    for (const auto& [item, message] : refused)
        EXPECT_EQ(ErrorOf<RecordError>([&] { ReadCodeItem("tuner", item, 1, us); }), message) << item;
}

TEST(OptionLists, CurveNamesAndCodesAreUniqueAndFoundWithoutRegardToCase) {
    CurveList curves;
    EXPECT_EQ(curves.Add("USG;US Government", 0), "US Government");
    EXPECT_EQ(curves.Add("EUR;Euro Swap", 1), "Euro Swap");
    EXPECT_EQ(curves.CodeOf("euro swap"), "EUR");
    EXPECT_EQ(curves.NameOf("usg"), "US Government");
    EXPECT_EQ(curves.NameOf("GBP"), std::nullopt);
    EXPECT_THROW(curves.Add("usg;Again", 2), RecordError);
    EXPECT_THROW(curves.Add("GBP;EURO SWAP", 2), RecordError);
    EXPECT_THROW(curves.Add("GBP", 2), RecordError);
    EXPECT_EQ(curves.NameOf("GBP"), std::nullopt);
}

TEST(OptionLists, ADropDownEntryIsFoundByItsCode) {
    Harness h;
    h.Start({{"CallAdjustment", "0;None|1;Hard Call"}});
    EXPECT_EQ(EntryText(h.Combo("CallAdjustmentComb"), 1), "Hard Call");
    EXPECT_EQ(EntryText(h.Combo("CallAdjustmentComb"), 5), "");
}

}  // namespace

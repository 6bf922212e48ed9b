// Start-up: the order and keys in which ProcessInitData loads the option
// lists, securities, stored scenarios and scenarios, and what a malformed
// start-up text leaves behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "Harness.h"
#include "compute/OptionLists.h"
#include "records/RecordError.h"

using namespace zemra;
using namespace zemra::testing;

namespace {

TEST(StartUp, StoredScenariosComeFirstAndKeysContinueFromTheLastAutoLoadedOne) {
    Harness h;
    h.Start({{"StoredScenarios",
              "7;Stored A;1;0;0;0;0;100;0;1;N|8;Stored B;2;0;0;0;0;100;0;1;Y|9;Stored C;3;0;0;0;0;100;0;1;y"},
             {"ScenarioString", "Up;10;0;0;0;0;100;0;1;N|Down;-10;0;0;0;0;100;-1234.6;1;N"},
             {"RecordString", kSecurityA}});
    EXPECT_EQ(h.Rows(h.Combo("ComboScenario")),
              (std::vector<std::string>{"Stored A", "Stored B", "Stored C", "Up", "Down"}));
    EXPECT_EQ(h.Rows(h.List("ScenarioLst")), (std::vector<std::string>{"Stored B", "Stored C", "Up", "Down"}));
    ASSERT_EQ(h.List("LstImpact").Count(), 4);
    std::vector<int> keys;
    for (int i = 1; i <= h.Model().Scenarios().Count(); ++i) keys.push_back(h.Model().Scenarios().Item(i).Getkey());
    EXPECT_EQ(keys, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(h.Model().LastScenarioKey(), 4);
    EXPECT_EQ(h.Model().StoredScenarios().Count(), 5);
    // The working list and the stored list hold the same objects.
    EXPECT_EQ(h.Model().Scenarios().Shared(1), h.Model().StoredScenarios().Shared(2));
    EXPECT_EQ(h.Model().Scenarios().Shared(4), h.Model().StoredScenarios().Shared(5));
    EXPECT_EQ(h.Model().StoredScenarios().Item(1).Getkey(), -1);
    EXPECT_EQ(h.Model().StoredScenarios().Item(1).GetUid(), 7);
    // The grid: one security, four scenarios, each valuation its own object.
    ASSERT_EQ(h.Model().Valuations().Count(), 1);
    ASSERT_EQ(h.Model().Valuations().Item(1).Count(), 4);
    EXPECT_NE(h.Model().Valuations().Item(1).Shared(1), h.Model().Valuations().Item(1).Shared(2));
    EXPECT_EQ(h.Model().Valuations().Item(1).Item(1).GetTunerValue(), 100);
    // First rows selected.
    EXPECT_EQ(h.List("LstSecurity").ListIndex(), 0);
    EXPECT_EQ(h.List("ScenarioLst").ListIndex(), 0);
}

TEST(StartUp, EachListShowsWhatItsStartUpTextHolds) {
    struct Case {
        const char* property;
        std::string text;
        std::vector<std::string> securities, scenarios, impacts;
        std::function<void(Harness&)> also;
    };
    const std::vector<Case> table = {
        // Impacts as grouped whole dollars, negatives in parentheses; the
        // record keeps its own.
        {"ScenarioString",
         "A;1;2;3;4;5;100;-1234.6;1;N|B;0;0;0;0;0;100;999.5;1;N",
         {},
         {"A", "B"},
         {"(1,235)", "1,000"},
         [](Harness& h) { EXPECT_DOUBLE_EQ(h.Model().Scenarios().Item(1).GetImpact(), -1234.6); }},
        // The auto-loaded stored scenario gets its impact row.
        {"StoredScenarios",
         "5;Only;0;0;0;0;0;100;-50;1;Y",
         {},
         {"Only"},
         {"(50)"},
         [](Harness& h) { EXPECT_EQ(h.Model().Scenarios().Item(1).Getkey(), 0); }},
        // A trailing bar adds a blank scenario.
        {"ScenarioString",
         "A;1;0;0;0;0;100;0;1;N|",
         {},
         {"A", ""},
         {"0", "0"},
         [](Harness& h) { EXPECT_EQ(h.Model().Scenarios().Item(2).GetScenarioProperties(m_TunerValIdx), 100); }},
        // A security identifier given twice yields one row; the first wins.
        {"RecordString",
         std::string(kSecurityA) + "|1001;Second copy;E|" + kSecurityB,
         {"ACME CV", "Beta Corp"},
         {},
         {},
         [](Harness& h) { EXPECT_EQ(h.Model().Securities().Item(1).GetSectype(), "B"); }},
        // Securities without scenarios build no grid and select only the
        // security.
        {"RecordString",
         kSecurityA,
         {"ACME CV"},
         {},
         {},
         [](Harness& h) {
             EXPECT_EQ(h.Model().Valuations().Count(), 0);
             EXPECT_EQ(h.List("LstSecurity").ListIndex(), 0);
             EXPECT_EQ(h.List("ScenarioLst").ListIndex(), -1);
         }},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.text);
        Harness h;
        h.Start({{c.property, c.text}});
        EXPECT_EQ(h.Rows(h.List("LstSecurity")), c.securities);
        EXPECT_EQ(h.Rows(h.List("ScenarioLst")), c.scenarios);
        EXPECT_EQ(h.Rows(h.List("LstImpact")), c.impacts);
        EXPECT_EQ(h.Model().Securities().Count(), static_cast<int>(c.securities.size()));
        EXPECT_EQ(h.Model().Scenarios().Count(), static_cast<int>(c.scenarios.size()));
        c.also(h);
    }
}

TEST(StartUp, TheDebugButtonShowsOnlyForYesOrY) {
    for (const auto& [value, shown] : std::vector<std::pair<const char*, bool>>{{"YES", true},
                                                                                {"Yes", true},
                                                                                {"y", true},
                                                                                {"Y", true},
                                                                                {"yes", true},
                                                                                {"true", false},
                                                                                {"1", false},
                                                                                {" yes", false},
                                                                                {"", false},
                                                                                {"no", false}}) {
        Harness h;
        h.Start({{"EnableDebug", value}});
        EXPECT_EQ(h.Button("CmdDebug").visible, shown) << "EnableDebug '" << value << "'";
    }
}

// The host may call ProcessInitData again: the lists get a second copy of
// the scenarios, and the valuation grid still holds one row per security
// with one valuation per scenario row, so the next run applies.
TEST(StartUp, ASecondStartUpKeepsTheValuationGridInStepWithBothLists) {
    Harness h;
    h.Replies({{kDetail, "1;101|2;102|3;103|4;104"}, {kCarry, "0|0|0|0"}, {kPages, "0"}});
    h.Start(Harness::WithPages({{"RecordString", std::string(kSecurityA) + "|" + kSecurityB},
                                {"ScenarioString", "Up;10;0;0;0;0;100;0;1;N|Down;-10;0;0;0;0;100;0;1;N"}}));
    ASSERT_TRUE(h.host.messages.empty()) << h.host.messages.front().text;
    h.Model().Valuations().Item(1).Item(1).SetoptCarry(7);  // kept by the second start-up

    h.ctl.ProcessInitData();
    EXPECT_TRUE(h.host.messages.empty()) << h.host.messages.front().text;
    EXPECT_EQ(h.Rows(h.List("LstSecurity")), (std::vector<std::string>{"ACME CV", "Beta Corp"}));
    ASSERT_EQ(h.List("ScenarioLst").Count(), 4);
    ASSERT_EQ(h.Model().Valuations().Count(), h.List("LstSecurity").Count());
    for (int p = 1; p <= h.Model().Valuations().Count(); ++p) EXPECT_EQ(h.Model().Valuations().Item(p).Count(), 4) << p;
    EXPECT_EQ(h.Model().Valuations().Item(1).Item(1).GetoptCarry(), 7);
    EXPECT_EQ(h.Model().Valuations().Item(2).Item(4).Getvaluation(m_CurEstPrice), 104);
    EXPECT_EQ(h.List("LstImpact").Count(), 4);
}

TEST(OptionLists, TunersFillBothDropDownsWithCodesAndShowTheFirst) {
    Harness h;
    h.Start({{"TunerString", "3;Standard|7;Aggressive"}});
    for (ComboBox* combo : {&h.Combo("ComboTuner"), &h.Combo("ComboTuner2")}) {
        EXPECT_EQ(h.Rows(*combo), (std::vector<std::string>{"Standard", "Aggressive"}));
        EXPECT_EQ(combo->ItemData(1), 7);
        EXPECT_EQ(combo->Text(), "Standard");
    }
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
    for (const auto& [item, message] : refused) {
        try {
            ReadCodeItem("tuner", item, 1, us);
            ADD_FAILURE() << item;
        } catch (const RecordError& e) {
            EXPECT_STREQ(e.what(), message);
        }
    }
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
    EXPECT_EQ(h.Combo("CallAdjustmentComb").Text(), "None");  // the first, even with code 0
    EXPECT_EQ(EntryText(h.Combo("CallAdjustmentComb"), 1), "Hard Call");
    EXPECT_EQ(EntryText(h.Combo("CallAdjustmentComb"), 5), "");
}

TEST(OptionLists, AListThatCannotBeLoadedIsReportedAndStartUpGoesOn) {
    Harness h;
    h.Start({{"TunerString", "1;One|x;Two|3;Three"},
             {"CurveOptions", "USG;US Government|usg;Again"},
             {"CallAdjustment", "1"},
             {"ScenarioString", "A;1;0;0;0;0;100;0;1;N"}});
    EXPECT_EQ(h.Rows(h.Combo("ComboTuner")), (std::vector<std::string>{"One"}));
    EXPECT_EQ(h.Rows(h.Combo("CurveComboBox")), (std::vector<std::string>{"US Government"}));
    EXPECT_EQ(h.Combo("CallAdjustmentComb").Count(), 0);
    EXPECT_TRUE(Contains(h.Messages(), "tuner list cannot be loaded"));
    EXPECT_TRUE(Contains(h.Messages(), "curve code 'usg'"));
    EXPECT_TRUE(Contains(h.Messages(), "call-adjustment list cannot be loaded"));
    EXPECT_EQ(h.List("ScenarioLst").Count(), 1);
}

}  // namespace

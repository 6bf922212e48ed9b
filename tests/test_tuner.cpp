// The pricing tuner and tuner value: applied to every selected scenario and
// its valuations, or to the valuation of the current security under the
// current scenario, with the notice that the impacts are stale.
#include <gtest/gtest.h>

#include "Harness.h"

using namespace zemra;
using namespace zemra::testing;

namespace {

// Three scenarios, each with tuner 3 (Standard) and tuner value 100.
const char* const kThree = "One;1;0;0;0;0;100;0;3;N|Two;2;0;0;0;0;100;0;3;N|Three;3;0;0;0;0;100;0;3;N";

// Two securities, three tuners and the scenarios given.
struct Panel : Harness {
    explicit Panel(const char* scenarios = kThree) {
        Start({{"TunerString", "3;Standard|7;Aggressive|9;Calm"},
               {"RecordString", std::string(kSecurityA) + "|" + kSecurityB},
               {"ScenarioString", scenarios}});
        host.messages.clear();
    }
    void SelectFirstAndThird() {
        panel().UserSelectRow(List("ScenarioLst"), 0);
        panel().UserSelectRow(List("ScenarioLst"), 2, true);
    }
    const std::string& Notice() { return Label("LabelProgress").caption; }
};

TEST(TunerUpdate, TunerAndValueGoToScenariosOneAndThreeAndAllTheirValuations) {
    Panel p;
    p.SelectFirstAndThird();
    p.panel().UserPick(p.Combo("ComboTuner"), 1);  // Aggressive, 7
    // Leaving the tuner with several rows selected waits for the button.
    p.panel().UserType(p.Text("TxtScenario", 5), "125.5");
    EXPECT_EQ(p.Model().Scenarios().Item(1).Gettuner(), 3);
    ASSERT_TRUE(p.panel().UserClick(p.Button("BtnUptTuner")));
    for (int s : {1, 3}) {
        EXPECT_EQ(p.Model().Scenarios().Item(s).Gettuner(), 7);
        EXPECT_EQ(p.Model().StoredScenarios().Item(s).Gettuner(), 7);
        EXPECT_EQ(p.Model().StoredScenarios().Item(s).GetScenarioProperties(m_TunerValIdx), 125.5);
        for (int sec = 1; sec <= 2; ++sec) {
            EXPECT_EQ(p.Val(sec, s).Gettuner(), 7) << sec << "," << s;
            EXPECT_EQ(p.Val(sec, s).GetTunerValue(), 125.5) << sec << "," << s;
        }
    }
    EXPECT_EQ(p.Model().Scenarios().Item(2).Gettuner(), 3);
    EXPECT_EQ(p.Val(2, 2).Gettuner(), 3);
    EXPECT_EQ(p.Val(2, 2).GetTunerValue(), 100);
    EXPECT_EQ(p.Notice(), kStale);
    EXPECT_TRUE(p.host.messages.empty());
}

TEST(TunerUpdate, TheNoticeShowsWhenAnySelectedScenarioChangesAndClearsWhenNoneDoes) {
    // Scenario 3 already has the tuner that is chosen; scenario 1 has not.
    Panel p("One;1;0;0;0;0;100;0;3;N|Two;2;0;0;0;0;100;0;3;N|Three;3;0;0;0;0;100;0;7;N");
    p.SelectFirstAndThird();
    p.panel().UserPick(p.Combo("ComboTuner"), 1);
    p.panel().UserClick(p.Button("BtnUptTuner"));
    EXPECT_EQ(p.Model().Scenarios().Item(1).Gettuner(), 7);
    EXPECT_EQ(p.Notice(), kStale);
    p.panel().UserClick(p.Button("BtnUptTuner"));
    EXPECT_EQ(p.Notice(), "");
}

TEST(TunerUpdate, ATunerValueThatIsNotANumberChangesNothing) {
    for (const char* text : {"abc", ""}) {
        Panel p;
        p.SelectFirstAndThird();
        p.panel().UserPick(p.Combo("ComboTuner"), 2);
        p.panel().UserType(p.Text("TxtScenario", 5), text);
        p.panel().UserClick(p.Button("BtnUptTuner"));
        EXPECT_EQ(p.Messages(), (std::vector<std::string>{"Please enter only digit characters in Tuner Value field!"}));
        EXPECT_EQ(p.Model().Scenarios().Item(1).Gettuner(), 3);
        EXPECT_EQ(p.Val(1, 1).Gettuner(), 3);
        EXPECT_EQ(p.Notice(), "");
    }
}

TEST(TunerUpdate, WithOneRowSelectedLeavingTheTunerAppliesItAtOnce) {
    Panel p;
    EXPECT_TRUE(p.Combo("ComboTuner").locked);
    p.panel().UserSelectRow(p.List("ScenarioLst"), 1);
    p.panel().UserPick(p.Combo("ComboTuner"), 2);  // Calm, 9
    EXPECT_TRUE(p.Combo("ComboTuner").locked);
    p.panel().UserFocus(p.Text("TxtScenario", 5));
    EXPECT_EQ(p.Model().Scenarios().Item(2).Gettuner(), 9);
    EXPECT_EQ(p.Val(1, 2).Gettuner(), 9);
    EXPECT_EQ(p.Val(2, 2).Gettuner(), 9);
    EXPECT_EQ(p.Val(1, 1).Gettuner(), 3);
    EXPECT_EQ(p.Notice(), kStale);
    // The tuner the scenario already has clears the notice.
    p.panel().UserPick(p.Combo("ComboTuner"), 2);
    p.panel().UserFocus(p.Text("TxtScenario", 5));
    EXPECT_EQ(p.Notice(), "");
}

TEST(ValuationTuner, ATunerChangeTouchesOnlyTheCurrentSecurityUnderTheCurrentScenario) {
    Panel p;
    p.panel().UserSelectRow(p.List("LstSecurity"), 1);
    p.panel().UserSelectRow(p.List("ScenarioLst"), 1);
    p.panel().UserPick(p.Combo("ComboTuner2"), 1);
    p.panel().UserFocus(p.Text("TxtTunerVal"));
    EXPECT_EQ(p.Val(2, 2).Gettuner(), 7);
    EXPECT_EQ(p.Val(1, 2).Gettuner(), 3);
    EXPECT_EQ(p.Val(2, 1).Gettuner(), 3);
    EXPECT_EQ(p.Model().Scenarios().Item(2).Gettuner(), 3);
    EXPECT_EQ(p.Notice(), kStale);
}

TEST(ValuationTuner, TheTunerValueFieldReadsANumberWithBlanksRefusesLettersAndTakesEmptyAsZero) {
    Panel p;
    p.panel().UserSelectRow(p.List("ScenarioLst"), 2);
    p.panel().UserType(p.Text("TxtTunerVal"), " 2.5 ");
    EXPECT_TRUE(p.panel().UserFocus(p.Combo("ComboTuner2")));
    EXPECT_EQ(p.Val(1, 3).GetTunerValue(), 2.5);
    EXPECT_EQ(p.Val(2, 3).GetTunerValue(), 100);
    EXPECT_EQ(p.Model().Scenarios().Item(3).GetScenarioProperties(m_TunerValIdx), 100);
    EXPECT_EQ(p.Notice(), "");  // not touched by this field

    p.panel().UserType(p.Text("TxtTunerVal"), "x");
    EXPECT_FALSE(p.panel().UserFocus(p.Combo("ComboTuner2")));
    EXPECT_EQ(p.Messages(), (std::vector<std::string>{"Please enter only digit characters in Field!"}));
    EXPECT_EQ(p.panel().Focused(), &p.Text("TxtTunerVal"));
    EXPECT_EQ(p.Val(1, 3).GetTunerValue(), 2.5);

    p.panel().UserType(p.Text("TxtTunerVal"), "");
    EXPECT_TRUE(p.panel().UserFocus(p.Combo("ComboTuner2")));
    EXPECT_EQ(p.Val(1, 3).GetTunerValue(), 0);
}

TEST(ValuationTuner, WithoutValuationsTheFieldsDoNothing) {
    Harness h;
    h.Start({{"TunerString", "3;Standard|7;Aggressive"}, {"ScenarioString", kThree}});
    h.host.messages.clear();
    h.panel().UserType(h.Text("TxtTunerVal"), "abc");
    EXPECT_TRUE(h.panel().UserFocus(h.Combo("ComboTuner2")));
    h.panel().UserPick(h.Combo("ComboTuner2"), 1);
    EXPECT_TRUE(h.panel().UserFocus(h.Text("TxtTunerVal")));
    EXPECT_TRUE(h.host.messages.empty());
    EXPECT_EQ(h.Label("LabelProgress").caption, "");
}

}  // namespace

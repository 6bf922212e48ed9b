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
        panel().UserSelectRow(*ctl.ScenarioLst, 0);
        panel().UserSelectRow(*ctl.ScenarioLst, 2, true);
    }
    const std::string& Notice() { return ctl.LabelProgress->caption; }
};

TEST(TunerUpdate, TunerAndValueGoToScenariosOneAndThreeAndAllTheirValuations) {
    Panel p;
    MainCtl& c = p.ctl;
    p.SelectFirstAndThird();
    p.panel().UserPick(*c.ComboTuner, 1);  // Aggressive, 7
    // Leaving the tuner with several rows selected waits for the button.
    p.panel().UserType(*c.TxtScenario[5], "125.5");
    EXPECT_EQ(c.Model().Scenarios().Item(1).Gettuner(), 3);
    ASSERT_TRUE(p.panel().UserClick(*c.BtnUptTuner));
    for (int s : {1, 3}) {
        EXPECT_EQ(c.Model().Scenarios().Item(s).Gettuner(), 7);
        EXPECT_EQ(c.Model().StoredScenarios().Item(s).Gettuner(), 7);
        EXPECT_EQ(c.Model().StoredScenarios().Item(s).GetScenarioProperties(m_TunerValIdx), 125.5);
        for (int sec = 1; sec <= 2; ++sec) {
            EXPECT_EQ(p.Val(sec, s).Gettuner(), 7) << sec << "," << s;
            EXPECT_EQ(p.Val(sec, s).GetTunerValue(), 125.5) << sec << "," << s;
        }
    }
    EXPECT_EQ(c.Model().Scenarios().Item(2).Gettuner(), 3);
    EXPECT_EQ(p.Val(2, 2).Gettuner(), 3);
    EXPECT_EQ(p.Val(2, 2).GetTunerValue(), 100);
    EXPECT_EQ(p.Notice(), kStale);
    EXPECT_TRUE(p.host.messages.empty());
}

TEST(TunerUpdate, TheNoticeShowsWhenAnySelectedScenarioChangesAndClearsWhenNoneDoes) {
    // Scenario 3 already has the tuner that is chosen; scenario 1 has not.
    Panel p("One;1;0;0;0;0;100;0;3;N|Two;2;0;0;0;0;100;0;3;N|Three;3;0;0;0;0;100;0;7;N");
    p.SelectFirstAndThird();
    p.panel().UserPick(*p.ctl.ComboTuner, 1);
    p.panel().UserClick(*p.ctl.BtnUptTuner);
    EXPECT_EQ(p.ctl.Model().Scenarios().Item(1).Gettuner(), 7);
    EXPECT_EQ(p.Notice(), kStale);
    p.panel().UserClick(*p.ctl.BtnUptTuner);
    EXPECT_EQ(p.Notice(), "");
}

TEST(TunerUpdate, ATunerValueThatIsNotANumberChangesNothing) {
    for (const char* text : {"abc", ""}) {
        Panel p;
        p.SelectFirstAndThird();
        p.panel().UserPick(*p.ctl.ComboTuner, 2);
        p.panel().UserType(*p.ctl.TxtScenario[5], text);
        p.panel().UserClick(*p.ctl.BtnUptTuner);
        EXPECT_EQ(p.Messages(), (std::vector<std::string>{"Please enter only digit characters in Tuner Value field!"}));
        EXPECT_EQ(p.ctl.Model().Scenarios().Item(1).Gettuner(), 3);
        EXPECT_EQ(p.Val(1, 1).Gettuner(), 3);
        EXPECT_EQ(p.Notice(), "");
    }
}

TEST(TunerUpdate, WithOneRowSelectedLeavingTheTunerAppliesItAtOnce) {
    Panel p;
    MainCtl& c = p.ctl;
    EXPECT_TRUE(c.ComboTuner->locked);
    p.panel().UserSelectRow(*c.ScenarioLst, 1);
    p.panel().UserPick(*c.ComboTuner, 2);  // Calm, 9
    EXPECT_TRUE(c.ComboTuner->locked);
    p.panel().UserFocus(*c.TxtScenario[5]);
    EXPECT_EQ(c.Model().Scenarios().Item(2).Gettuner(), 9);
    EXPECT_EQ(p.Val(1, 2).Gettuner(), 9);
    EXPECT_EQ(p.Val(2, 2).Gettuner(), 9);
    EXPECT_EQ(p.Val(1, 1).Gettuner(), 3);
    EXPECT_EQ(p.Notice(), kStale);
    // The tuner the scenario already has clears the notice.
    p.panel().UserPick(*c.ComboTuner, 2);
    p.panel().UserFocus(*c.TxtScenario[5]);
    EXPECT_EQ(p.Notice(), "");
}

TEST(ValuationTuner, ATunerChangeTouchesOnlyTheCurrentSecurityUnderTheCurrentScenario) {
    Panel p;
    MainCtl& c = p.ctl;
    p.panel().UserSelectRow(*c.LstSecurity, 1);
    p.panel().UserSelectRow(*c.ScenarioLst, 1);
    p.panel().UserPick(*c.ComboTuner2, 1);
    p.panel().UserFocus(*c.TxtTunerVal);
    EXPECT_EQ(p.Val(2, 2).Gettuner(), 7);
    EXPECT_EQ(p.Val(1, 2).Gettuner(), 3);
    EXPECT_EQ(p.Val(2, 1).Gettuner(), 3);
    EXPECT_EQ(c.Model().Scenarios().Item(2).Gettuner(), 3);
    EXPECT_EQ(p.Notice(), kStale);
}

TEST(ValuationTuner, TheTunerValueFieldReadsANumberWithBlanksRefusesLettersAndTakesEmptyAsZero) {
    Panel p;
    MainCtl& c = p.ctl;
    p.panel().UserSelectRow(*c.ScenarioLst, 2);
    p.panel().UserType(*c.TxtTunerVal, " 2.5 ");
    EXPECT_TRUE(p.panel().UserFocus(*c.ComboTuner2));
    EXPECT_EQ(p.Val(1, 3).GetTunerValue(), 2.5);
    EXPECT_EQ(p.Val(2, 3).GetTunerValue(), 100);
    EXPECT_EQ(c.Model().Scenarios().Item(3).GetScenarioProperties(m_TunerValIdx), 100);
    EXPECT_EQ(p.Notice(), "");  // not touched by this field

    p.panel().UserType(*c.TxtTunerVal, "x");
    EXPECT_FALSE(p.panel().UserFocus(*c.ComboTuner2));
    EXPECT_EQ(p.Messages(), (std::vector<std::string>{"Please enter only digit characters in Field!"}));
    EXPECT_EQ(p.panel().Focused(), c.TxtTunerVal);
    EXPECT_EQ(p.Val(1, 3).GetTunerValue(), 2.5);

    p.panel().UserType(*c.TxtTunerVal, "");
    EXPECT_TRUE(p.panel().UserFocus(*c.ComboTuner2));
    EXPECT_EQ(p.Val(1, 3).GetTunerValue(), 0);
}

TEST(ValuationTuner, WithoutValuationsTheFieldsDoNothing) {
    Harness h;
    h.Start({{"TunerString", "3;Standard|7;Aggressive"}, {"ScenarioString", kThree}});
    h.host.messages.clear();
    h.panel().UserType(*h.ctl.TxtTunerVal, "abc");
    EXPECT_TRUE(h.panel().UserFocus(*h.ctl.ComboTuner2));
    h.panel().UserPick(*h.ctl.ComboTuner2, 1);
    EXPECT_TRUE(h.panel().UserFocus(*h.ctl.TxtTunerVal));
    EXPECT_TRUE(h.host.messages.empty());
    EXPECT_EQ(h.ctl.LabelProgress->caption, "");
}

}  // namespace

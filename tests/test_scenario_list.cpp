// The working list of scenarios: an add refused, renaming and editing the
// six changes, with ScenarioLst, ComboScenario and the valuation grid kept
// in step. Adding in the single and multiple modes: golden/scenario_add;
// deleting any selection: golden/scenario_delete and
// golden/scenario_delete_runs (the grid's shape after every action:
// PortfolioJourneys; a deleted scenario's stored entry without its impact:
// PortfolioModel).
#include <gtest/gtest.h>

#include "Harness.h"

using namespace zemra;
using namespace zemra::testing;

namespace {

const std::string kTwoSecurities = std::string(kSecurityA) + "|" + kSecurityB;
// Starts the control and forgets what start-up said.
void Begin(Harness& h, const std::map<std::string, std::string>& properties) {
    h.Start(properties);
    h.host.messages.clear();
}

std::vector<double> TunerValues(const ValuationRow& row) {
    std::vector<double> values;
    for (int c = 1; c <= row.Count(); ++c) values.push_back(row.Item(c).GetTunerValue());
    return values;
}

// Types into a field and leaves it for another, so that it is validated.
bool Edit(Harness& h, TextBox& box, const std::string& text, Widget& next) {
    h.panel().UserType(box, text);
    return h.panel().UserFocus(next);
}

TEST(ScenarioAdd, AnEmptyDescriptionIsRefusedAndAnEmptyTunerListGivesTuner0) {
    Harness h;
    Begin(h, {});
    h.panel().UserClick(h.Button("ScenarioAddBtn"));
    EXPECT_EQ(h.Messages(), (std::vector<std::string>{"Input scenario you wish to add!"}));
    EXPECT_EQ(h.List("ScenarioLst").Count(), 0);
    h.panel().UserType(h.Text("DescriptionFld"), "Lonely");
    h.panel().UserClick(h.Button("ScenarioAddBtn"));
    EXPECT_EQ(h.Model().Scenarios().Item(1).Gettuner(), 0);
}

TEST(ScenarioModify, RenamesTheCurrentScenarioAndAnEmptyListOrNoCurrentRowChangesNothing) {
    Harness h;
    Begin(h, {{"StoredScenarios", "4;Old;0;0;0;0;0;100;0;1;N"}, {"ScenarioString", "Up;10;0;0;0;0;100;0;1;N"}});
    h.panel().UserType(h.Text("DescriptionFld"), "Up more");
    h.panel().UserClick(h.Button("BtnModify"));
    EXPECT_EQ(h.Rows(h.List("ScenarioLst")), (std::vector<std::string>{"Up more"}));
    EXPECT_EQ(h.Rows(h.Combo("ComboScenario")), (std::vector<std::string>{"Old", "Up more"}));

    Harness e;
    Begin(e, {});
    e.panel().UserClick(e.Button("BtnModify"));
    EXPECT_EQ(e.Messages(), (std::vector<std::string>{"Choose scenario you wish to update!"}));

    // Rows but none current: start-up ended after listing one scenario.
    Harness g;
    Begin(g, {{"ScenarioString", "Up;10;0;0;0;0;100;0;1;N|Bad;x;0;0;0;0;100;0;1;N"}});
    ASSERT_EQ(g.List("ScenarioLst").ListIndex(), -1);
    g.panel().UserType(g.Text("DescriptionFld"), "Renamed");
    g.panel().UserClick(g.Button("BtnModify"));
    Edit(g, g.Text("TxtScenario", 0), "99", g.Text("TxtDate"));
    Edit(g, g.Text("TxtDate"), "1/1/2027", g.Text("DescriptionFld"));
    EXPECT_EQ(g.Model().Scenarios().Item(1).Getdescription(), "Up");
    EXPECT_EQ(g.Model().Scenarios().Item(1).GetScenarioProperties(m_StkChgIdx), 10);
    EXPECT_EQ(g.Model().Scenarios().Item(1).GetScenarioProperties(m_TimeIdx), 0);
    EXPECT_TRUE(g.host.messages.empty());
}

TEST(ScenarioEdit, TheSameValueClearsTheNoticeAndANewOneSetsItAndIsStored) {
    Harness h;
    Begin(h, {{"ScenarioString", "Up;5;0;0;0;0;100;0;1;N"}});
    Edit(h, h.Text("TxtScenario", 0), "6", h.Text("TxtScenario", 1));
    EXPECT_EQ(h.Model().StoredScenarios().Item(1).GetScenarioProperties(m_StkChgIdx), 6);
    EXPECT_EQ(h.Label("LabelProgress").caption, kStale);
    EXPECT_EQ(h.Label("LabelProgress").backColor, kWhite);
    Edit(h, h.Text("TxtScenario", 0), "6", h.Text("TxtScenario", 1));
    EXPECT_EQ(h.Label("LabelProgress").caption, "");
    EXPECT_EQ(h.Label("LabelProgress").backColor, h.Frame("Frame1").backColor);
}

TEST(ScenarioEdit, LettersAndAnEmptyDescriptionAreRefused) {
    Harness h;
    Begin(h, {{"ScenarioString", "Up;5;0;0;0;0;100;0;1;N"}});
    h.panel().UserType(h.Text("DescriptionFld"), "Up five");
    EXPECT_FALSE(Edit(h, h.Text("TxtScenario", 1), "abc", h.Text("TxtScenario", 2)));
    EXPECT_EQ(h.Messages(), (std::vector<std::string>{"Please enter only digit characters in Field!"}));
    EXPECT_EQ(h.panel().Focused(), &h.Text("TxtScenario", 1));
    EXPECT_EQ(h.Model().Scenarios().Item(1).GetScenarioProperties(m_RateChgIdx), 0);
    // The description was written before the value was read.
    EXPECT_EQ(h.Rows(h.List("ScenarioLst")), (std::vector<std::string>{"Up five"}));
    EXPECT_EQ(h.Rows(h.Combo("ComboScenario")), (std::vector<std::string>{"Up five"}));

    h.host.messages.clear();
    h.panel().UserType(h.Text("TxtScenario", 1), "7");
    h.panel().UserFocus(h.Text("DescriptionFld"));
    h.panel().UserType(h.Text("DescriptionFld"), "");
    EXPECT_FALSE(Edit(h, h.Text("TxtScenario", 0), "8", h.Text("TxtScenario", 1)));
    EXPECT_EQ(h.Messages(), (std::vector<std::string>{"Please enter description for the current scenario!"}));
    EXPECT_EQ(h.Model().Scenarios().Item(1).GetScenarioProperties(m_StkChgIdx), 5);
    EXPECT_EQ(h.Model().Scenarios().Item(1).Getdescription(), "Up five");
}

TEST(ScenarioEdit, TunerValuesAndTimeChangesReachTheValuationsAndTheDate) {
    Harness h;
    Begin(h,
          {{"RecordString", kTwoSecurities}, {"ScenarioString", "Up;5;0;0;30;0;120;0;1;N|Down;-5;0;0;0;0;130;0;1;N"}});
    Edit(h, h.Text("TxtScenario", 5), "80", h.Text("DescriptionFld"));
    for (int s = 1; s <= 2; ++s) EXPECT_EQ(TunerValues(h.Model().Valuations().Item(s)), (std::vector<double>{80, 130}));
    EXPECT_EQ(h.Label("LabelProgress").caption, kStale);
    // An empty field stores 0 and leaves the notice as it is.
    Edit(h, h.Text("TxtScenario", 5), "80", h.Text("DescriptionFld"));
    ASSERT_EQ(h.Label("LabelProgress").caption, "");
    Edit(h, h.Text("TxtScenario", 5), "", h.Text("DescriptionFld"));
    EXPECT_EQ(h.Model().Scenarios().Item(1).GetScenarioProperties(m_TunerValIdx), 0);
    EXPECT_EQ(TunerValues(h.Model().Valuations().Item(2)), (std::vector<double>{0, 130}));
    EXPECT_EQ(h.Label("LabelProgress").caption, "");
    Edit(h, h.Text("TxtScenario", 3), "", h.Text("DescriptionFld"));
    EXPECT_EQ(h.Text("TxtDate").Text(), "12/06/2026");
    Edit(h, h.Text("TxtScenario", 3), "-1", h.Text("DescriptionFld"));
    EXPECT_EQ(h.Text("TxtDate").Text(), "12/05/2026");
    // A time change beyond the calendar is refused before anything is written.
    h.host.messages.clear();
    EXPECT_FALSE(Edit(h, h.Text("TxtScenario", 3), "1E+9", h.Text("DescriptionFld")));
    ASSERT_EQ(h.host.messages.size(), 1u);
    EXPECT_NE(h.host.messages[0].text.find("outside the calendar"), std::string::npos) << h.host.messages[0].text;
    EXPECT_EQ(h.Model().Scenarios().Item(1).GetScenarioProperties(m_TimeIdx), -1);
}

TEST(ScenarioEdit, EnteringAFieldSelectsItsWholeText) {
    Harness h;
    Begin(h, {{"ScenarioString", "Upward move;12.5;0;0;0;0;100;0;1;N"}});
    h.panel().UserType(h.Text("TxtTunerVal"), "123.25");
    for (TextBox* box : {&h.Text("TxtScenario", 1), &h.Text("TxtScenario", 0), &h.Text("DescriptionFld"),
                         &h.Text("TxtDate"), &h.Text("TxtTunerVal")}) {
        box->selLength = 0;
        h.panel().UserFocus(*box);
        EXPECT_EQ(box->selStart, 0) << box->Name();
        EXPECT_EQ(box->selLength, static_cast<int>(box->Text().size())) << box->Name();
    }
}

}  // namespace

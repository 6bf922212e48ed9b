// The working list of scenarios: adding, the single and multiple modes,
// deleting several rows, renaming and editing the six changes, with
// ScenarioLst, LstImpact, ComboScenario and the valuation grid kept in step.
#include <gtest/gtest.h>

#include "Harness.h"

using namespace zemra;
using namespace zemra::testing;

namespace {

const std::string kTwoSecurities = std::string(kSecurityA) + "|" + kSecurityB;
// Five scenarios told apart by their tuner values (101 to 105) and impacts.
const char* const kFive =
    "S1;1;0;0;0;0;101;1000;3;N|S2;2;0;0;0;0;102;2000;3;N|S3;3;0;0;0;0;103;3000;3;N|"
    "S4;4;0;0;0;0;104;4000;3;N|S5;5;0;0;0;0;105;5000;3;N";

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

std::vector<bool> Selection(const ListBox& list) {
    std::vector<bool> selected;
    for (const auto& r : list.Rows()) selected.push_back(r.selected);
    return selected;
}

bool SingleMode(Harness& h) {
    for (TextBox* box : h.Each<TextBox>("TxtScenario", 6))
        if (!box->enabled) return false;
    return h.Text("TxtDate").enabled && h.Text("DescriptionFld").enabled && h.Button("ScenarioAddBtn").enabled && h.Button("UpdateBtn").enabled &&
           h.Frame("AssumptionFrame").enabled && h.Frame("Frame1").enabled && !h.Button("BtnUptTuner").enabled;
}

// Types into a field and leaves it for another, so that it is validated.
bool Edit(Harness& h, TextBox& box, const std::string& text, Widget& next) {
    h.panel().UserType(box, text);
    return h.panel().UserFocus(next);
}

TEST(ScenarioAdd, ABlankScenarioJoinsAnEmptyListWithTheFirstTunerAndTunerValue100) {
    Harness h;
    Begin(h, {{"TunerString", "3;Standard|7;Aggressive"}, {"RecordString", kTwoSecurities},
              {"StoredScenarios", "9;Kept;0;0;0;0;0;100;0;7;N"}});
    const int lastKey = h.Model().LastScenarioKey();
    // Neither the tuner shown nor the figures typed are taken over.
    h.Combo("ComboTuner").SetListIndex(1);
    h.panel().UserType(h.Text("TxtScenario", 0), "12");
    h.panel().UserType(h.Text("DescriptionFld"), "A");
    h.panel().UserClick(h.Button("ScenarioAddBtn"));

    EXPECT_EQ(h.Rows(h.List("ScenarioLst")), (std::vector<std::string>{"A"}));
    EXPECT_EQ(h.Rows(h.List("LstImpact")), (std::vector<std::string>{"0"}));
    EXPECT_EQ(h.Rows(h.Combo("ComboScenario")), (std::vector<std::string>{"Kept", "A"}));
    const CScenario& a = h.Model().Scenarios().Item(1);
    EXPECT_EQ(a.Getkey(), lastKey + 1);
    EXPECT_EQ(h.Model().LastScenarioKey(), lastKey + 1);
    EXPECT_EQ(a.Gettuner(), 3);
    EXPECT_EQ(a.GetScenarioProperties(m_TunerValIdx), 100);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(a.GetScenarioProperties(i), 0) << i;
    EXPECT_EQ(h.Model().StoredScenarios().Shared(2), h.Model().Scenarios().Shared(1));
    for (int s = 1; s <= 2; ++s) {
        ASSERT_EQ(h.Model().Valuations().Item(s).Count(), 1);
        EXPECT_EQ(h.Model().Valuations().Item(s).Item(1).Gettuner(), 3);
        EXPECT_EQ(h.Model().Valuations().Item(s).Item(1).GetTunerValue(), 100);
    }
    // The new row is selected and shown; the notice is left alone.
    EXPECT_EQ(h.List("ScenarioLst").ListIndex(), 0);
    EXPECT_EQ(h.Text("TxtScenario", 0).Text(), "0");
    EXPECT_EQ(h.Text("TxtDate").Text(), "12/06/2026");
    EXPECT_EQ(h.Combo("ComboTuner").Text(), "Standard");
    EXPECT_TRUE(SingleMode(h));
    EXPECT_EQ(h.Label("LabelProgress").caption, "");
    EXPECT_TRUE(h.host.messages.empty());
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

TEST(ScenarioAdd, AddingBesideASelectedRowSwitchesToTheMultipleMode) {
    Harness h;
    Begin(h, {{"RecordString", kTwoSecurities}, {"ScenarioString", "Up;10;0;0;0;0;100;-1234.6;3;N"}});
    EXPECT_EQ(h.Label("LabelImpact").caption, "-1,235");
    EXPECT_EQ(Selection(h.List("LstImpact")), (std::vector<bool>{true}));
    h.panel().UserType(h.Text("DescriptionFld"), "Second");
    h.panel().UserClick(h.Button("ScenarioAddBtn"));
    EXPECT_EQ(Selection(h.List("ScenarioLst")), (std::vector<bool>{true, true}));
    EXPECT_EQ(h.Rows(h.List("LstImpact")), (std::vector<std::string>{"(1,235)", "0"}));
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(h.Text("TxtScenario", i).enabled) << i;
    EXPECT_TRUE(h.Text("TxtScenario", 5).enabled);
    EXPECT_TRUE(h.Button("BtnUptTuner").enabled);
    for (Widget* w : std::initializer_list<Widget*>{&h.Text("TxtDate"), &h.Text("DescriptionFld"), &h.Combo("ComboScenario"), &h.Combo("ComboAutoLoad"),
                                                    &h.Button("ScenarioAddBtn"), &h.Button("BtnModify"), &h.Button("BtnSave"), &h.Button("BtnDelScenario"),
                                                    &h.Button("BtnRetrieve"), &h.Button("UpdateBtn"), &h.Frame("AssumptionFrame"), &h.Frame("FrameDetail"),
                                                    &h.Frame("Frame1"), &h.Frame("Frame5")})
        EXPECT_FALSE(w->enabled) << w->Name();
    // With two rows selected the tuner value field changes no record.
    EXPECT_TRUE(Edit(h, h.Text("TxtScenario", 5), "150", h.Combo("ComboTuner")));
    EXPECT_EQ(TunerValues(h.Model().Valuations().Item(1)), (std::vector<double>{100, 100}));
    h.panel().UserSelectRow(h.List("ScenarioLst"), 0);
    EXPECT_TRUE(SingleMode(h));
    EXPECT_EQ(h.Text("DescriptionFld").Text(), "Up");
}

TEST(ScenarioDelete, EveryRowLeavesBothListsEmptyInTheSingleMode) {
    Harness h;
    Begin(h, {{"RecordString", kTwoSecurities}, {"ScenarioString", kFive}});
    h.panel().UserSelectRow(h.List("ScenarioLst"), 4, false, true);
    h.host.QueueAnswer(MsgAnswer::Yes);
    h.panel().UserClick(h.Button("DeleteBtn"));
    EXPECT_EQ(h.List("ScenarioLst").Count(), 0);
    EXPECT_EQ(h.List("LstImpact").Count(), 0);
    // No scenario, no valuation: the grid is empty, as it is before the
    // first scenario, so a security added now needs no row of its own.
    EXPECT_EQ(h.Model().Valuations().Count(), 0);
    EXPECT_EQ(h.Combo("ComboScenario").Count(), 5);
    EXPECT_TRUE(SingleMode(h));
    // A scenario added afterwards gets its valuations again.
    h.panel().UserType(h.Text("DescriptionFld"), "Again");
    h.panel().UserClick(h.Button("ScenarioAddBtn"));
    ASSERT_EQ(h.Model().Valuations().Count(), 2);
    EXPECT_EQ(h.Model().Valuations().Item(2).Count(), 1);
}

// Any selection goes in one delete: the rows left in both lists, the grid's
// valuations, the stored entries (the deleted ones without their impact)
// and the selection, for selections at either end, scattered and in runs.
TEST(ScenarioDelete, AnySelectionLeavesTheListsTheGridAndTheStoredEntriesInStep) {
    struct Case {
        std::vector<int> rows;  // selected with Ctrl, 0-based
        std::vector<std::string> left;
        std::vector<std::string> impacts;
        std::vector<double> tunerValues;
        std::vector<double> storedImpacts;
    };
    const std::vector<Case> table = {
        {{0}, {"S2", "S3", "S4", "S5"}, {"2,000", "3,000", "4,000", "5,000"}, {102, 103, 104, 105}, {0, 2000, 3000, 4000, 5000}},
        {{4}, {"S1", "S2", "S3", "S4"}, {"1,000", "2,000", "3,000", "4,000"}, {101, 102, 103, 104}, {1000, 2000, 3000, 4000, 0}},
        {{0, 2, 4}, {"S2", "S4"}, {"2,000", "4,000"}, {102, 104}, {0, 2000, 0, 4000, 0}},
        {{1, 2, 3}, {"S1", "S5"}, {"1,000", "5,000"}, {101, 105}, {1000, 0, 0, 0, 5000}},
        {{1, 3}, {"S1", "S3", "S5"}, {"1,000", "3,000", "5,000"}, {101, 103, 105}, {1000, 0, 3000, 0, 5000}},
        {{0, 1, 2, 3}, {"S5"}, {"5,000"}, {105}, {0, 0, 0, 0, 5000}},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(::testing::PrintToString(c.rows));
        Harness h;
        Begin(h, {{"RecordString", kTwoSecurities}, {"ScenarioString", kFive}});
        h.SelectRow(h.List("ScenarioLst"), c.rows[0]);
        for (std::size_t i = 1; i < c.rows.size(); ++i) h.SelectRow(h.List("ScenarioLst"), c.rows[i], true);
        h.host.QueueAnswer(MsgAnswer::Yes);
        h.panel().UserClick(h.Button("DeleteBtn"));
        ASSERT_EQ(h.host.messages.size(), 1u);
        EXPECT_EQ(h.host.messages[0].text, "Are you sure you want to delete the selected scenarios from list:?");
        EXPECT_EQ(h.host.messages[0].buttons, MsgButtons::YesNo);
        EXPECT_EQ(h.Rows(h.List("ScenarioLst")), c.left);
        EXPECT_EQ(h.Rows(h.List("LstImpact")), c.impacts);
        std::vector<std::string> records;
        for (int p = 1; p <= h.Model().Scenarios().Count(); ++p) records.push_back(h.Model().Scenarios().Item(p).Getdescription());
        EXPECT_EQ(records, c.left);
        ASSERT_EQ(h.Model().Valuations().Count(), 2);
        for (int s = 1; s <= 2; ++s) EXPECT_EQ(TunerValues(h.Model().Valuations().Item(s)), c.tunerValues);
        std::vector<double> stored;
        for (int p = 1; p <= h.Model().StoredScenarios().Count(); ++p) stored.push_back(h.Model().StoredScenarios().Item(p).GetImpact());
        EXPECT_EQ(stored, c.storedImpacts);
        EXPECT_EQ(h.Combo("ComboScenario").Count(), 5);
        std::vector<bool> selection(c.left.size(), false);
        selection[0] = true;
        EXPECT_EQ(Selection(h.List("ScenarioLst")), selection);
        EXPECT_EQ(h.List("ScenarioLst").ListIndex(), 0);
        EXPECT_EQ(h.Text("DescriptionFld").Text(), c.left[0]);
    }
}

TEST(ScenarioDelete, NothingSelectedOrAnsweredNoDeletesNothing) {
    Harness h;
    Begin(h, {{"ScenarioString", kFive}});
    h.panel().UserSelectRow(h.List("ScenarioLst"), 0, true);  // clears the only selected row
    h.panel().UserClick(h.Button("DeleteBtn"));
    EXPECT_EQ(h.Messages(), (std::vector<std::string>{"Choose scenario you wish to delete!"}));
    h.panel().UserSelectRow(h.List("ScenarioLst"), 2);
    h.panel().UserClick(h.Button("DeleteBtn"));  // answered No
    EXPECT_EQ(h.Model().Scenarios().Count(), 5);
    EXPECT_EQ(h.List("ScenarioLst").Count(), 5);
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
    Begin(h, {{"RecordString", kTwoSecurities},
              {"ScenarioString", "Up;5;0;0;30;0;120;0;1;N|Down;-5;0;0;0;0;130;0;1;N"}});
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
    for (TextBox* box : {&h.Text("TxtScenario", 1), &h.Text("TxtScenario", 0), &h.Text("DescriptionFld"), &h.Text("TxtDate"), &h.Text("TxtTunerVal")}) {
        box->selLength = 0;
        h.panel().UserFocus(*box);
        EXPECT_EQ(box->selStart, 0) << box->Name();
        EXPECT_EQ(box->selLength, static_cast<int>(box->Text().size())) << box->Name();
    }
}

}  // namespace

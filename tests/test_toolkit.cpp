// The widget layer's behaviours that the control relies on: focus and
// validation, events raised by code, frames, drop-down locking, key preview,
// modal dialogs and failure reporting.
#include <gtest/gtest.h>

#include <stdexcept>

#include "HeadlessHost.h"
#include "toolkit/Form.h"

using namespace zemra;

namespace {

struct FormFixture : ::testing::Test {
    headless::HeadlessHost host{Date{2026, 12, 6}};
    UiContext ui{host};
    Form form{ui, "Panel"};
    Frame& frame = form.Add<Frame>("Frame", nullptr);
    TextBox& first = form.Add<TextBox>("First", &frame);
    TextBox& second = form.Add<TextBox>("Second", &frame);
    Button& button = form.Add<Button>("Button", nullptr);
    ListBox& list = form.Add<ListBox>("List", nullptr);
    std::vector<std::string> events;

    void SetUp() override {
        ui.onFailure = [this](const std::exception& e) { events.push_back(std::string("failure:") + e.what()); };
        second.GotFocus = [this] { events.push_back("second.GotFocus"); };
        second.Validate = [this](bool&) { events.push_back("second.Validate"); };
        button.Click = [this] { events.push_back("button.Click"); };
        button.GotFocus = [this] { events.push_back("button.GotFocus"); };
        list.Click = [this] { events.push_back("list.Click"); };
        list.AddItem("a");
        list.AddItem("b");
        list.AddItem("c");
    }
};

TEST_F(FormFixture, RefusedValidationKeepsFocusAndNothingHappensInTheTarget) {
    first.Validate = [this](bool& cancel) {
        events.push_back("first.Validate");
        cancel = true;
    };
    ASSERT_TRUE(form.UserFocus(first));
    EXPECT_FALSE(form.UserFocus(second));
    EXPECT_FALSE(form.UserClick(button));
    EXPECT_FALSE(form.UserSelectRow(list, 1));
    EXPECT_EQ(form.Focused(), &first);
    EXPECT_EQ(events, (std::vector<std::string>{"first.Validate", "first.Validate", "first.Validate"}));
    EXPECT_EQ(list.ListIndex(), -1);
}

TEST_F(FormFixture, AcceptedValidationMovesFocusThenRaisesGotFocus) {
    ASSERT_TRUE(form.UserFocus(second));
    ASSERT_TRUE(form.UserClick(button));
    EXPECT_EQ(events, (std::vector<std::string>{"second.GotFocus", "second.Validate", "button.GotFocus", "button.Click"}));
    EXPECT_EQ(form.Focused(), &button);
}

TEST_F(FormFixture, AValidateThatMovesTheFocusAbandonsTheUsersMove) {
    first.Validate = [this](bool&) { form.SetFocus(second); };
    form.UserFocus(first);
    events.clear();
    EXPECT_FALSE(form.UserClick(button));
    EXPECT_EQ(form.Focused(), &second);
    EXPECT_EQ(events, (std::vector<std::string>{"second.GotFocus"}));
}

TEST_F(FormFixture, SelectionFromCodeRaisesClickAndMakesTheRowCurrent) {
    list.SetSelected(2, true);
    EXPECT_EQ(list.ListIndex(), 2);
    list.multiSelect = false;
    list.SetListIndex(0);
    EXPECT_EQ(list.ListIndex(), 0);
    EXPECT_FALSE(list.Selected(2));
    EXPECT_EQ(events, (std::vector<std::string>{"list.Click", "list.Click"}));
}

TEST_F(FormFixture, ExtendedSelectionClicksCtrlClicksAndShiftClicks) {
    list.multiSelect = true;
    form.UserSelectRow(list, 0);
    form.UserSelectRow(list, 2, /*ctrl=*/true);
    EXPECT_EQ(list.SelCount(), 2);
    form.UserSelectRow(list, 0, /*ctrl=*/true);
    EXPECT_FALSE(list.Selected(0));
    EXPECT_EQ(list.ListIndex(), 0);
    form.UserSelectRow(list, 2, false, /*shift=*/true);
    EXPECT_EQ(list.SelCount(), 3);
    form.UserSelectRow(list, 1);
    EXPECT_EQ(list.SelCount(), 1);
    EXPECT_TRUE(list.Selected(1));
}

TEST_F(FormFixture, RemovingTheCurrentRowLeavesNoCurrentRow) {
    list.SetListIndex(1);
    list.RemoveItem(0);
    EXPECT_EQ(list.ListIndex(), 0);
    list.RemoveItem(0);
    EXPECT_EQ(list.ListIndex(), -1);
}

TEST_F(FormFixture, ADisabledFrameDisablesItsChildrenWithoutChangingTheirSetting) {
    frame.enabled = false;
    EXPECT_FALSE(first.IsEnabled());
    EXPECT_TRUE(first.enabled);
    EXPECT_FALSE(form.UserType(first, "x"));
    EXPECT_EQ(first.Text(), "");
    frame.enabled = true;
    EXPECT_TRUE(form.UserType(first, "x"));
    EXPECT_EQ(first.Text(), "x");
}

TEST_F(FormFixture, LockedTextFieldTakesTheFocusButNotTheText) {
    first.SetText("keep");
    first.locked = true;
    EXPECT_TRUE(form.UserType(first, "new"));
    EXPECT_EQ(first.Text(), "keep");
}

TEST_F(FormFixture, TheFormSeesAKeyBeforeTheElement) {
    form.KeyPreview = [this](int code, int) { events.push_back("preview:" + std::to_string(code)); };
    first.KeyDown = [this](int code, int) { events.push_back("first:" + std::to_string(code)); };
    form.UserKey(first, 13);
    EXPECT_EQ(events, (std::vector<std::string>{"preview:13", "first:13"}));
}

TEST_F(FormFixture, ALockedDropDownTakesAPickOnlyWhenOpeningItsListUnlocksIt) {
    ComboBox& combo = form.Add<ComboBox>("Combo", nullptr);
    combo.AddItem("one");
    combo.AddItem("two");
    combo.locked = true;
    EXPECT_FALSE(form.UserPick(combo, 1));
    EXPECT_EQ(combo.ListIndex(), -1);
    combo.DropDown = [&] { combo.locked = false; };
    combo.Click = [&] { combo.locked = true; };
    EXPECT_TRUE(form.UserPick(combo, 1));
    EXPECT_EQ(combo.Text(), "two");
    EXPECT_TRUE(combo.locked);
    combo.SetText("one");
    EXPECT_EQ(combo.ListIndex(), 0);
    combo.SetText("none of them");
    EXPECT_EQ(combo.ListIndex(), -1);
    EXPECT_EQ(combo.Text(), "none of them");
}

TEST_F(FormFixture, OptionButtonsOfAGroupExcludeEachOther) {
    OptionButton& a = form.Add<OptionButton>("A", nullptr, "g");
    OptionButton& b = form.Add<OptionButton>("B", nullptr, "g");
    OptionButton& other = form.Add<OptionButton>("Other", nullptr, "h");
    other.SetValue(true);
    form.UserClick(a);
    form.UserClick(b);
    EXPECT_FALSE(a.Value());
    EXPECT_TRUE(b.Value());
    EXPECT_TRUE(other.Value());
}

TEST_F(FormFixture, AFailureEndsTheWholeUserActionAndIsReportedOnce) {
    list.Click = [] { throw std::runtime_error("boom"); };
    button.Click = [this] {
        events.push_back("before");
        list.SetListIndex(0);
        events.push_back("after");
    };
    form.UserClick(button);
    EXPECT_EQ(events, (std::vector<std::string>{"button.GotFocus", "before", "failure:boom"}));
    events.clear();
    form.UserClick(button);   // the form still works
    EXPECT_EQ(events.front(), "before");
}

TEST_F(FormFixture, AModalDialogKeepsThePanelFromTheUser) {
    Form dialog(ui, "Dialog");
    Button& ok = dialog.Add<Button>("OK", nullptr);
    dialog.Show(/*asModal=*/true);
    EXPECT_FALSE(form.UserClick(button));
    EXPECT_TRUE(dialog.UserClick(ok));
    dialog.Unload();
    EXPECT_TRUE(form.UserClick(button));
    EXPECT_FALSE(dialog.UserClick(ok));
}

}  // namespace

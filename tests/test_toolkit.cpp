// The widget layer's behaviours that the control and its hosts rely on:
// focus and validation, events raised by code, frames, drop-down locking,
// key preview, modal dialogs, failure reporting, the registry of open forms,
// the tab order, the snapshot and the user actions hosts pass on.
#include <gtest/gtest.h>

#include <stdexcept>
#include <tuple>

#include "HeadlessHost.h"
#include "toolkit/Form.h"
#include "toolkit/Snapshot.h"
#include "toolkit/UserAction.h"

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

// Removing many rows in one pass does what removing them one after the
// other does: the rows left keep their order, text and selection, and the
// current row follows its row or becomes -1 with it.
TEST_F(FormFixture, RemovingFlaggedRowsKeepsTheRestAndFollowsTheCurrentRow) {
    // The flags, the current row, the rows left and the current row after;
    // rows beyond the flags stay.
    using Rows = std::vector<std::string>;
    const std::tuple<std::vector<bool>, int, Rows, int> table[] = {{{false, false, false}, 1, {"a", "b", "c"}, 1},
                                                                   {{true, false, false}, 2, {"b", "c"}, 1},
                                                                   {{false, true, false}, 1, {"a", "c"}, -1},
                                                                   {{true, false, true}, 1, {"b"}, 0},
                                                                   {{true, true, true}, 0, {}, -1},
                                                                   {{false, true}, 2, {"a", "c"}, 1}};
    for (const auto& [flags, current, rowsLeft, currentAfter] : table) {
        list.Clear();
        for (const char* text : {"a", "b", "c"}) list.AddItem(text);
        list.SetListIndex(current);
        list.RemoveFlaggedItems(flags);
        Rows left;
        for (const auto& row : list.Rows()) left.push_back(row.text);
        EXPECT_EQ(left, rowsLeft) << current;
        EXPECT_EQ(list.ListIndex(), currentAfter) << current;
        // Only the row that was current stays selected, if it is left.
        const std::string currentText(1, "abc"[current]);
        for (const auto& row : list.Rows()) EXPECT_EQ(row.selected, row.text == currentText) << row.text;
    }
}

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
    EXPECT_EQ(events,
              (std::vector<std::string>{"second.GotFocus", "second.Validate", "button.GotFocus", "button.Click"}));
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
    // Removing the current row leaves no current row.
    list.SetListIndex(1);
    list.RemoveItem(0);
    EXPECT_EQ(list.ListIndex(), 0);
    list.RemoveItem(0);
    EXPECT_EQ(list.ListIndex(), -1);
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

TEST_F(FormFixture, TypingNeedsAnEnabledFrameAndAnUnlockedField) {
    // A disabled frame disables its children without changing their setting.
    frame.enabled = false;
    EXPECT_FALSE(first.IsEnabled());
    EXPECT_TRUE(first.enabled);
    EXPECT_FALSE(form.UserType(first, "x"));
    EXPECT_EQ(first.Text(), "");
    frame.enabled = true;
    EXPECT_TRUE(form.UserType(first, "x"));
    EXPECT_EQ(first.Text(), "x");
    // A locked field takes the focus but not the text.
    first.locked = true;
    EXPECT_TRUE(form.UserType(first, "new"));
    EXPECT_EQ(first.Text(), "x");
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
    form.UserClick(button);  // the form still works
    EXPECT_EQ(events.front(), "before");
}

// A modal dialog keeps the panel from the user until it is closed:
// golden/carry_modal, search_modal and matrix_modal.

TEST_F(FormFixture, TabGoesByTabIndexThenCreationOrderSkippingWhatCannotTakeTheFocus) {
    second.tabIndex = 0;
    list.tabIndex = 1;
    button.enabled = false;
    // Stops: second, list (by tab index), then first (creation order).
    const std::tuple<Widget*, bool, Widget*> cases[] = {
        {&second, false, &list},   {&list, false, &first},  {&first, false, &second}, {&second, true, &first},
        {&button, false, &second}, {&button, true, &first}, {nullptr, false, &second}};
    for (const auto& [from, backwards, next] : cases)
        EXPECT_EQ(form.NextTabStop(from, backwards), next)
            << (from ? from->Name() : "focus") << (backwards ? " backwards" : "");
    frame.visible = false;
    EXPECT_EQ(form.NextTabStop(&list, false), &list);
}

TEST_F(FormFixture, TheRegistryListsTheMainFormThenTheDialogsShownUntilUnloaded) {
    auto names = [this] {
        std::string out;
        for (const Form* f : ui.OpenForms()) out += f->Name() + "#" + std::to_string(f->Instance()) + " ";
        return out;
    };
    auto dialogA = std::make_unique<Form>(ui, "A");
    Form dialogB(ui, "B");
    EXPECT_EQ(names(), "Panel#1 ");
    dialogB.Show(false);
    dialogA->Show(false);
    EXPECT_EQ(names(), "Panel#1 B#2 A#3 ");
    EXPECT_EQ(ui.FindOpenForm(""), &form);
    EXPECT_EQ(ui.FindOpenForm("A"), dialogA.get());
    dialogB.Unload();
    dialogB.Show(true);  // shown again: a new instance
    dialogA.reset();     // a dialog that goes away leaves the registry
    EXPECT_EQ(names(), "Panel#1 B#4 ");
    EXPECT_EQ(ui.FindOpenForm("A"), nullptr);
}

// What a widget's snapshot holds (layout, state, defaults left out):
// golden/startup_empty dumps every element of the panel; the enabled state
// under a disabled frame: golden/scenarios_session; option buttons:
// golden/carry_session; an escaped quote: golden/results_table.
TEST_F(FormFixture, ASnapshotFilteredByNameListsEveryOpenFormWithOnlyThoseWidgets) {
    form.UserFocus(first);
    Form dialog(ui, "Dlg");
    dialog.caption = "Rates";
    dialog.left = 10;
    dialog.top = 20;
    dialog.Add<Button>("OK", nullptr);
    dialog.Add<Button>("Cancel", nullptr);
    dialog.Show(true);
    const JsonValue snap = TakeSnapshot(ui, {"Button", "Dlg.OK"});
    EXPECT_EQ(snap.Find("pointer")->Write(), "0");
    EXPECT_EQ(snap.Find("modalOpen")->Write(), "1");
    const auto& forms = snap.Find("forms")->Items();
    ASSERT_EQ(forms.size(), 2u);
    EXPECT_EQ(forms[0].Find("widgets")->Keys(), std::vector<std::string>{"Button"});
    EXPECT_EQ(forms[0].Find("focus")->Write(), R"("First")");
    EXPECT_EQ(forms[1].Find("widgets")->Keys(), std::vector<std::string>{"OK"});
    const std::pair<const char*, const char*> dialogKeys[] = {
        {"name", R"("Dlg")"}, {"caption", R"("Rates")"}, {"instance", "2"},   {"dialog", "true"},
        {"modal", "true"},    {"focus", "null"},         {"place", "[10,20]"}};
    for (const auto& [key, json] : dialogKeys) EXPECT_EQ(forms[1].Find(key)->Write(), json) << key;
    EXPECT_EQ(TakeSnapshot(ui).Find("forms")->Items()[0].Find("widgets")->Size(), form.Widgets().size());
}

// The actions hosts pass on, in the text form of the headless host's
// scripts, each on a fresh form.
TEST(UserAction, EachActionReachesItsElementOrSaysWhatItNamesWrongly) {
    // The line, "reached", "not reached" or the start of the error, and the
    // main form's focus afterwards.
    // clang-format off
    const std::tuple<const char*, std::string, const char*> cases[] = {
        {"type Text hello", "reached", "Text"}, {"type Off hello", "not reached", ""}, {"click Check", "reached", "Check"},
        {"check Check 0", "reached", ""}, {"select List 1", "reached", "List"}, {"ctrlselect List 0", "reached", "List"},
        {"dblclick List 1", "reached", "List"}, {"pick Combo two", "reached", "Combo"}, {"key Text 13", "reached", "Text"},
        {"key Text 9", "reached", "List"}, {"key Text 9 1", "reached", "Combo"}, {"close Dlg", "reached", ""},
        {"close Main", "not reached", ""}, {"focus Dlg.OK", "reached", ""},
        {"wave Text", "unknown action 'wave'", ""}, {"click", "'click' needs an element name", ""},
        {"click Nothing", "unknown element 'Nothing'", ""},
        {"click Text", "'click' needs a button, check box or option button", ""},
        {"type Check x", "'type' needs a textbox, and 'Check' is a checkbox", ""},
        {"select List 3", "'List' has no row 3", ""}, {"select List one", "row 'one' is not a whole number", ""},
        {"pick Combo three", "'Combo' has no entry 'three'", ""}, {"check Check 2", "check takes 0 or 1", ""},
        {"focus Gone.OK", "the dialog 'Gone' is not open", ""}};
    // clang-format on
    for (const auto& [line, expected, focus] : cases) {
        headless::HeadlessHost host{Date{2026, 12, 6}};
        UiContext ui{host};
        Form main(ui, "Main");
        main.Add<TextBox>("Text", nullptr).tabIndex = 0;
        main.Add<TextBox>("Off", nullptr).enabled = false;
        main.Add<CheckBox>("Check", nullptr);
        auto& list = main.Add<ListBox>("List", nullptr);
        list.tabIndex = 1;
        list.AddItem("a");
        list.AddItem("b");
        auto& combo = main.Add<ComboBox>("Combo", nullptr);
        combo.AddItem("one");
        combo.AddItem("two");
        Form dialog(ui, "Dlg");
        dialog.Add<Button>("OK", nullptr);
        dialog.Show(false);
        std::string outcome;
        try {
            outcome = ApplyUserAction(ui, ParseUserAction(line)) ? "reached" : "not reached";
        } catch (const ActionError& e) {
            outcome = e.what();
        }
        EXPECT_EQ(outcome.substr(0, expected.size()), expected) << line << ": " << outcome;
        EXPECT_EQ(main.Focused() ? main.Focused()->Name() : "", focus) << line;
    }
}

}  // namespace

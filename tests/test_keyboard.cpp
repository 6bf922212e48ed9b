// Keyboard navigation: the move tables through their header, and Enter and
// the arrows in the panel as a user presses them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Harness.h"
#include "control/KeyboardMoves.h"
#include "toolkit/UserAction.h"

using namespace zemra;
using namespace zemra::testing;

namespace {

// The fields of the input grid, by tab index.
std::vector<Widget*> Grid(Harness& h) {
    return {&h.Text("TxtScenario", 0),    &h.Text("TxtScenario", 1),    &h.Text("TxtScenario", 2),    &h.Text("TxtScenario", 3),   &h.Text("TxtScenario", 4),
            &h.Combo("ComboTuner"),        &h.Text("TxtScenario", 5),    &h.Text("DescriptionFld"),    &h.Text("TxtAssumptions", 0), &h.Text("TxtDelta"),
            &h.Text("TxtAssumptions", 5), &h.Text("TxtAssumptions", 1), &h.Text("TxtAssumptions", 6), &h.Text("TxtAssumptions", 2), &h.Text("TxtAssumptions", 7),
            &h.Combo("CallAdjustmentComb"), &h.Text("TxtAssumptions", 3), &h.Combo("CurveComboBox"),   &h.Text("TxtAssumptions", 4)};
}

struct Panel : Harness {
    Panel() {
        Replies({{kDetail, "0"}, {kCarry, "0"}, {kPages, "0"}});
        Start({{"TunerString", "1;Standard|2;Aggressive"},
               {"CurveOptions", "USG;US Government"},
               {"CallAdjustment", "1;None"},
               {"RecordString", kSecurityA},
               {"ScenarioString", "Up;10;0;0;0;0;100;0;1;N"},
               {"ScenarioDetailPath", kDetail},
               {"CarryCalcPath", kCarry},
               {"CapitalCalcPath", kCapital}});
        host.messages.clear();
    }
    // Presses a key in an element; returns the element with the focus.
    Widget* Press(Widget& in, int key, int shift = 0) {
        panel().UserKey(in, key, shift);
        return panel().Focused();
    }
    // The tab indexes a key walks through from `from`, until it stops.
    std::vector<int> Walk(int key, int from) {
        std::vector<int> seen = {from};
        Widget* at = Grid(*this)[static_cast<std::size_t>(from)];
        for (int i = 0; i < 30; ++i) {
            Widget* next = Press(*at, key);
            if (next == at) break;
            at = next;
            seen.push_back(at->tabIndex);
        }
        return seen;
    }
};

}  // namespace

TEST(KeyboardMoves, EnterWrapsAndLeftUndoesRight) {
    for (int16_t i = 0; i < kNavigableFields; ++i) {
        EXPECT_EQ(EnterMove(i), (i + 1) % kNavigableFields);
        if (const auto right = RightMove(i)) {
            EXPECT_EQ(LeftMove(*right), i) << i;
        }
    }
    // Outside the grid, and other keys, move nothing.
    for (const auto& [key, index] : std::vector<std::pair<int, int>>{{kKeyEnter, 19}, {kKeyDown, -1}, {9, 0}, {65, 3}})
        EXPECT_FALSE(NavigationMove(key, index)) << key << " " << index;
}

TEST(KeyboardNavigation, TheGridsTabIndexesAreItsTableOrder) {
    Panel h;
    const std::vector<Widget*> grid = Grid(h);
    for (std::size_t i = 0; i < grid.size(); ++i) EXPECT_EQ(grid[i]->tabIndex, static_cast<int>(i)) << grid[i]->Name();
}

TEST(KeyboardNavigation, EachKeyMovesByItsTable) {
    Panel h;
    struct Case {
        Widget* from;
        int key;
        int shift;
        Widget* to;
    };
    const Case cases[] = {
        {&h.Text("TxtAssumptions", 4), kKeyEnter, 0, &h.Text("TxtScenario", 0)},   // wraps round
        {&h.Text("TxtScenario", 3), kKeyEnter, 0, &h.Text("TxtScenario", 4)},
        {&h.Text("TxtDelta"), kKeyDown, 0, &h.Text("TxtDelta")},                   // no move down from the hedge
        {&h.Text("TxtDelta"), kKeyUp, 0, &h.Text("TxtAssumptions", 0)},
        {&h.Text("TxtScenario", 0), kKeyLeft, 0, &h.Text("TxtScenario", 0)},
        {&h.Text("DescriptionFld"), kKeyRight, 0, &h.Text("DescriptionFld")},
        {&h.Text("TxtAssumptions", 0), kKeyRight, 0, &h.Text("TxtDelta")},
        {&h.Text("TxtAssumptions", 3), kKeyDown, 0, &h.Text("TxtAssumptions", 4)},
        {&h.Text("TxtAssumptions", 4), kKeyUp, 0, &h.Combo("CallAdjustmentComb")},
        {&h.Text("TxtScenario", 5), kKeyDown, 0, &h.Text("DescriptionFld")},
        // Shift or Ctrl held with an arrow moves the same way.
        {&h.Text("TxtDelta"), kKeyUp, kShiftMask, &h.Text("TxtAssumptions", 0)},
        {&h.Text("TxtAssumptions", 0), kKeyRight, kCtrlMask, &h.Text("TxtDelta")},
        // Other keys move nothing.
        {&h.Text("TxtScenario", 0), 65, 0, &h.Text("TxtScenario", 0)},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(h.Press(*k.from, k.key, k.shift), k.to) << k.from->Name() << " key " << k.key;
    }
}

TEST(KeyboardNavigation, WalksWithEnterAndTheArrows) {
    Panel h;
    std::vector<int> all;
    for (int i = 0; i < kNavigableFields; ++i) all.push_back(i);
    all.push_back(0);
    std::vector<int> enter = h.Walk(kKeyEnter, 0);
    enter.resize(all.size());
    EXPECT_EQ(enter, all);
    EXPECT_EQ(h.Walk(kKeyDown, 0), (std::vector<int>{0, 1, 2, 3, 4, 5, 7, 8, 11, 13, 15, 18}));
    EXPECT_EQ(h.Walk(kKeyUp, 18), (std::vector<int>{18, 15, 13, 11, 8, 7, 5, 4, 3, 2, 1, 0}));
    EXPECT_EQ(h.Walk(kKeyRight, 15), (std::vector<int>{15, 16, 17}));
    EXPECT_EQ(h.Walk(kKeyLeft, 10), (std::vector<int>{10, 9, 8}));
}

TEST(KeyboardNavigation, ADropDownEnteredByAKeyIsLocked) {
    Panel h;
    for (ComboBox* combo : {&h.Combo("ComboTuner"), &h.Combo("CallAdjustmentComb"), &h.Combo("CurveComboBox")}) combo->locked = false;
    EXPECT_EQ(h.Press(h.Text("TxtScenario", 4), kKeyDown), &h.Combo("ComboTuner"));
    EXPECT_TRUE(h.Combo("ComboTuner").locked);
    EXPECT_EQ(h.Press(h.Combo("ComboTuner"), kKeyDown), &h.Text("DescriptionFld"));
    EXPECT_EQ(h.Press(h.Text("TxtAssumptions", 7), kKeyEnter), &h.Combo("CallAdjustmentComb"));
    EXPECT_TRUE(h.Combo("CallAdjustmentComb").locked);
    EXPECT_EQ(h.Press(h.Text("TxtAssumptions", 3), kKeyRight), &h.Combo("CurveComboBox"));
    EXPECT_TRUE(h.Combo("CurveComboBox").locked);
}

TEST(KeyboardNavigation, AFieldThatRefusesItsTextKeepsTheFocus) {
    Panel h;
    h.panel().UserType(h.Text("TxtAssumptions", 7), "abc");
    EXPECT_EQ(h.Press(h.Text("TxtAssumptions", 7), kKeyEnter), &h.Text("TxtAssumptions", 7));
    EXPECT_EQ(h.Messages(), (std::vector<std::string>{"Please enter only digit characters in this field!"}));
    h.panel().UserType(h.Text("TxtAssumptions", 7), "33");
    EXPECT_EQ(h.Press(h.Text("TxtAssumptions", 7), kKeyEnter), &h.Combo("CallAdjustmentComb"));
    EXPECT_EQ(h.Model().Securities().Item(1).GetProperties(VolatilityIdx), 33);
}

TEST(KeyboardNavigation, KeysInElementsOutsideTheGridAreLeftToThem) {
    Panel h;
    for (Widget* outside : std::vector<Widget*>{&h.Text("QuickSearchFld"), &h.Text("TxtTunerVal"), &h.Text("TxtDate")}) {
        for (int key : {kKeyEnter, kKeyDown, kKeyRight}) {
            EXPECT_EQ(h.Press(*outside, key), outside) << outside->Name() << " " << key;
        }
    }
}

// Keyboard navigation: the move tables through their header, and walks with
// Enter and the arrows through the panel. Each key's move from a field, a
// refused field keeping the focus and keys outside the grid:
// golden/keyboard_keys; the grid's tab indexes: golden/startup_empty.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Harness.h"
#include "control/KeyboardMoves.h"

using namespace zemra;
using namespace zemra::testing;

namespace {

// The fields of the input grid, by tab index.
std::vector<Widget*> Grid(Harness& h) {
    return {&h.Text("TxtScenario", 0),    &h.Text("TxtScenario", 1),
            &h.Text("TxtScenario", 2),    &h.Text("TxtScenario", 3),
            &h.Text("TxtScenario", 4),    &h.Combo("ComboTuner"),
            &h.Text("TxtScenario", 5),    &h.Text("DescriptionFld"),
            &h.Text("TxtAssumptions", 0), &h.Text("TxtDelta"),
            &h.Text("TxtAssumptions", 5), &h.Text("TxtAssumptions", 1),
            &h.Text("TxtAssumptions", 6), &h.Text("TxtAssumptions", 2),
            &h.Text("TxtAssumptions", 7), &h.Combo("CallAdjustmentComb"),
            &h.Text("TxtAssumptions", 3), &h.Combo("CurveComboBox"),
            &h.Text("TxtAssumptions", 4)};
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
    for (ComboBox* combo : {&h.Combo("ComboTuner"), &h.Combo("CallAdjustmentComb"), &h.Combo("CurveComboBox")})
        combo->locked = false;
    EXPECT_EQ(h.Press(h.Text("TxtScenario", 4), kKeyDown), &h.Combo("ComboTuner"));
    EXPECT_TRUE(h.Combo("ComboTuner").locked);
    EXPECT_EQ(h.Press(h.Combo("ComboTuner"), kKeyDown), &h.Text("DescriptionFld"));
    EXPECT_EQ(h.Press(h.Text("TxtAssumptions", 7), kKeyEnter), &h.Combo("CallAdjustmentComb"));
    EXPECT_TRUE(h.Combo("CallAdjustmentComb").locked);
    EXPECT_EQ(h.Press(h.Text("TxtAssumptions", 3), kKeyRight), &h.Combo("CurveComboBox"));
    EXPECT_TRUE(h.Combo("CurveComboBox").locked);
}

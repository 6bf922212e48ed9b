// Keyboard navigation: the move tables through their header, and walks with
// Enter and the arrows through the panel. Each key's move from a field, a
// drop-down entered by a key locked, a refused field keeping the focus and
// keys outside the grid: golden/keyboard_keys; the grid's tab indexes:
// golden/startup_empty; Escape and Enter in the dialogs: golden/dialog_keys.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Harness.h"
#include "control/KeyboardMoves.h"

using namespace zemra;
using namespace zemra::testing;

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

// The tab indexes a key walks through from a field, pressing it in the
// field that has the focus until the focus stays.
TEST(KeyboardNavigation, WalksWithEnterAndTheArrows) {
    Harness h;
    h.StartWithZeros(kSecurityA, "Up;10;0;0;0;0;100;0;1;N");
    auto walk = [&](int key, int from) {
        std::vector<int> seen = {from};
        Widget* at = nullptr;
        for (const auto& w : h.panel().Widgets())
            if (w->tabIndex == from) at = w.get();
        for (int i = 0; i < kNavigableFields && at; ++i) {
            h.panel().UserKey(*at, key);
            if (h.panel().Focused() == at) break;
            at = h.panel().Focused();
            seen.push_back(at->tabIndex);
        }
        return seen;
    };
    std::vector<int> all;
    for (int i = 0; i <= kNavigableFields; ++i) all.push_back(i % kNavigableFields);
    EXPECT_EQ(walk(kKeyEnter, 0), all);
    EXPECT_EQ(walk(kKeyDown, 0), (std::vector<int>{0, 1, 2, 3, 4, 5, 7, 8, 11, 13, 15, 18}));
    EXPECT_EQ(walk(kKeyUp, 18), (std::vector<int>{18, 15, 13, 11, 8, 7, 5, 4, 3, 2, 1, 0}));
    EXPECT_EQ(walk(kKeyRight, 15), (std::vector<int>{15, 16, 17}));
    EXPECT_EQ(walk(kKeyLeft, 10), (std::vector<int>{10, 9, 8}));
    EXPECT_TRUE(h.host.messages.empty()) << h.Messages().front();
    // A drop-down entered by a key is locked, though its list had been open.
    for (const char* name : {"ComboTuner", "CallAdjustmentComb", "CurveComboBox"}) {
        ComboBox& combo = h.Combo(name);
        combo.locked = false;
        h.panel().UserKey(*h.panel().NextTabStop(&combo, true), kKeyEnter);
        EXPECT_TRUE(h.panel().Focused() == &combo && combo.locked) << name;
    }
}

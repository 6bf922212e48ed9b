#pragma once
// Moves of the focus across the panel's input grid with Enter and the
// arrow keys, by tab index (0 to 18: the scenario fields, the tuner and the
// description, then the assumption fields).
#include <cstdint>
#include <optional>

#include "toolkit/Widgets.h"

namespace zemra {

constexpr int kKeyLeft = 37;
constexpr int kKeyUp = 38;
constexpr int kKeyRight = 39;
constexpr int kKeyDown = 40;

// The navigable fields hold tab indexes 0 to this number minus 1.
constexpr int kNavigableFields = 19;

// One move routine per key: the tab index the focus moves to from
// `tabIndex`, or nothing when the key has no move there.
std::optional<int16_t> EnterMove(int16_t tabIndex);
std::optional<int16_t> LeftMove(int16_t tabIndex);
std::optional<int16_t> RightMove(int16_t tabIndex);
std::optional<int16_t> UpMove(int16_t tabIndex);
std::optional<int16_t> DownMove(int16_t tabIndex);

// The move of a key from a tab index; nothing for any other key or a tab
// index outside the grid.
std::optional<int16_t> NavigationMove(int keyCode, int tabIndex);

}  // namespace zemra

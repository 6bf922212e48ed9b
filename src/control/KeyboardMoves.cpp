#include "control/KeyboardMoves.h"

#include <array>
#include <utility>

namespace zemra {

namespace {

using Move = std::pair<int16_t, int16_t>;  // from, to

template <std::size_t N>
std::optional<int16_t> Find(const std::array<Move, N>& moves, int16_t from) {
    for (const Move& m : moves)
        if (m.first == from) return m.second;
    return std::nullopt;
}

constexpr std::array<Move, 7> kRight = {{{5, 6}, {8, 9}, {9, 10}, {11, 12}, {13, 14}, {15, 16}, {16, 17}}};
constexpr std::array<Move, 7> kLeft = {{{6, 5}, {9, 8}, {10, 9}, {12, 11}, {14, 13}, {16, 15}, {17, 16}}};
constexpr std::array<Move, 16> kDown = {{{0, 1},
                                         {1, 2},
                                         {2, 3},
                                         {3, 4},
                                         {4, 5},
                                         {5, 7},
                                         {6, 7},
                                         {7, 8},
                                         {8, 11},
                                         {10, 12},
                                         {11, 13},
                                         {12, 14},
                                         {13, 15},
                                         {14, 17},
                                         {15, 18},
                                         {16, 18}}};
constexpr std::array<Move, 18> kUp = {{{1, 0},
                                       {2, 1},
                                       {3, 2},
                                       {4, 3},
                                       {5, 4},
                                       {6, 5},
                                       {7, 5},
                                       {8, 7},
                                       {9, 8},
                                       {10, 9},
                                       {11, 8},
                                       {12, 10},
                                       {13, 11},
                                       {14, 12},
                                       {15, 13},
                                       {16, 15},
                                       {17, 14},
                                       {18, 15}}};

}  // namespace

std::optional<int16_t> EnterMove(int16_t tabIndex) {
    if (tabIndex < 0 || tabIndex >= kNavigableFields) return std::nullopt;
    return static_cast<int16_t>((tabIndex + 1) % kNavigableFields);
}
std::optional<int16_t> LeftMove(int16_t tabIndex) { return Find(kLeft, tabIndex); }
std::optional<int16_t> RightMove(int16_t tabIndex) { return Find(kRight, tabIndex); }
std::optional<int16_t> UpMove(int16_t tabIndex) { return Find(kUp, tabIndex); }
std::optional<int16_t> DownMove(int16_t tabIndex) { return Find(kDown, tabIndex); }

std::optional<int16_t> NavigationMove(int keyCode, int tabIndex) {
    if (tabIndex < 0 || tabIndex >= kNavigableFields) return std::nullopt;
    const auto from = static_cast<int16_t>(tabIndex);
    switch (keyCode) {
        case kKeyEnter: return EnterMove(from);
        case kKeyLeft: return LeftMove(from);
        case kKeyUp: return UpMove(from);
        case kKeyRight: return RightMove(from);
        case kKeyDown: return DownMove(from);
        default: return std::nullopt;
    }
}

}  // namespace zemra

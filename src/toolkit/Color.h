#pragma once
#include <cstdint>
#include <string>

#include "toolkit/NumberText.h"

namespace zemra {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
    std::string Hex() const;  // "#RRGGBB"
};

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kRed{255, 0, 0};
// The system's button-face colour: the back colour of frames and of locked
// dependent fields.
constexpr Rgb kButtonFace{240, 240, 240};

// Blue for a figure of 0 or more as it is shown, with `decimals` places,
// red below 0: the colour follows the text, so a figure that rounds to zero
// ("0.000") is never shown as a loss.
inline Rgb SignColor(double value, int decimals) { return RoundHalfAway(value, decimals) < 0 ? kRed : kBlue; }

}  // namespace zemra

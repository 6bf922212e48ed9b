#pragma once
#include <cstdint>
#include <optional>

#include "records/CValuation.h"

namespace zemra {

// The carry option of a valuation (its optCarry): which carry its $Impact
// adds. Any other value adds none.
enum CarryOption : int32_t {
    kUseFullCarry = 0,  // Carry(m_CarryIdx)
    kUseNetCarry = 1,   // Carry(m_NetCarryIdx)
};

// The carry a valuation's option chooses, or nothing for any other option.
inline std::optional<double> ChosenCarry(long carryOption, double fullCarry, double netCarry) {
    if (carryOption == kUseFullCarry) return fullCarry;
    if (carryOption == kUseNetCarry) return netCarry;
    return std::nullopt;
}

inline std::optional<double> ChosenCarry(const CValuation& val) {
    return ChosenCarry(val.GetoptCarry(), val.GetCarry(m_CarryIdx), val.GetCarry(m_NetCarryIdx));
}

}  // namespace zemra

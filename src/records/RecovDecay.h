#pragma once
#include <string>

#include "toolkit/TextSplit.h"

namespace zemra {

// The recovery/decay choice of a security (field 28 of its record): its one
// stored number is the bond recovery rate under "R" (in any case) and the
// spread decay factor under any other code.
inline constexpr const char* kRecoveryRate = "R";
inline constexpr const char* kDecayFactor = "D";

inline bool IsRecoveryRate(const std::string& code) { return ToUpper(code) == kRecoveryRate; }

}  // namespace zemra

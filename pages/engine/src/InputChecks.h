// Preconditions of a valuation: each failure throws std::invalid_argument
// naming the value at fault.
#pragma once

#include <cstddef>

#include "ScenarioValuation.h"

namespace zemra::engine {

void CheckValuationInput(const ValuationInput& input);
void CheckScenario(const ScenarioShift& shift, std::size_t index);

}  // namespace zemra::engine

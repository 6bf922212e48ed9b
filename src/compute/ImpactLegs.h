#pragma once
// What a security's sub-impact under a scenario is made of: the move of the
// price its type is valued by, the stock leg and the carry, each in dollars
// (divided by the security's FxToUsd as the sub-impact is). The legs come
// from the impact functions of server/ImpactMath.h, so that they add up to
// the sub-impact the impact run computes.
#include <optional>

#include "records/CScenario.h"
#include "records/CSecurity.h"
#include "records/CValuation.h"
#include "records/SecurityType.h"

namespace zemra {

struct ImpactLegs {
    double priceMove = 0;  // the change in the price the impact is valued by, in its own units
    double price = 0;      // the change in value on the convert position
    double stock = 0;      // the change in the stock price on the stock position
    double carry = 0;      // the carry the valuation's carry option adds
    double Sum() const { return price + stock + carry; }
};

// Whether a security valued by `basis` has the price it needs under the
// valuation (an estimated price or bond floor other than 0).
bool HasPriceToValue(ImpactBasis basis, const CValuation& val);

// The legs of the security's sub-impact under the scenario, or nothing when
// the security adds nothing to the scenario's total: it lacks the price its
// type needs (an estimated price or bond floor of 0), or its FxToUsd is not
// a number or is 0.
std::optional<ImpactLegs> SubImpactLegs(const CSecurity& sec, const CScenario& scen, const CValuation& val);

}  // namespace zemra

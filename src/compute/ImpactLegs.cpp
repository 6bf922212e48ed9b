#include "compute/ImpactLegs.h"

#include <algorithm>

#include "compute/ImpactMath.h"
#include "records/Indexes.h"
#include "records/SecurityType.h"
#include "toolkit/NumberText.h"

namespace zemra {

namespace {

// A carry option that adds no carry: each leg is computed without it.
constexpr long kNoCarry = -1;

}  // namespace

bool HasPriceToValue(ImpactBasis basis, const CValuation& val) {
    if (basis == ImpactBasis::BondFloor) return val.Getvaluation(m_CurBondFlr) != 0;
    if (basis == ImpactBasis::EstimatedPrice) return val.Getvaluation(m_CurEstPrice) != 0;
    return true;
}

std::optional<ImpactLegs> SubImpactLegs(const CSecurity& sec, const CScenario& scen, const CValuation& val) {
    const std::optional<double> FX = ParseNumber(sec.GetFxToUsd(), Locale{});
    if (!FX || *FX == 0) return std::nullopt;
    const double F = sec.GetFactor(), CP = sec.GetProperties(ConvertPosIdx), SP = sec.GetProperties(StkPriceIdx),
                 STP = sec.GetProperties(StkPosIdx);
    const double NSP = NewStockPrice(scen.GetScenarioProperties(m_StkChgIdx), SP);
    const double E1 = val.Getvaluation(m_CurEstPrice), U1 = val.Getvaluation(m_UpdateEstPrice);
    const double BF = val.Getvaluation(m_CurBondFlr), UBF = val.Getvaluation(m_UpdateBondFlr);
    // The stock leg alone: no price change on the convert position.
    const double stockLeg = PriceChangeImpact(0, 0, F, CP, SP, NSP, STP, kNoCarry, 0, 0);
    const ImpactBasis basis = ImpactBasisOf(sec.GetSectype());
    if (!HasPriceToValue(basis, val)) return std::nullopt;
    ImpactLegs legs;
    switch (basis) {
        case ImpactBasis::StockPrice:
            legs.priceMove = NSP - SP;
            legs.price = StockChangeImpact(NSP, SP, F, CP, kNoCarry, 0, 0);
            break;
        case ImpactBasis::OptionValue:
            legs.priceMove = std::max(U1 - UBF, 0.0) - std::max(E1 - BF, 0.0);
            legs.price = OptionValueImpact(U1, UBF, E1, BF, CP, F, SP, SP, STP, kNoCarry, 0, 0);
            legs.stock = stockLeg;
            break;
        case ImpactBasis::BondFloor:
            legs.priceMove = UBF - BF;
            legs.price = PriceChangeImpact(UBF, BF, F, CP, SP, SP, STP, kNoCarry, 0, 0);
            legs.stock = stockLeg;
            break;
        case ImpactBasis::EstimatedPrice:
            legs.priceMove = U1 - E1;
            legs.price = PriceChangeImpact(U1, E1, F, CP, SP, SP, STP, kNoCarry, 0, 0);
            legs.stock = stockLeg;
            break;
    }
    legs.carry = WithCarry(0, val.GetoptCarry(), val.GetCarry(m_CarryIdx), val.GetCarry(m_NetCarryIdx));
    legs.price /= *FX;
    legs.stock /= *FX;
    legs.carry /= *FX;
    return legs;
}

}  // namespace zemra

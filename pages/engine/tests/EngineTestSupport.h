// Shared builders and readers of the engine tests.
#pragma once

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "ConvertibleModel.h"
#include "FigureTools.h"
#include "InputChecks.h"
#include "ScenarioValuation.h"

namespace zemra::engine::testing {

// A five-year 2.5% semi-annual convertible of face 1000 into 20 shares
// (conversion price 50), stock 42.5, volatility 30%, flat 4% curve, 300 bp.
inline ValuationInput BaseConvertible() {
    ValuationInput in;
    in.terms.face = 1000;
    in.terms.couponPct = 2.5;
    in.terms.couponFrequency = 2;
    in.terms.issueTime = -1;
    in.terms.maturityTime = 5;
    in.terms.conversionRatio = 20;
    in.market.stockPrice = 42.5;
    in.market.volatilityPct = 30;
    in.market.creditSpreadBp = 300;
    in.market.zeroCurve = {{1, 4}};
    in.marketPricePct = 100;
    return in;
}

// The same bond with a call from year 2 (100 clean, soft trigger 130%) and a
// put at year 3 (100 clean).
inline ValuationInput CallablePutableConvertible() {
    ValuationInput in = BaseConvertible();
    in.terms.calls.push_back({2, 5, 100, true, 130});
    in.terms.puts.push_back({3, 100, true});
    return in;
}

// The bond of Ayache, Forsyth and Vetzal (2003), Table 1: five years, 4.0
// every half year on face 100, a clean call at 110 from year 2, a clean put
// at 105 at year 3, conversion into one share at any time, stock 100, flat
// 5%, volatility 20%, no dividends; at maturity the larger of the share and
// 104. The credit spread (200 bp there) and the model are the caller's.
inline ValuationInput ReferenceBond(DiscountingScheme scheme = DiscountingScheme::Risky, double spreadBp = 200) {
    ValuationInput in;
    in.terms.face = 100;
    in.terms.couponPct = 8;
    in.terms.maturityTime = 5;
    in.terms.conversionRatio = 1;
    in.terms.calls.push_back({2, 5, 110, true, 0});
    in.terms.puts.push_back({3, 105, true});
    in.market.stockPrice = 100;
    in.market.volatilityPct = 20;
    in.market.creditSpreadBp = spreadBp;
    in.market.zeroCurve = {{1, 5}};
    in.model.discounting = scheme;
    return in;
}

inline ScenarioResult ValueOne(const ValuationInput& in, const ScenarioShift& shift = {}) {
    return ValueScenarios(in, std::vector<ScenarioShift>{shift}).front();
}

// Today's fair value (or bond floor) from one solve of the model, as
// ValueScenarios computes it, without the other figures.
inline double ModelValue(const ValuationInput& in, bool conversion) {
    CheckValuationInput(in);
    const ConvertibleModel model(in);
    return CleanPriceToday(model, {0, in.market.volatilityPct / 100, in.market.creditSpreadBp / 10000}, conversion);
}
inline double FairValue(const ValuationInput& in) { return ModelValue(in, true); }
inline double BondFloor(const ValuationInput& in) { return ModelValue(in, false); }

inline std::string Describe(const ValuationInput& in) {
    std::ostringstream s;
    const ContractTerms& t = in.terms;
    const MarketData& m = in.market;
    s << "stock " << m.stockPrice << ", vol " << m.volatilityPct << "%, spread " << m.creditSpreadBp << "bp, coupon "
      << t.couponPct << "% x" << t.couponFrequency << ", maturity " << t.maturityTime << "y, ratio "
      << t.conversionRatio << " per " << t.face << ", calls " << t.calls.size() << ", puts " << t.puts.size()
      << ", scheme " << static_cast<int>(in.model.discounting) << ", bankruptcy " << in.model.bankruptcy
      << ", market price " << in.marketPricePct;
    return s.str();
}

inline std::string Describe(const ScenarioShift& s) {
    std::ostringstream out;
    out << "shift stock " << s.stockChangePct << "% rate " << s.rateChangeBp << "bp vol " << s.volChangePct << "% days "
        << s.days << " spread " << s.spreadChangePct << "% tuner " << s.tuner;
    return out.str();
}

// What a failed comparison prints: the case, its inputs, expected, computed
// and tolerance.
inline std::string Report(const std::string& name, const ValuationInput& in, double expected, double computed,
                          double tolerance) {
    std::ostringstream s;
    s << name << "\n inputs: " << Describe(in) << "\n expected " << expected << " computed " << computed
      << " tolerance " << tolerance;
    return s.str();
}

// The input with another discounting scheme.
inline ValuationInput With(ValuationInput in, DiscountingScheme scheme) {
    in.model.discounting = scheme;
    return in;
}

}  // namespace zemra::engine::testing

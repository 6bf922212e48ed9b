// QuantLib as an independent reference where its models and ours coincide:
// a convertible that converts only at maturity without coupons or credit is
// a bond plus calls (Black-Scholes); the bond floor of a straight bond is a
// fixed-rate bond on a flat curve at rate + spread; and without credit
// spread an American-conversion convertible matches QuantLib's binomial
// convertible engine at many steps.
#include <gtest/gtest.h>

#include <ql/instruments/bonds/fixedratebond.hpp>
#include <ql/pricingengines/blackformula.hpp>
#include <ql/pricingengines/bond/discountingbondengine.hpp>
#include <ql/termstructures/yield/zerocurve.hpp>
#include <ql/termstructures/yield/zerospreadedtermstructure.hpp>

#include "EngineTestSupport.h"
#include "QuantLibConvertible.h"

namespace zemra::engine::testing {
namespace {

namespace ql = QuantLib;

TEST(QuantLibOracle, ConversionAtMaturityIsBondPlusCalls) {
    const struct {
        double stock, volPct, ratePct, yieldPct, maturity;
    } rows[] = {{42.5, 30, 4, 0, 5}, {50, 20, 3, 1, 2}, {70, 45, 5, 2, 3}, {30, 25, 1, 0, 1}, {55, 35, 6, 0.5, 7}};
    for (const auto& row : rows) {
        ValuationInput in = BaseConvertible();
        in.terms.couponPct = 0;
        in.terms.maturityTime = row.maturity;
        in.terms.conversionStart = row.maturity;
        in.market.stockPrice = row.stock;
        in.market.volatilityPct = row.volPct;
        in.market.zeroCurve = {{1, row.ratePct}};
        in.market.dividendYieldPct = row.yieldPct;
        in.market.creditSpreadBp = 0;
        const double T = row.maturity, r = row.ratePct / 100, q = row.yieldPct / 100, vol = row.volPct / 100;
        const double forward = row.stock * std::exp((r - q) * T);  // 2 shares at a strike of 50
        const double call = ql::blackFormula(ql::Option::Call, 50, forward, vol * std::sqrt(T), std::exp(-r * T));
        const double expected = 100 * std::exp(-r * T) + 2 * call, computed = FairValue(in);
        EXPECT_NEAR(computed, expected, 0.01) << Report("QuantLib Black", in, expected, computed, 0.01);
    }
}

// The bond floor (any scheme: without conversion each discounts at the rate
// and spread) against QuantLib's FixedRateBond on the zero curve (linear in
// the tenor, flat beyond its ends) plus the spread, coupon dates of whole
// days (Actual/365 Fixed) so that both sides accrue alike. Under the
// bankruptcy model (recovery R of face, intensity l = spread / (1 - R)) a
// zero-coupon bond is that at l plus the recovery, R l / (r + l) (1 - e^{-(r+l)T}).
TEST(QuantLibOracle, BondFloorIsQuantLibFixedRateBond) {
    const struct {
        double couponPct, spreadBp, maturity, previousCoupon;
        std::vector<ZeroRate> curve;
        DiscountingScheme scheme;
        bool bankruptcy;
    } rows[] = {{5, 300, 4.6, -0.4, {{1, 4}}, DiscountingScheme::Risky, false},
                {2.5, 100, 2.2, -0.8, {{1, 2}}, DiscountingScheme::Risky, false},
                {8, 900, 9.1, -0.9, {{1, 5}}, DiscountingScheme::Risky, false},
                {6, 150, 7.4, -0.6, {{0.5, 2}, {2, 3}, {10, 5}}, DiscountingScheme::Risky, false},
                {3, 800, 3.8, -0.2, {{0.25, 1}, {5, 4}}, DiscountingScheme::BondPlusOption, false},
                {0, 50, 10, -1, {{1, 4.5}}, DiscountingScheme::Blended, false},
                {0, 300, 5, -1, {{1, 4}}, DiscountingScheme::Risky, true}};
    for (const auto& row : rows) {
        ValuationInput in = With(BaseConvertible(), row.scheme);
        in.terms.couponPct = row.couponPct;
        in.terms.couponFrequency = 1;
        in.terms.maturityTime = row.maturity;
        in.terms.issueTime = row.previousCoupon;
        in.market.zeroCurve = row.curve;
        in.market.creditSpreadBp = row.spreadBp;
        in.model.bankruptcy = row.bankruptcy;
        in.model.bondRecoveryPct = 40;
        const double r = row.curve[0].ratePct / 100, hazard = row.spreadBp / 10000 / 0.6;

        const ql::Date today(15, ql::June, 2026);
        ql::Settings::instance().evaluationDate() = today;
        const ql::Actual365Fixed dayCount;
        auto day = [&](double years) { return today + static_cast<ql::Integer>(std::lround(years * 365)); };
        std::vector<ql::Date> dates, pillars{today};
        for (double t = row.previousCoupon; t < row.maturity + 1e-9; t += 1.0) dates.push_back(day(t));
        std::vector<ql::Rate> zeros{row.curve.front().ratePct / 100};
        for (const ZeroRate& z : row.curve) pillars.push_back(day(z.tenor)), zeros.push_back(z.ratePct / 100);
        pillars.push_back(day(100)), zeros.push_back(zeros.back());
        ql::FixedRateBond bond(0, 100.0, ql::Schedule(dates), {row.couponPct / 100}, dayCount);
        const ql::Handle<ql::YieldTermStructure> curve(ql::ext::make_shared<ql::ZeroSpreadedTermStructure>(
            ql::Handle<ql::YieldTermStructure>(ql::ext::make_shared<ql::ZeroCurve>(pillars, zeros, dayCount)),
            ql::Handle<ql::Quote>(
                ql::ext::make_shared<ql::SimpleQuote>(row.bankruptcy ? hazard : row.spreadBp / 1e4))));
        bond.setPricingEngine(ql::ext::make_shared<ql::DiscountingBondEngine>(curve));
        const double recovery =
            row.bankruptcy ? 40 * hazard / (r + hazard) * (1 - std::exp(-(r + hazard) * row.maturity)) : 0.0;
        const double expected = bond.cleanPrice() + recovery, computed = BondFloor(in);
        EXPECT_NEAR(computed, expected, 0.005) << Report("QuantLib FixedRateBond", in, expected, computed, 0.005);
    }
}

TEST(QuantLibOracle, AmericanConversionMatchesBinomialConvertible) {
    const struct {
        double stock, volPct, couponPct, yieldPct;
    } rows[] = {{42.5, 30, 2.5, 0}, {50, 25, 4, 2}, {60, 40, 1, 1}};
    for (const auto& row : rows) {
        ValuationInput in = BaseConvertible();
        in.terms.couponPct = row.couponPct;
        in.terms.couponFrequency = 1;
        in.terms.issueTime = 0;
        in.market.stockPrice = row.stock;
        in.market.volatilityPct = row.volPct;
        in.market.dividendYieldPct = row.yieldPct;
        in.market.creditSpreadBp = 0;
        const double expected = QuantLibConvertiblePrice(in, 4000), computed = FairValue(in);
        EXPECT_NEAR(computed, expected, 0.05) << Report("QuantLib binomial, 4000 steps", in, expected, computed, 0.05);
    }
}

}  // namespace
}  // namespace zemra::engine::testing

// Limits the model must meet whatever its numerics: far out of the money a
// convertible is its bond floor, far in the money it is parity, without
// credit spread the three discounting schemes agree, a dirty call comes
// before the next coupon.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"

namespace zemra::engine::testing {
namespace {

TEST(Identities, ConvertibleLimitsAndSchemesWithoutSpread) {
    for (int scheme = 0; scheme < 3; ++scheme) {
        // Deep out of the money: the bond floor; deep in the money: parity.
        ValuationInput out = With(BaseConvertible(), static_cast<DiscountingScheme>(scheme)), deep = out;
        out.market.stockPrice = 2;
        deep.market.stockPrice = 400;
        deep.terms.couponPct = 0;
        const double outFair = FairValue(out), outFloor = BondFloor(out), deepFair = FairValue(deep);
        EXPECT_NEAR(outFair, outFloor, 0.01) << Report("out of the money", out, outFloor, outFair, 0.01);
        EXPECT_NEAR(deepFair, 800, 0.05) << Report("deep in the money: parity", deep, 800, deepFair, 0.05);
        // Without spread every scheme is the risky one.
        for (double stock : {20.0, 42.5, 60.0, 90.0}) {
            ValuationInput in = With(CallablePutableConvertible(), static_cast<DiscountingScheme>(scheme));
            in.market.stockPrice = stock;
            in.market.creditSpreadBp = 0;
            const double value = FairValue(in), risky = FairValue(With(in, DiscountingScheme::Risky));
            EXPECT_NEAR(value, risky, 1e-6) << Report("no spread: the risky value", in, risky, value, 1e-6);
        }
    }
}

// A blended solve with a hard clean call runs in a frame that follows the
// call's corner (scaled values on a scaled grid, moved to a new frame on
// coupon dates and where a call period starts); without spread it is still
// the risky value, within the interpolation of those moves.
TEST(Identities, BlendedFrameWithoutSpreadIsRisky) {
    ValuationInput midPeriod = ReferenceBond(DiscountingScheme::Blended, 0), twoPeriods = midPeriod,
                   dividends = midPeriod;
    midPeriod.terms.calls[0].start = 2.3;
    twoPeriods.terms.calls[0].end = 3.7;
    twoPeriods.terms.calls.push_back({3.7, 5, 104, true, 0});
    dividends.model.dividendType = DividendType::Discrete;
    dividends.market.dividends = {{2.2, 1.5}, {3.2, 1.5}, {4.2, 1.5}};
    const struct {
        const char* name;
        ValuationInput input;
    } rows[] = {{"reference bond", ReferenceBond(DiscountingScheme::Blended, 0)},
                {"call period from mid-period", midPeriod},
                {"two call periods, two prices", twoPeriods},
                {"discrete dividends in the call period", dividends}};
    constexpr double kTolerance = 0.001;
    for (const auto& row : rows)
        for (double stock : {80.0, 100.0, 115.0}) {
            ValuationInput in = row.input;
            in.market.stockPrice = stock;
            const double value = FairValue(in), risky = FairValue(With(in, DiscountingScheme::Risky));
            EXPECT_NEAR(value, risky, kTolerance)
                << Report(std::string(row.name) + ", no spread: the risky value", in, risky, value, kTolerance);
        }
}

TEST(Identities, DirtyCallComesBeforeTheNextCoupon) {
    // Callable at any time at 100 including accrued interest, a bond whose
    // coupon pays more than rate and spread is called an instant before its
    // next coupon: today it is worth 100 discounted to that date (under
    // Bond+Option at the rate alone: a call leaves no cash part).
    const struct {
        int frequency;
        double couponPct;
        DiscountingScheme scheme;
        bool conversion;  // far out of the money
    } rows[] = {{2, 10, DiscountingScheme::Risky, false},
                {4, 12, DiscountingScheme::Risky, false},
                {2, 10, DiscountingScheme::Risky, true},
                {2, 10, DiscountingScheme::BondPlusOption, true},
                {2, 10, DiscountingScheme::Blended, true}};
    for (const auto& row : rows) {
        ValuationInput in = With(BaseConvertible(), row.scheme);
        in.market.stockPrice = 2;
        in.terms.couponFrequency = row.frequency;
        in.terms.couponPct = row.couponPct;
        in.terms.calls.push_back({0, in.terms.maturityTime, 100, false, 0});
        const double rate = 0.04 + (row.scheme == DiscountingScheme::BondPlusOption ? 0.0 : 0.03);
        // Today is a coupon date: no accrued interest.
        const double expected = 100 * std::exp(-rate / row.frequency), computed = ModelValue(in, row.conversion);
        EXPECT_NEAR(computed, expected, 0.002) << Report("dirty call", in, expected, computed, 0.002);
    }
}

}  // namespace
}  // namespace zemra::engine::testing

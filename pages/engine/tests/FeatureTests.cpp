// Contract and market features through their limits: discrete dividends,
// the dividend-years window, soft calls, yields at the estimated price.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"

namespace zemra::engine::testing {
namespace {

// Converts only at maturity, no coupon, no credit: deep in the money the
// value is the shares less the value of the dividends paid before maturity
// (cash dividends in their window, the yield after it or throughout; 0.05
// points: a dividend missed or a yield a month late costs a point or more).
TEST(Dividends, DeepInTheMoneyLosesThePresentValueOfDividends) {
    const double r = 0.04, stock = 400;
    const struct {
        std::vector<Dividend> dividends;
        DividendType type;
        // expectedLossPerShare: the present value of what the holder misses.
        double discreteYears, yieldPct, expectedLossPerShare;
    } rows[] = {
        {{{1.0, 2.0}, {2.5, 1.5}}, DividendType::Discrete, 0, 0, 2.0 * std::exp(-r) + 1.5 * std::exp(-r * 2.5)},
        {{{1.0, 2.0}, {2.5, 1.5}}, DividendType::Discrete, 2.0, 0, 2.0 * std::exp(-r)},  // the second beyond the window
        {{{1.0, 2.0}}, DividendType::Continuous, 0, 0, 0.0},                             // the schedule is not used
        {{}, DividendType::Discrete, 1.0, 2, stock * (1 - std::exp(-0.02 * 4))},         // the yield after the window
        {{}, DividendType::Continuous, 0, 2, stock * (1 - std::exp(-0.02 * 5))},
    };
    for (const auto& row : rows) {
        ValuationInput in = BaseConvertible();
        in.terms.couponPct = 0;
        in.terms.conversionStart = in.terms.maturityTime;
        in.market.creditSpreadBp = 0;
        in.market.stockPrice = stock;
        in.market.dividends = row.dividends;
        in.market.dividendYieldPct = row.yieldPct;
        in.model.dividendType = row.type;
        in.model.discreteDividendYears = row.discreteYears;
        const double expected = 2 * (stock - row.expectedLossPerShare), computed = FairValue(in);
        EXPECT_NEAR(computed, expected, 0.05) << Report("dividends", in, expected, computed, 0.05);
    }
}

// Each trigger between the hard call and no call; an unreachable one is no
// call (the call price's stock level has a node of its own: a grid a hair
// apart).
TEST(SoftCall, TriggerBetweenHardCallAndNoCall) {
    ValuationInput in = BaseConvertible();
    const double noCall = FairValue(in);
    in.terms.calls.push_back({1, 5, 100, true, 0});
    double previous = FairValue(in);
    for (double trigger : {110.0, 130.0, 150.0, 200.0, 1e5}) {
        in.terms.calls[0].triggerPct = trigger;
        const double value = FairValue(in);
        EXPECT_TRUE(value >= previous - 1e-9 && value <= noCall + 1e-9) << trigger << ": " << value << " " << noCall;
        previous = value;
    }
    EXPECT_NEAR(previous, noCall, 1e-6) << "unreachable trigger";
}

// At par on a coupon date every yield is the coupon.
TEST(Yields, AtParOnACouponDateTheYieldIsTheCoupon) {
    const struct {
        double couponPct;
        int frequency;
    } rows[] = {{5, 2}, {3, 1}, {6, 4}};
    for (const auto& row : rows) {
        ValuationInput in = BaseConvertible();
        in.terms.couponPct = row.couponPct;
        in.terms.couponFrequency = row.frequency;
        in.terms.puts.push_back({3, 100, true});
        in.terms.calls.push_back({2, 5, 100, true, 0});
        const Figures f = ValueOne(in).today;  // market price 100
        for (double yield : {f.yieldToMaturity, f.yieldToPut, f.yieldToCall})
            EXPECT_NEAR(yield, row.couponPct, 1e-8) << Report("yields", in, row.couponPct, yield, 1e-8);
    }
}

}  // namespace
}  // namespace zemra::engine::testing

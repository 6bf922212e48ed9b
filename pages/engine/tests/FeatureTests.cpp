// Contract and market features through their limits: discrete dividends,
// the dividend-years window, soft calls, yields at the estimated price.
#include <gtest/gtest.h>

#include <cmath>

#include "EngineTestSupport.h"

namespace zemra::engine::testing {
namespace {

// Converts only at maturity, no coupon, no credit: deep in the money the
// value is the shares less the value of the dividends paid before maturity.
TEST(Dividends, DeepInTheMoneyLosesThePresentValueOfDividends) {
    struct Row {
        std::vector<Dividend> dividends;
        DividendType type;
        double discreteYears;
        double yieldPct;
        double expectedLossPerShare;  // present value of what the holder misses
    };
    const double r = 0.04;
    const Row rows[] = {
        {{{1.0, 2.0}}, DividendType::Discrete, 0, 0, 2.0 * std::exp(-r * 1.0)},
        {{{1.0, 2.0}, {2.5, 1.5}}, DividendType::Discrete, 0, 0, 2.0 * std::exp(-r) + 1.5 * std::exp(-r * 2.5)},
        {{{1.0, 2.0}, {2.5, 1.5}},
         DividendType::Discrete,
         2.0,
         0,
         2.0 * std::exp(-r)},                                 // the second lies beyond the window
        {{{1.0, 2.0}}, DividendType::Continuous, 0, 0, 0.0},  // the schedule is not used
    };
    for (const Row& row : rows) {
        ValuationInput in = BaseConvertible();
        in.terms.couponPct = 0;
        in.terms.conversionStart = in.terms.maturityTime;
        in.market.creditSpreadBp = 0;
        in.market.stockPrice = 400;
        in.market.dividends = row.dividends;
        in.market.dividendYieldPct = row.yieldPct;
        in.model.dividendType = row.type;
        in.model.discreteDividendYears = row.discreteYears;
        const double shares = in.terms.conversionRatio * 100 / in.terms.face;
        const double expected = shares * (400 - row.expectedLossPerShare);
        const double computed = FairValue(in);
        EXPECT_NEAR(computed, expected, 0.02)
            << "dividends " << row.dividends.size() << ", type " << static_cast<int>(row.type) << ", window "
            << row.discreteYears << "\n expected " << expected << " computed " << computed;
    }
}

TEST(Dividends, YieldAfterTheDiscreteWindow) {
    // Discrete type with a window: the yield applies after it, so a yield
    // lowers the value of a bond that converts only at maturity.
    ValuationInput in = BaseConvertible();
    in.terms.conversionStart = in.terms.maturityTime;
    in.model.dividendType = DividendType::Discrete;
    in.model.discreteDividendYears = 1;
    const double without = FairValue(in);
    in.market.dividendYieldPct = 2;
    const double with = FairValue(in);
    in.model.dividendType = DividendType::Continuous;
    const double throughout = FairValue(in);
    EXPECT_LT(with, without);
    EXPECT_LT(throughout, with);
}

TEST(SoftCall, TriggerBetweenHardCallAndNoCall) {
    ValuationInput none = BaseConvertible();
    const double noCall = FairValue(none);
    ValuationInput hard = BaseConvertible();
    hard.terms.calls.push_back({1, 5, 100, true, 0});
    const double hardCall = FairValue(hard);
    double previous = hardCall;
    for (double trigger : {110.0, 130.0, 150.0, 200.0}) {
        ValuationInput soft = hard;
        soft.terms.calls[0].triggerPct = trigger;
        const double value = FairValue(soft);
        EXPECT_GE(value, previous - 1e-9) << "trigger " << trigger;
        EXPECT_LE(value, noCall + 1e-9) << "trigger " << trigger;
        previous = value;
    }
    ValuationInput unreachable = hard;
    unreachable.terms.calls[0].triggerPct = 100000;
    // The call price's stock level has a node of its own: a grid a hair apart.
    EXPECT_NEAR(FairValue(unreachable), noCall, 1e-6);
}

TEST(Yields, AtParOnACouponDateTheYieldIsTheCoupon) {
    struct Row {
        double couponPct;
        int frequency;
        double price;
        double expectedYtm;  // percent, compounded `frequency` times a year
    };
    const Row rows[] = {{5, 2, 100, 5}, {3, 1, 100, 3}, {6, 4, 100, 6}};
    for (const Row& row : rows) {
        ValuationInput in = BaseConvertible();
        in.terms.couponPct = row.couponPct;
        in.terms.couponFrequency = row.frequency;
        in.terms.puts.push_back({3, 100, true});
        in.terms.calls.push_back({2, 5, 100, true, 0});
        in.marketPricePct = row.price;
        const Figures f = ValueOne(in).today;
        EXPECT_NEAR(f.yieldToMaturity, row.expectedYtm, 1e-8) << "coupon " << row.couponPct << " x" << row.frequency;
        EXPECT_NEAR(f.yieldToPut, row.expectedYtm, 1e-8) << "coupon " << row.couponPct << " x" << row.frequency;
        EXPECT_NEAR(f.yieldToCall, row.expectedYtm, 1e-8) << "coupon " << row.couponPct << " x" << row.frequency;
    }
}

TEST(Yields, BelowParYieldsMoreToTheEarlierDate) {
    ValuationInput in = BaseConvertible();
    in.terms.puts.push_back({2, 100, true});
    in.marketPricePct = 95;
    const Figures f = ValueOne(in).today;
    EXPECT_GT(f.yieldToMaturity, 2.5);
    EXPECT_GT(f.yieldToPut, f.yieldToMaturity);
    EXPECT_EQ(f.yieldToCall, 0) << "no call";
}

}  // namespace
}  // namespace zemra::engine::testing

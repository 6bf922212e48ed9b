// Limits the model must meet whatever its numerics: far out of the money a
// convertible is its bond floor, far in the money it is parity, without
// credit spread the three discounting schemes agree, and the bond floor of
// a straight bond is its discounted cash flows; a system with held rows
// solves like the same system with those rows made x = value.
#include <gtest/gtest.h>

#include <cmath>

#include "EngineTestSupport.h"
#include "Tridiagonal.h"

namespace zemra::engine::testing {
namespace {

// Clean value of the bond's cash flows discounted at the zero curve + spread.
double DiscountedCashFlows(const ValuationInput& in) {
    const auto& t = in.terms;
    const auto& c = in.market.zeroCurve;
    auto zero = [&](double time) {
        if (time <= c.front().tenor) return c.front().ratePct / 100;
        for (std::size_t i = 1; i < c.size(); ++i)
            if (time <= c[i].tenor)
                return (c[i - 1].ratePct +
                        (c[i].ratePct - c[i - 1].ratePct) * (time - c[i - 1].tenor) / (c[i].tenor - c[i - 1].tenor)) /
                       100;
        return c.back().ratePct / 100;
    };
    const double spread = in.market.creditSpreadBp / 10000.0;
    const double period = 1.0 / t.couponFrequency, coupon = t.couponPct / t.couponFrequency;
    double value = t.redemptionPct * std::exp(-(zero(t.maturityTime) + spread) * t.maturityTime);
    double time = t.maturityTime;
    for (; time > 1e-9; time -= period) value += coupon * std::exp(-(zero(time) + spread) * time);
    return value - coupon * (-time) / period;  // `time` is now the last coupon date at or before 0
}

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

// The bond floor against discounted cash flows on curves of several shapes,
// and under the bankruptcy model (zero coupon, default intensity l,
// recovery R) 100 e^{-(r+l)T} + R l / (r + l) (1 - e^{-(r+l)T}).
TEST(Identities, BondFloorIsDiscountedCashFlows) {
    const struct {
        double couponPct;
        int frequency;
        double maturity, spreadBp;
        std::vector<ZeroRate> curve;
        DiscountingScheme scheme;
        bool bankruptcy;
    } rows[] = {
        {2.5, 2, 5, 300, {{1, 4}}, DiscountingScheme::Risky, false},
        {6.0, 4, 7.3, 150, {{0.5, 2}, {2, 3}, {10, 5}}, DiscountingScheme::Risky, false},
        {3.0, 1, 3.7, 800, {{0.25, 1}, {5, 4}}, DiscountingScheme::BondPlusOption, false},
        {0.0, 2, 10, 50, {{1, 4.5}}, DiscountingScheme::Blended, false},
        {0.0, 2, 5, 300, {{1, 4}}, DiscountingScheme::Risky, true},
    };
    for (const auto& row : rows) {
        ValuationInput in = With(BaseConvertible(), row.scheme);
        in.terms.couponPct = row.couponPct;
        in.terms.couponFrequency = row.frequency;
        in.terms.maturityTime = row.maturity;
        in.market.creditSpreadBp = row.spreadBp;
        in.market.zeroCurve = row.curve;
        in.model.bankruptcy = row.bankruptcy;
        in.model.bondRecoveryPct = 40;
        const double r = 0.04, lambda = 0.03 / 0.6, e = std::exp(-(r + lambda) * 5);
        const double expected =
            row.bankruptcy ? 100 * e + 40 * lambda / (r + lambda) * (1 - e) : DiscountedCashFlows(in);
        EXPECT_NEAR(BondFloor(in), expected, 0.005) << Report("bond floor", in, expected, BondFloor(in), 0.005);
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
        const double expected = 100 * std::exp(-rate / row.frequency);  // today is a coupon date: no accrued
        const double computed = ModelValue(in, row.conversion);
        EXPECT_NEAR(computed, expected, 0.002) << Report("dirty call", in, expected, computed, 0.002);
    }
}

// Held rows (the nodes at a conversion floor or call cap) solve like the
// matrix with those rows replaced by x = value, whichever rows are held and
// whatever matrix was factored before; a corner before the first held row
// (weight w) makes that row's neighbour (1 + w) corner value - w x[row]:
// the row with its diagonal and right-hand side changed.
TEST(Identities, HeldRowsSolveLikeIdentityRows) {
    constexpr std::size_t n = 9;
    std::vector<double> lower(n), diag(n), upper(n), rhs(n), value(n);
    for (std::size_t i = 0; i < n; ++i) {
        lower[i] = -0.3 - 0.01 * i;
        diag[i] = 1.8 + 0.05 * i;
        upper[i] = -0.4 + 0.02 * i;
        rhs[i] = 1.0 + std::sin(static_cast<double>(i));
        value[i] = 2.0 + 0.5 * i;
    }
    const struct {
        std::vector<char> held;
        double cornerWeight;  // < 0: no corner
    } cases[] = {{{0, 0, 0, 0, 0, 0, 0, 0, 0}, -1},  {{0, 0, 0, 0, 0, 0, 1, 1, 1}, -1},
                 {{0, 0, 1, 1, 0, 0, 0, 0, 0}, -1},  {{1, 0, 0, 1, 0, 1, 0, 0, 1}, -1},
                 {{1, 0, 0, 0, 0, 0, 0, 0, 0}, -1},  {{1, 1, 1, 1, 1, 1, 1, 1, 1}, -1},
                 {{0, 0, 0, 0, 0, 0, 0, 0, 2}, -1},  {{0, 0, 0, 0, 0, 1, 1, 1, 1}, 0},
                 {{0, 0, 0, 0, 0, 1, 1, 1, 1}, 0.7}, {{0, 0, 0, 0, 0, 1, 1, 1, 1}, 25}};
    TridiagonalSystem kept;
    kept.SetMatrix(lower, diag, upper);
    for (const auto& c : cases) {
        std::vector<double> l = lower, d = diag, u = upper, r = rhs, expected, computed;
        for (std::size_t i = 0; i < n; ++i)
            if (c.held[i] != 0) l[i] = u[i] = 0, d[i] = 1, r[i] = value[i];
        const TridiagonalSystem::BoundaryCorner corner{4, c.cornerWeight, 3.5};
        if (c.cornerWeight >= 0) {
            d[4] -= u[4] * corner.weight;
            r[4] -= u[4] * (1 + corner.weight) * corner.value;
            u[4] = 0;
        }
        TridiagonalSystem reference;
        reference.SetMatrix(l, d, u);
        reference.Solve(r, expected);
        kept.SolveFixed(rhs, c.held, value, computed, c.cornerWeight >= 0 ? &corner : nullptr);
        std::string set;
        for (char h : c.held) set += static_cast<char>('0' + h);
        for (std::size_t i = 0; i < n; ++i)
            EXPECT_NEAR(computed[i], expected[i], 1e-12)
                << "row " << i << ", held " << set << ", corner " << corner.weight;
    }
}

}  // namespace
}  // namespace zemra::engine::testing

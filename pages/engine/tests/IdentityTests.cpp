// Limits the model must meet whatever its numerics: far out of the money a
// convertible is its bond floor, far in the money it is parity, without
// credit spread the three discounting schemes agree, a dirty call comes
// before the next coupon; a system with held rows
// solves like the same system with those rows made x = value.
#include <gtest/gtest.h>

#include <cmath>

#include "EngineTestSupport.h"
#include "Tridiagonal.h"

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

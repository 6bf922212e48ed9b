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
    const double spread = in.market.creditSpreadBp / 10000.0;
    auto zero = [&](double time) {
        const auto& c = in.market.zeroCurve;
        if (time <= c.front().tenor) return c.front().ratePct / 100;
        for (std::size_t i = 1; i < c.size(); ++i)
            if (time <= c[i].tenor)
                return (c[i - 1].ratePct +
                        (c[i].ratePct - c[i - 1].ratePct) * (time - c[i - 1].tenor) / (c[i].tenor - c[i - 1].tenor)) /
                       100;
        return c.back().ratePct / 100;
    };
    const double period = 1.0 / t.couponFrequency, coupon = t.couponPct / t.couponFrequency;
    double value = t.redemptionPct * std::exp(-(zero(t.maturityTime) + spread) * t.maturityTime);
    double time = t.maturityTime;
    for (; time > 1e-9; time -= period) value += coupon * std::exp(-(zero(time) + spread) * time);
    const double accrued = coupon * (-time) / period;  // `time` is now the last coupon date at or before 0
    return value - accrued;
}

TEST(Identities, ConvertibleLimits) {
    struct Row {
        const char* name;
        double stock;
        double couponPct;
        DiscountingScheme scheme;
        bool expectParity;  // else the bond floor
        double tolerance;   // points
    };
    const Row rows[] = {
        {"deep out of the money, risky", 2.0, 2.5, DiscountingScheme::Risky, false, 0.01},
        {"deep out of the money, bond+option", 2.0, 2.5, DiscountingScheme::BondPlusOption, false, 0.01},
        {"deep out of the money, blended", 2.0, 2.5, DiscountingScheme::Blended, false, 0.01},
        {"deep in the money, risky", 400.0, 0.0, DiscountingScheme::Risky, true, 0.05},
        {"deep in the money, bond+option", 400.0, 0.0, DiscountingScheme::BondPlusOption, true, 0.05},
        {"deep in the money, blended", 400.0, 0.0, DiscountingScheme::Blended, true, 0.05},
    };
    for (const Row& row : rows) {
        ValuationInput in = BaseConvertible();
        in.market.stockPrice = row.stock;
        in.terms.couponPct = row.couponPct;
        in.model.discounting = row.scheme;
        const double fair = FairValue(in), floor = BondFloor(in);
        const double parity = row.stock * in.terms.conversionRatio * 100 / in.terms.face;
        const double expected = row.expectParity ? parity : floor;
        EXPECT_NEAR(fair, expected, row.tolerance)
            << row.name << "\n inputs: " << Describe(in) << "\n expected " << expected << " computed " << fair;
        if (!row.expectParity) {
            const double dcf = DiscountedCashFlows(in);
            EXPECT_NEAR(floor, dcf, 0.01)
                << row.name << " bond floor against the risky bond\n inputs: " << Describe(in);
        }
    }
}

TEST(Identities, SchemesAgreeWithoutSpread) {
    for (double stock : {20.0, 42.5, 60.0, 90.0}) {
        double values[3];
        for (int scheme = 0; scheme < 3; ++scheme) {
            ValuationInput in = CallablePutableConvertible();
            in.market.stockPrice = stock;
            in.market.creditSpreadBp = 0;
            in.model.discounting = static_cast<DiscountingScheme>(scheme);
            values[scheme] = FairValue(in);
        }
        EXPECT_NEAR(values[1], values[0], 1e-6) << "stock " << stock << ": bond+option against risky";
        EXPECT_NEAR(values[2], values[0], 1e-6) << "stock " << stock << ": blended against risky";
    }
}

TEST(Identities, BondFloorIsDiscountedCashFlows) {
    struct Row {
        double couponPct;
        int frequency;
        double maturity;
        double spreadBp;
        std::vector<ZeroRate> curve;
        DiscountingScheme scheme;
    };
    const Row rows[] = {
        {2.5, 2, 5, 300, {{1, 4}}, DiscountingScheme::Risky},
        {6.0, 4, 7.3, 150, {{0.5, 2}, {2, 3}, {10, 5}}, DiscountingScheme::Risky},
        {3.0, 1, 3.7, 800, {{0.25, 1}, {5, 4}}, DiscountingScheme::BondPlusOption},
        {0.0, 2, 10, 50, {{1, 4.5}}, DiscountingScheme::Blended},
    };
    for (const Row& row : rows) {
        ValuationInput in = BaseConvertible();
        in.terms.couponPct = row.couponPct;
        in.terms.couponFrequency = row.frequency;
        in.terms.maturityTime = row.maturity;
        in.market.creditSpreadBp = row.spreadBp;
        in.market.zeroCurve = row.curve;
        in.model.discounting = row.scheme;
        const double floor = BondFloor(in);
        const double expected = DiscountedCashFlows(in);
        EXPECT_NEAR(floor, expected, 0.005)
            << "inputs: " << Describe(in) << "\n expected " << expected << " computed " << floor << " tolerance 0.005";
    }
}

TEST(Identities, BankruptcyWithoutConversionIsTheHazardBond) {
    // A zero-coupon bond under default intensity lambda with recovery R of face:
    // V = 100 e^{-(r+l)T} + R l / (r + l) (1 - e^{-(r+l)T}).
    ValuationInput in = BaseConvertible();
    in.terms.couponPct = 0;
    in.model.bankruptcy = true;
    in.model.bondRecoveryPct = 40;
    const double r = 0.04, lambda = 0.03 / 0.6, T = 5;
    const double expected =
        100 * std::exp(-(r + lambda) * T) + 40 * lambda / (r + lambda) * (1 - std::exp(-(r + lambda) * T));
    const double floor = BondFloor(in);
    EXPECT_NEAR(floor, expected, 0.005) << "inputs: " << Describe(in) << "\n expected " << expected << " computed "
                                        << floor;
}

TEST(Identities, DirtyCallComesBeforeTheNextCoupon) {
    // Callable at any time at 100 including accrued interest, a bond whose
    // coupon pays more than rate and spread is called an instant before its
    // next coupon: today it is worth 100 discounted to that date (under
    // Bond+Option at the rate alone: a call leaves no cash part).
    struct Row {
        const char* name;
        int frequency;
        double couponPct;
        DiscountingScheme scheme;
        bool conversion;  // far out of the money
    };
    const Row rows[] = {
        {"semi-annual 10%, bond floor", 2, 10, DiscountingScheme::Risky, false},
        {"quarterly 12%, bond floor", 4, 12, DiscountingScheme::Risky, false},
        {"semi-annual 10%, risky", 2, 10, DiscountingScheme::Risky, true},
        {"semi-annual 10%, bond+option", 2, 10, DiscountingScheme::BondPlusOption, true},
        {"semi-annual 10%, blended", 2, 10, DiscountingScheme::Blended, true},
    };
    for (const Row& row : rows) {
        ValuationInput in = BaseConvertible();
        in.market.stockPrice = 2;
        in.terms.couponFrequency = row.frequency;
        in.terms.couponPct = row.couponPct;
        in.terms.calls.push_back({0, in.terms.maturityTime, 100, false, 0});
        const double nextCoupon = 1.0 / row.frequency;
        const double rate = 0.04 + (row.scheme == DiscountingScheme::BondPlusOption ? 0.0 : 0.03);
        const double expected = 100 * std::exp(-rate * nextCoupon);  // today is a coupon date: no accrued
        in.model.discounting = row.scheme;
        const double computed = ModelValue(in, row.conversion);
        EXPECT_NEAR(computed, expected, 0.002) << row.name << "\n inputs: " << Describe(in) << "\n expected "
                                               << expected << " computed " << computed << " tolerance 0.002";
    }
}

// Held rows (the nodes at a conversion floor or call cap) solve like the
// matrix with those rows replaced by x = value, whichever rows are held and
// whatever matrix was factored before.
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
    const std::vector<std::vector<char>> heldSets{{0, 0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 1, 1, 1},
                                                  {0, 0, 1, 1, 0, 0, 0, 0, 0}, {1, 0, 0, 1, 0, 1, 0, 0, 1},
                                                  {1, 0, 0, 0, 0, 0, 0, 0, 0}, {1, 1, 1, 1, 1, 1, 1, 1, 1},
                                                  {0, 0, 0, 0, 0, 0, 0, 0, 2}};
    TridiagonalSystem kept;
    kept.SetMatrix(lower, diag, upper);
    // A corner before the first held row: that row's neighbour seen as
    // (1 + w) corner value - w x[row], i.e. the row with its diagonal and
    // right-hand side changed.
    for (double weight : {0.0, 0.7, 25.0}) {
        const std::vector<char> held{0, 0, 0, 0, 0, 1, 1, 1, 1};
        const TridiagonalSystem::BoundaryCorner corner{4, weight, 3.5};
        std::vector<double> l = lower, d = diag, u = upper, r = rhs;
        for (std::size_t i = 5; i < n; ++i) l[i] = u[i] = 0, d[i] = 1, r[i] = value[i];
        d[4] -= u[4] * weight;
        r[4] -= u[4] * (1 + weight) * corner.value;
        u[4] = 0;
        TridiagonalSystem reference;
        reference.SetMatrix(l, d, u);
        std::vector<double> expected, computed;
        reference.Solve(r, expected);
        kept.SolveFixed(rhs, held, value, computed, &corner);
        for (std::size_t i = 0; i < n; ++i)
            EXPECT_NEAR(computed[i], expected[i], 1e-12) << "row " << i << ", weight " << weight;
    }
    for (const auto& held : heldSets) {
        std::vector<double> l = lower, d = diag, u = upper, r = rhs;
        for (std::size_t i = 0; i < n; ++i)
            if (held[i] != 0) l[i] = u[i] = 0, d[i] = 1, r[i] = value[i];
        TridiagonalSystem reference;
        reference.SetMatrix(l, d, u);
        std::vector<double> expected, computed;
        reference.Solve(r, expected);
        kept.SolveFixed(rhs, held, value, computed);
        for (std::size_t i = 0; i < n; ++i) {
            std::string set;
            for (char h : held) set += h != 0 ? '1' : '0';
            EXPECT_NEAR(computed[i], expected[i], 1e-12) << "row " << i << ", held rows " << set;
        }
    }
}

}  // namespace
}  // namespace zemra::engine::testing

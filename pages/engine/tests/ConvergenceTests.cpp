// Numerical quality: prices settle as the grid is refined and are smooth in
// the stock price.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"

namespace zemra::engine::testing {
namespace {

// Grid refinement: the default grid within 0.006 of 960 x 240, 480 x 120
// within 0.002, each finer grid no further off (within a thousandth of a
// point). Time refinement (`timeOnly`): 60 against 480 steps a year on the
// default stock grid within 0.002: events inside a step (a call an instant
// before a coupon or maturity) and the blended scheme's spread, which moves
// with the delta, must not leave errors of the step's order.
TEST(Convergence, StableUnderGridRefinement) {
    ValuationInput put = BaseConvertible(), hardCall = BaseConvertible(), dirtyCall = BaseConvertible();
    put.terms.puts.push_back({3, 100, true});
    // A hard call at a clean price: the value meets parity at the call price
    // plus accrued interest, a kink that moves between the nodes as the
    // interest accrues.
    hardCall.terms.calls.push_back({2, 5, 100, true, 0});
    dirtyCall.terms.couponPct = 6;
    dirtyCall.terms.calls.push_back({2, 5, 100, false, 0});
    ValuationInput blended = With(BaseConvertible(), DiscountingScheme::Blended);
    blended.market.dividendYieldPct = 2;
    // The Bond+Option cash part steps from the bond to nothing where
    // conversion starts at maturity: cut between nodes, it would leave an
    // error of a hundredth of a point that moves with the grid.
    const struct {
        const char* name;
        ValuationInput input;
        bool timeOnly;
    } cases[] = {
        {"put, risky", put, false},
        {"put, Bond+Option", With(put, DiscountingScheme::BondPlusOption), false},
        {"put, blended", With(put, DiscountingScheme::Blended), false},
        {"plain, Bond+Option", With(BaseConvertible(), DiscountingScheme::BondPlusOption), false},
        {"soft call + put, risky", CallablePutableConvertible(), false},
        {"soft call + put, Bond+Option", With(CallablePutableConvertible(), DiscountingScheme::BondPlusOption), false},
        {"hard clean call, risky", hardCall, false},
        {"dirty hard call, risky", dirtyCall, true},
        {"blended", blended, true},
        {"soft call + put, blended", With(CallablePutableConvertible(), DiscountingScheme::Blended), true},
    };
    for (const auto& c : cases) {
        std::vector<double> values;
        for (GridAccuracy grid :
             c.timeOnly ? std::vector<GridAccuracy>{{240, 60, 60}, {240, 480, 480}}
                        : std::vector<GridAccuracy>{{120, 30, 30}, {240, 60, 60}, {480, 120, 120}, {960, 240, 240}}) {
            ValuationInput in = c.input;
            in.model.grid = grid;
            values.push_back(FairValue(in));
        }
        const double finest = values.back(), tolerance = c.timeOnly ? 0.002 : 0.006;
        EXPECT_NEAR(values.end()[-2], finest, tolerance)
            << Report(c.name, c.input, finest, values.end()[-2], tolerance);
        if (c.timeOnly) continue;
        EXPECT_NEAR(values[2], finest, 0.002) << c.name << ": second finest against the finest";
        EXPECT_LE(std::abs(values[2] - finest), std::abs(values[1] - finest) + 0.001) << c.name;
        EXPECT_LE(std::abs(values[1] - finest), std::abs(values[0] - finest) + 0.001) << c.name;
    }
}

// Under Blended the node just below a clean call's corner can be neither
// held at the call price (p 0 there leaves the value under it) nor free
// (its p lifts the value over it); a step that ended on either state by
// its last digits made the reference bond's price jump by up to 0.2
// between spreads 2 bp apart. Its bends over 2 bp of spread and of rates
// stay within 0.005 (they are under 0.001).
TEST(Convergence, BlendedPriceSmoothInSpreadAndRates) {
    const struct {
        const char* name;
        double from, to;  // bp
        bool spread;
    } scans[] = {{"spread", 190, 222, true}, {"rates", -10, 10, false}};
    constexpr double kStepBp = 2, kTolerance = 0.005;
    for (const auto& scan : scans) {
        std::vector<double> prices;
        for (double bp = scan.from; bp <= scan.to + 1e-9; bp += kStepBp) {
            ValuationInput in = ReferenceBond(DiscountingScheme::Blended);
            if (scan.spread)
                in.market.creditSpreadBp = bp;
            else
                in.market.zeroCurve[0].ratePct += bp / 100;
            prices.push_back(FairValue(in));
        }
        for (std::size_t k = 1; k + 1 < prices.size(); ++k) {
            const double bend = prices[k + 1] - 2 * prices[k] + prices[k - 1];
            EXPECT_LE(std::abs(bend), kTolerance)
                << scan.name << " " << scan.from + kStepBp * static_cast<double>(k) << " bp: prices " << prices[k - 1]
                << ", " << prices[k] << ", " << prices[k + 1]
                << "\n inputs: " << Describe(ReferenceBond(DiscountingScheme::Blended));
        }
    }
}

TEST(Convergence, SmoothAndConvexInTheStock) {
    // Without calls the value is convex in the stock price: no wiggles from
    // the grid or the interpolation of stock changes.
    ValuationInput in = BaseConvertible();
    in.terms.puts.push_back({3, 100, true});
    std::vector<ScenarioShift> shifts;
    for (int pct = -40; pct <= 40; pct += 2) shifts.push_back({static_cast<double>(pct)});
    const auto figures = ValueScenarios(in, shifts);
    for (std::size_t j = 1; j + 1 < figures.size(); ++j) {
        const Figures &below = figures[j - 1].scenario, &at = figures[j].scenario, &above = figures[j + 1].scenario;
        EXPECT_GE(above.fairValue - 2 * at.fairValue + below.fairValue, -1e-4) << "stock " << shifts[j].stockChangePct;
        EXPECT_GE(above.delta, at.delta - 0.05) << "delta falls at stock change " << shifts[j].stockChangePct << "%";
    }
}

}  // namespace
}  // namespace zemra::engine::testing

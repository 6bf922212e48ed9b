// Numerical quality: prices settle as the grid is refined and are smooth in
// the stock price.
#include <gtest/gtest.h>

#include <cmath>

#include "EngineTestSupport.h"

namespace zemra::engine::testing {
namespace {

TEST(Convergence, StableUnderGridRefinement) {
    struct Grid {
        int nodes, stepsPerYear;
    };
    const Grid grids[] = {{120, 30}, {240, 60}, {480, 120}, {960, 240}};
    ValuationInput put = BaseConvertible(), hardCall = BaseConvertible();
    put.terms.puts.push_back({3, 100, true});
    // A hard call at a clean price: the value meets parity at the call price
    // plus accrued interest, a kink that moves between the nodes as the
    // interest accrues.
    hardCall.terms.calls.push_back({2, 5, 100, true, 0});
    // The Bond+Option cash part steps from the bond to nothing where
    // conversion starts at maturity: cut between nodes, it would leave an
    // error of a hundredth of a point that moves with the grid.
    const struct {
        const char* name;
        ValuationInput input;
    } cases[] = {
        {"put, risky", put},
        {"put, Bond+Option", With(put, DiscountingScheme::BondPlusOption)},
        {"put, blended", With(put, DiscountingScheme::Blended)},
        {"plain, Bond+Option", With(BaseConvertible(), DiscountingScheme::BondPlusOption)},
        {"soft call + put, risky", CallablePutableConvertible()},
        {"soft call + put, Bond+Option", With(CallablePutableConvertible(), DiscountingScheme::BondPlusOption)},
        {"hard clean call, risky", hardCall},
    };
    for (const auto& c : cases) {
        double values[4];
        for (int g = 0; g < 4; ++g) {
            ValuationInput in = c.input;
            in.model.grid = {grids[g].nodes, grids[g].stepsPerYear, grids[g].stepsPerYear};
            values[g] = FairValue(in);
        }
        EXPECT_NEAR(values[1], values[3], 0.006) << c.name << ": default grid against the finest";
        EXPECT_NEAR(values[2], values[3], 0.002) << c.name << ": second finest against the finest";
        // Each finer grid no further off than the coarser one (within a
        // thousandth of a point, where both are that close already).
        EXPECT_LE(std::abs(values[2] - values[3]), std::abs(values[1] - values[3]) + 0.001) << c.name;
        EXPECT_LE(std::abs(values[1] - values[3]), std::abs(values[0] - values[3]) + 0.001) << c.name;
    }
}

TEST(Convergence, SettledInTime) {
    // The default number of time steps against eight times as many, on the
    // default stock grid: events inside a step (a call an instant before a
    // coupon or maturity) and the blended scheme's spread, which moves with
    // the delta, must not leave errors of the step's order.
    ValuationInput dirtyCall = BaseConvertible();
    dirtyCall.terms.couponPct = 6;
    dirtyCall.terms.calls.push_back({2, 5, 100, false, 0});
    ValuationInput blended = With(BaseConvertible(), DiscountingScheme::Blended);
    blended.market.dividendYieldPct = 2;
    const struct {
        const char* name;
        ValuationInput input;
    } cases[] = {{"dirty hard call, risky", dirtyCall},
                 {"blended", blended},
                 {"soft call + put, blended", With(CallablePutableConvertible(), DiscountingScheme::Blended)}};
    for (const auto& c : cases) {
        ValuationInput in = c.input;
        const double standard = FairValue(in);
        in.model.grid.timeStepsPerYear *= 8;
        in.model.grid.minTimeSteps *= 8;
        const double fine = FairValue(in);
        EXPECT_NEAR(standard, fine, 0.002) << Report(c.name, in, fine, standard, 0.002);
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
        const double second =
            figures[j + 1].scenario.fairValue - 2 * figures[j].scenario.fairValue + figures[j - 1].scenario.fairValue;
        EXPECT_GE(second, -1e-4) << "stock change " << shifts[j].stockChangePct << "%";
        EXPECT_GE(figures[j + 1].scenario.delta, figures[j].scenario.delta - 0.05)
            << "delta falls at stock change " << shifts[j].stockChangePct << "%";
    }
}

}  // namespace
}  // namespace zemra::engine::testing

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
  for (int scheme = 0; scheme < 4; ++scheme) {
    const bool callable = scheme == 3;
    double values[4];
    for (int g = 0; g < 4; ++g) {
      ValuationInput in = callable ? CallablePutableConvertible() : BaseConvertible();
      if (!callable) in.terms.puts.push_back({3, 100, true});
      in.model.discounting = static_cast<DiscountingScheme>(callable ? 0 : scheme);
      in.model.grid = {grids[g].nodes, grids[g].stepsPerYear, grids[g].stepsPerYear};
      values[g] = FairValue(in);
    }
    EXPECT_NEAR(values[1], values[3], 0.01) << "case " << scheme << ": default grid against the finest";
    // The Bond+Option cash part changes by whole nodes where conversion
    // binds, which leaves it first order in the grid: a wider bound.
    EXPECT_NEAR(values[2], values[3], scheme == 1 ? 0.008 : 0.004) << "case " << scheme << ": second finest against the finest";
    EXPECT_LE(std::abs(values[2] - values[3]), std::abs(values[0] - values[3]) + 1e-9) << "scheme " << scheme;
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
    const double second = figures[j + 1][kFairValue + kScenarioColumn] - 2 * figures[j][kFairValue + kScenarioColumn] +
                          figures[j - 1][kFairValue + kScenarioColumn];
    EXPECT_GE(second, -1e-4) << "stock change " << shifts[j].stockChangePct << "%";
    EXPECT_GE(figures[j + 1][kDelta + kScenarioColumn], figures[j][kDelta + kScenarioColumn] - 0.05)
        << "delta falls at stock change " << shifts[j].stockChangePct << "%";
  }
}

}  // namespace
}  // namespace zemra::engine::testing

// The Greeks the engine reports against central differences of its own
// prices, and the implied volatility and spread round trips.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <vector>

#include "EngineTestSupport.h"

namespace zemra::engine::testing {
namespace {

struct GreekRow {
  const char* name;
  double Figures::*figure;
  // Moves the input by d units of the Greek's own measure.
  std::function<void(ValuationInput&, double)> bump;
  double step;  // in the Greek's own unit (percent of rate or volatility)
  double tolerance;
};

TEST(Greeks, AgreeWithCentralDifferences) {
  const GreekRow rows[] = {
      {"rho (per 100 bp)", &Figures::rho, [](ValuationInput& in, double d) { for (auto& z : in.market.zeroCurve) z.ratePct += d; },
       0.05, 0.01},
      {"vega (per vol point)", &Figures::vega, [](ValuationInput& in, double d) { in.market.volatilityPct += d; }, 0.25, 0.01},
      {"credit spread 01 (per 100 bp)", &Figures::spreadSensitivity,
       [](ValuationInput& in, double d) { in.market.creditSpreadBp += d * 100; }, 0.05, 0.01},
  };
  for (int scheme = 0; scheme < 3; ++scheme) {
    ValuationInput in = CallablePutableConvertible();
    in.model.discounting = static_cast<DiscountingScheme>(scheme);
    const Figures figures = ValueOne(in).today;
    for (const GreekRow& row : rows) {
      const double tolerance = row.tolerance;
      const double reported = figures.*row.figure;
      ValuationInput up = in, down = in;
      row.bump(up, row.step);
      row.bump(down, -row.step);
      const double expected = (FairValue(up) - FairValue(down)) / (2 * row.step);
      EXPECT_NEAR(reported, expected, tolerance)
          << row.name << "\n inputs: " << Describe(in) << "\n expected " << expected << " computed " << reported
          << " tolerance " << tolerance;
    }
  }
}

TEST(Greeks, DeltaAndGammaAgreeWithStockDifferences) {
  // Differences of scenario prices read from the same solved grid.
  for (double stock : {30.0, 42.5, 55.0}) {
    ValuationInput in = CallablePutableConvertible();
    in.market.stockPrice = stock;
    const std::vector<ScenarioShift> shifts{{0}, {1}, {-1}};
    const auto f = ValueScenarios(in, shifts);
    const double h = 0.01 * stock;
    const double shares = in.terms.conversionRatio * 100 / in.terms.face;
    const double v = f[0].today.fairValue, vUp = f[1].scenario.fairValue, vDown = f[2].scenario.fairValue;
    const double delta = (vUp - vDown) / (2 * h) / shares * 100;
    const double gamma = (vUp - 2 * v + vDown) / (h * h) * stock / shares;
    EXPECT_NEAR(f[0].today.delta, delta, 0.1) << "stock " << stock << " delta: expected " << delta << " computed "
                                              << f[0].today.delta << " tolerance 0.1\n inputs: " << Describe(in);
    EXPECT_NEAR(f[0].today.gamma, gamma, 0.05) << "stock " << stock << " gamma: expected " << gamma << " computed "
                                               << f[0].today.gamma << " tolerance 0.05\n inputs: " << Describe(in);
  }
}

TEST(ImpliedValues, RoundTrip) {
  struct Row {
    double marketPrice;
    DiscountingScheme scheme;
    bool bankruptcy;
  };
  const Row rows[] = {{95, DiscountingScheme::Risky, false},        {100, DiscountingScheme::BondPlusOption, false},
                      {104, DiscountingScheme::Blended, false},     {112, DiscountingScheme::Risky, true},
                      {101, DiscountingScheme::BondPlusOption, false}};
  for (const Row& row : rows) {
    ValuationInput in = CallablePutableConvertible();
    in.marketPricePct = row.marketPrice;
    in.model.discounting = row.scheme;
    in.model.bankruptcy = row.bankruptcy;
    in.model.bondRecoveryPct = 40;
    const Figures f = ValueOne(in).today;
    ASSERT_TRUE(f.impliedVolPct) << Describe(in);
    ValuationInput atVol = in;
    atVol.market.volatilityPct = *f.impliedVolPct;
    const double tolerance = 1e-4;  // 1e-6 of face
    EXPECT_NEAR(FairValue(atVol), row.marketPrice, tolerance) << "implied volatility " << *f.impliedVolPct
                                                              << "\n inputs: " << Describe(in);
    if (f.impliedSpreadBp) {
      ValuationInput atSpread = in;
      atSpread.market.creditSpreadBp = *f.impliedSpreadBp;
      EXPECT_NEAR(FairValue(atSpread), row.marketPrice, tolerance) << "implied spread " << *f.impliedSpreadBp
                                                                   << "\n inputs: " << Describe(in);
    } else {
      ADD_FAILURE() << "no implied spread for " << Describe(in);
    }
  }
}

// A price no volatility or spread reaches has no implied value; the tuners
// that carry one carry the given volatility (or spread) instead, so the
// scenario is priced at the scenario's own volatility and spread.
TEST(ImpliedValues, UnreachablePricesHaveNoneAndTunersCarryTheGivenValues) {
  for (double price : {1000.0, 50.0}) {
    for (int tuner : {TunerRule::ConstantImpliedVolatility, TunerRule::ConstantImpliedSpread}) {
      ValuationInput in = BaseConvertible();
      in.market.stockPrice = 60;  // parity 120
      in.marketPricePct = price;
      const ScenarioResult f = ValueOne(in, {10, 0, 20, 0, 20, tuner, 100});
      EXPECT_FALSE(f.today.impliedVolPct) << "market price " << price << ": " << *f.today.impliedVolPct;
      EXPECT_FALSE(f.today.impliedSpreadBp) << "market price " << price << ": " << *f.today.impliedSpreadBp;
      const bool vol = tuner == TunerRule::ConstantImpliedVolatility;
      const double held = Value(vol ? f.scenario.impliedVolPct : f.scenario.impliedSpreadBp);
      const double given = 1.2 * (vol ? in.market.volatilityPct : in.market.creditSpreadBp);
      EXPECT_NEAR(held, given, 1e-9) << "tuner " << tuner << ", market price " << price << "\n inputs: " << Describe(in);
      EXPECT_NEAR(f.scenario.estimatedPrice, f.scenario.fairValue, 1e-9)
          << "tuner " << tuner << ", market price " << price << "\n inputs: " << Describe(in);
    }
  }
}

// The implied volatility and spread of a scenario, read from its group's
// table of solves, priced again by a solve of their own at the scenario's
// stock and horizon, give the scenario's estimated price.
TEST(ImpliedValues, ScenariosReproduceTheEstimatedPrice) {
  struct Row {
    DiscountingScheme scheme;
    bool bankruptcy;
    int tuner;
    double marketPrice;
  };
  const Row rows[] = {{DiscountingScheme::Risky, false, TunerRule::ConstantCheapness, 97},
                      {DiscountingScheme::Blended, false, TunerRule::ConstantImpliedVolatility, 104},
                      {DiscountingScheme::BondPlusOption, false, TunerRule::ConstantImpliedSpread, 101},
                      {DiscountingScheme::Risky, true, TunerRule::ConstantCheapness, 110}};
  constexpr double kTolerance = 0.01;  // points
  for (const Row& row : rows) {
    ValuationInput in = CallablePutableConvertible();
    in.model.discounting = row.scheme;
    in.model.bankruptcy = row.bankruptcy;
    in.model.bondRecoveryPct = 40;
    in.marketPricePct = row.marketPrice;
    std::vector<ScenarioShift> shifts;
    for (double stock : {-20.0, 0.0, 30.0})
      for (double days : {0.0, 400.0}) shifts.push_back({stock, 25, 10, days, 20, row.tuner, 100});
    const auto figures = ValueScenarios(in, shifts);
    const ConvertibleModel model(in);
    int checked = 0;
    for (std::size_t j = 0; j < shifts.size(); ++j) {
      const ScenarioShift& s = shifts[j];
      const Figures& column = figures[j].scenario;
      const ModelState state{s.rateChangeBp / 10000, in.market.volatilityPct / 100 * (1 + s.volChangePct / 100),
                             in.market.creditSpreadBp / 10000 * (1 + s.spreadChangePct / 100)};
      const std::array<double, 1> horizon{YearsFromDays(s.days)};
      auto priceAt = [&](ModelState at) {
        return CleanPrice(model, model.Solve(at, true, horizon)[0], column.stockPrice, horizon[0]);
      };
      if (column.impliedVolPct) {
        ModelState at = state;
        at.volatility = *column.impliedVolPct / 100;
        EXPECT_NEAR(priceAt(at), column.estimatedPrice, kTolerance)
            << "implied volatility " << *column.impliedVolPct << " at stock " << s.stockChangePct << "%, " << s.days
            << " days, tuner " << row.tuner << "\n inputs: " << Describe(in);
        ++checked;
      }
      if (column.impliedSpreadBp) {
        ModelState at = state;
        at.spread = *column.impliedSpreadBp / 10000;
        EXPECT_NEAR(priceAt(at), column.estimatedPrice, kTolerance)
            << "implied spread " << *column.impliedSpreadBp << " at stock " << s.stockChangePct << "%, " << s.days
            << " days, tuner " << row.tuner << "\n inputs: " << Describe(in);
        ++checked;
      }
    }
    EXPECT_GT(checked, static_cast<int>(shifts.size())) << "too few implied values found\n inputs: " << Describe(in);
  }
}

}  // namespace
}  // namespace zemra::engine::testing

// The Greeks the engine reports against central differences of its own
// prices, and the implied volatility and spread round trips.
#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "EngineTestSupport.h"

namespace zemra::engine::testing {
namespace {

// The input under a model: scheme, bankruptcy model, recovery and decay.
struct Model {
    const char* name;
    DiscountingScheme scheme;
    bool bankruptcy;
    double recoveryPct, decay;
    ValuationInput On(ValuationInput in) const {
        in.model.discounting = scheme;
        in.model.bankruptcy = bankruptcy;
        in.model.bondRecoveryPct = recoveryPct;
        in.model.spreadDecayFactor = decay;
        return in;
    }
};

// Every scheme and model: the reported Greeks against central differences
// of the engine's own scenario values (today's price fixed), and today's
// implied volatility and spread priced again.
TEST(Greeks, AgreeWithScenarioDifferencesAndImpliedValuesReprice) {
    const Model models[] = {{"risky", DiscountingScheme::Risky, false, 0, 0},
                            {"Bond+Option", DiscountingScheme::BondPlusOption, false, 0, 0},
                            {"blended", DiscountingScheme::Blended, false, 0, 0},
                            {"bankruptcy, recovery 40%", DiscountingScheme::Risky, true, 40, 0},
                            {"bankruptcy, decaying hazard", DiscountingScheme::Risky, true, 0, 0.5}};
    for (const Model& m : models)
        for (ValuationInput in : {m.On(CallablePutableConvertible()), m.On(ReferenceBond())}) {
            in.marketPricePct = FairValue(in) + 0.5;
            const double vol = in.market.volatilityPct, stock = in.market.stockPrice;
            // Scenarios 1-8: stock +-1%, volatility +-0.25 point, rates and spread +-5 bp.
            std::vector<ScenarioShift> shifts(9);
            for (int sign : {1, -1}) {
                const std::size_t k = sign > 0 ? 1 : 2;
                shifts[k].stockChangePct = sign;
                shifts[k + 2].volChangePct = sign * 25 / vol;
                shifts[k + 4].rateChangeBp = sign * 5;
                shifts[k + 6].spreadChangePct = sign * 500 / in.market.creditSpreadBp;
            }
            const auto f = ValueScenarios(in, shifts);
            // Two threads (the groups side by side) give the same figures; the
            // unchanged scenario keeps today's.
            EXPECT_TRUE(ValueScenarios(in, shifts, {2}) == f)
                << Report(m.name + std::string(", two threads"), in, 0, 0, 0);
            for (double Figures::*figure :
                 {&Figures::estimatedPrice, &Figures::fairValue, &Figures::bondFloor, &Figures::delta, &Figures::gamma,
                  &Figures::rho, &Figures::vega, &Figures::pctCheap, &Figures::yieldToMaturity, &Figures::yieldToPut,
                  &Figures::yieldToCall, &Figures::spreadSensitivity})
                EXPECT_NEAR(f[0].scenario.*figure, f[0].today.*figure, 1e-3) << Report(m.name, in, 0, 0, 1e-3);
            auto at = [&](int j) { return f[static_cast<std::size_t>(j)].scenario.fairValue; };
            const double shares = in.terms.conversionRatio * 100 / in.terms.face, h = 0.01 * stock;
            const Figures& today = f[0].today;
            ASSERT_TRUE(today.impliedVolPct && today.impliedSpreadBp) << Report(m.name, in, 0, 0, 0);
            ValuationInput atVol = in, atSpread = in;
            atVol.market.volatilityPct = *today.impliedVolPct;
            atSpread.market.creditSpreadBp = *today.impliedSpreadBp;
            const double kReprice = 0.001;  // points: the implied values priced again
            const struct {
                std::string name;
                double computed, expected, tolerance;
            } rows[] = {
                {"delta", today.delta, (at(1) - at(2)) / (2 * h) / shares * 100, 0.1},
                {"gamma", today.gamma, (at(1) - 2 * at(0) + at(2)) / (h * h) * stock / shares, 0.02},
                {"vega", today.vega, (at(3) - at(4)) / 0.5, 0.005},
                {"rho", today.rho, (at(5) - at(6)) / 0.1, 0.01},
                {"spread 01", today.spreadSensitivity, (at(7) - at(8)) / 0.1, 0.02},
                {"implied vol " + std::to_string(*today.impliedVolPct), FairValue(atVol), in.marketPricePct, kReprice},
                {"implied bp " + std::to_string(*today.impliedSpreadBp), FairValue(atSpread), in.marketPricePct,
                 kReprice},
            };
            for (const auto& row : rows)
                EXPECT_NEAR(row.computed, row.expected, row.tolerance)
                    << Report(m.name + (" " + row.name), in, row.expected, row.computed, row.tolerance);
        }
}

TEST(ImpliedValues, UnreachablePricesHaveNoneAndTunersCarryTheCheapness) {
    for (double price : {1000.0, 50.0})
        for (int tuner : {TunerRule::ConstantImpliedVolatility, TunerRule::ConstantImpliedSpread}) {
            ValuationInput in = BaseConvertible();
            in.market.stockPrice = 60;  // parity 120
            in.marketPricePct = price;
            const ScenarioResult f = ValueOne(in, {10, 0, 20, 0, 20, tuner, 100});
            EXPECT_FALSE(f.today.impliedVolPct) << "market price " << price << ": " << *f.today.impliedVolPct;
            EXPECT_FALSE(f.today.impliedSpreadBp) << "market price " << price << ": " << *f.today.impliedSpreadBp;
            // Without an implied value to carry, the scenario keeps today's
            // cheapness, so the gap to the model is no scenario's impact.
            const double expected = f.scenario.fairValue * (1 - f.today.pctCheap / 100.0);
            EXPECT_NEAR(f.scenario.estimatedPrice, expected, 1e-9)
                << Report("tuner " + std::to_string(tuner), in, expected, f.scenario.estimatedPrice, 1e-9);
        }
}

// The implied volatility and spread of a scenario, read from its group's
// table of solves, priced again by a solve of their own at the scenario's
// stock and horizon, give the scenario's estimated price.
TEST(ImpliedValues, ScenariosReproduceTheEstimatedPrice) {
    const struct {
        Model model;
        int tuner;
        double marketPrice;
    } rows[] = {
        {{"risky", DiscountingScheme::Risky, false, 40, 0}, TunerRule::ConstantCheapness, 97},
        {{"blended", DiscountingScheme::Blended, false, 40, 0}, TunerRule::ConstantImpliedVolatility, 104},
        {{"Bond+Option", DiscountingScheme::BondPlusOption, false, 40, 0}, TunerRule::ConstantImpliedSpread, 101},
        {{"bankruptcy", DiscountingScheme::Risky, true, 40, 0}, TunerRule::ConstantCheapness, 110}};
    for (const auto& row : rows) {
        ValuationInput in = row.model.On(CallablePutableConvertible());
        in.marketPricePct = row.marketPrice;
        std::vector<ScenarioShift> shifts;
        for (double stock : {-20.0, 0.0, 30.0})
            for (double days : {0.0, 400.0}) shifts.push_back({stock, 25, 10, days, 20, row.tuner, 100});
        const auto figures = ValueScenarios(in, shifts);
        // One group: two threads share its solves.
        EXPECT_TRUE(ValueScenarios(in, shifts, {2}) == figures) << Report("two threads", in, 0, 0, 0);
        const ConvertibleModel model(in);
        int checked = 0;
        for (std::size_t j = 0; j < shifts.size(); ++j) {
            const ScenarioShift& s = shifts[j];
            const Figures& column = figures[j].scenario;
            const ModelState state{s.rateChangeBp / 10000, in.market.volatilityPct / 100 * (1 + s.volChangePct / 100),
                                   in.market.creditSpreadBp / 10000 * (1 + s.spreadChangePct / 100)};
            const std::array<double, 1> horizon{YearsFromDays(s.days)};
            for (const auto& [name, implied, field, unit] :
                 {std::tuple{"implied volatility ", column.impliedVolPct, &ModelState::volatility, 100.0},
                  std::tuple{"implied spread ", column.impliedSpreadBp, &ModelState::spread, 10000.0}}) {
                if (!implied) continue;
                ModelState at = state;
                at.*field = *implied / unit;
                const double price =
                    CleanPrice(model, model.Solve(at, true, horizon)[0], column.stockPrice, horizon[0]);
                const std::string what = name + std::to_string(*implied) + ", " + Describe(s);
                EXPECT_NEAR(price, column.estimatedPrice, 0.01) << Report(what, in, column.estimatedPrice, price, 0.01);
                ++checked;
            }
        }
        EXPECT_GT(checked, static_cast<int>(shifts.size())) << Report("too few implied values found", in, 0, 0, 0);
    }
}

}  // namespace
}  // namespace zemra::engine::testing

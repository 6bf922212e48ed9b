// ValueScenarios as the scenario-detail page calls it: sharing of solves
// across scenarios, the tuners, stocks, threads and bad input.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <tuple>

#include "EngineTestSupport.h"

namespace zemra::engine::testing {
namespace {

TEST(Scenarios, SharedSolvesMatchFreshValuations) {
    // A moved stock price moves the grid's nodes, hence the wider tolerance
    // of the rows that move it.
    const struct {
        ScenarioShift shift;
        double tolerance;
    } rows[] = {
        {{7, 0, 0, 0, 0}, 0.01},   {{-23, 0, 0, 0, 0}, 0.01}, {{0, 25, 0, 0, 0}, 0.002},      {{0, 0, 10, 0, 0}, 0.002},
        {{0, 0, 0, 0, 40}, 0.002}, {{0, 0, 0, 200, 0}, 0.01}, {{15, -50, -20, 91, 25}, 0.01},
    };
    for (const auto& row : rows) {
        const ValuationInput in = CallablePutableConvertible();
        const Figures shared = ValueOne(in, row.shift).scenario;
        ValuationInput moved = in;
        moved.market.stockPrice *= 1 + row.shift.stockChangePct / 100;
        for (auto& z : moved.market.zeroCurve) z.ratePct += row.shift.rateChangeBp / 100;
        moved.market.volatilityPct *= 1 + row.shift.volChangePct / 100;
        moved.market.creditSpreadBp *= 1 + row.shift.spreadChangePct / 100;
        const double years = YearsFromDays(row.shift.days);
        moved.terms.maturityTime -= years;
        moved.terms.issueTime -= years;
        for (auto& c : moved.terms.calls) c.start -= years, c.end -= years;
        for (auto& p : moved.terms.puts) p.time -= years;
        const Figures fresh = ValueOne(moved).today;
        for (auto [name, figure, tolerance] : {std::tuple{"fair value", &Figures::fairValue, row.tolerance},
                                               {"bond floor", &Figures::bondFloor, row.tolerance},
                                               {"delta", &Figures::delta, 0.3}})
            EXPECT_NEAR(shared.*figure, fresh.*figure, tolerance)
                << Report(name + (", " + Describe(row.shift)), in, fresh.*figure, shared.*figure, tolerance);
    }
}

// A tuner carries its measure into a moved scenario.
TEST(Scenarios, TunersCarryTheirMeasure) {
    ValuationInput in = CallablePutableConvertible();
    in.marketPricePct = 97;
    const Figures today = ValueOne(in).today;
    const auto vol = [](const Figures& f) { return f.impliedVolPct.value_or(-1); };
    const auto cheap = [](const Figures& f) { return f.pctCheap; };
    const auto spread = [](const Figures& f) { return f.impliedSpreadBp.value_or(-1); };
    const struct {
        int tuner;
        double tunerValue;
        double (*figure)(const Figures&);  // the figure the tuner holds
        double expected;                   // as a multiple of today's
    } rows[] = {{TunerRule::ConstantImpliedVolatility, 100, vol, 1.0},
                {TunerRule::ConstantImpliedVolatility, 120, vol, 1.2},
                {TunerRule::ConstantCheapness, 50, cheap, 0.5},
                {TunerRule::ConstantImpliedSpread, 100, spread, 1.0},
                {TunerRule::ConstantImpliedSpread, 80, spread, 0.8}};
    for (const auto& row : rows) {
        const Figures f = ValueOne(in, {12, 30, 0, 45, 0, row.tuner, row.tunerValue}).scenario;
        const double expected = row.figure(today) * row.expected;
        EXPECT_NEAR(row.figure(f), expected, 1e-6 + 1e-6 * std::abs(expected))
            << "tuner " << row.tuner << " value " << row.tunerValue;
    }
}

// A stock is its own price; a horizon at or past maturity gives the
// redemption or parity.
TEST(Scenarios, StockAndMaturedBondNeedNoModel) {
    ValuationInput in;
    in.isStock = true;
    in.market.stockPrice = 63.1;
    const ScenarioResult f = ValueOne(in, {-30, 50, 20, 10, 10});
    for (const auto& [column, stock] : {std::pair{f.today, 63.1}, std::pair{f.scenario, 44.17}})
        for (double figure : {column.stockPrice, column.estimatedPrice, column.fairValue, column.delta / 100 * stock})
            EXPECT_NEAR(figure, stock, 1e-12);
    in = BaseConvertible();
    in.terms.maturityTime = 0.5;
    EXPECT_DOUBLE_EQ(ValueOne(in, {0, 0, 0, 400, 0}).scenario.fairValue, 100);
    EXPECT_NEAR(ValueOne(in, {50, 0, 0, 400, 0}).scenario.fairValue, 42.5 * 1.5 * 2, 1e-9);
}

TEST(InputChecks, BadInputNamesTheValue) {
    using In = ValuationInput;
    using Shift = ScenarioShift;
    const struct {
        std::function<void(In&, Shift&)> spoil;
        const char* message;
    } rows[] = {
        {[](In& in, Shift&) { in.market.volatilityPct = -20; }, "volatility -20 is not positive"},
        {[](In& in, Shift&) { in.terms.couponFrequency = 3; }, "coupon frequency 3 is not 1, 2, 4 or 12"},
        {[](In& in, Shift&) { in.model.bondRecoveryPct = 100; }, "bond recovery rate 100 is not below 100"},
        {[](In& in, Shift&) { in.model.discounting = DiscountingScheme(7); }, "discounting scheme 7 is not 0, 1 or 2"},
        {[](In& in, Shift&) { in.market.creditSpreadBp = -5; }, "credit spread -5 is negative"},
        {[](In&, Shift& s) { s.stockChangePct = -150; }, "scenario 1: stock change -150 is below -100"},
        {[](In&, Shift& s) { s.volChangePct = -100; }, "scenario 1: volatility change -100 is not above -100"},
        {[](In&, Shift& s) { s.days = -3; }, "scenario 1: days -3 is negative"},
    };
    for (const auto& row : rows) {
        ValuationInput in = BaseConvertible();
        ScenarioShift shift;
        row.spoil(in, shift);
        std::string message = "no error";
        try {
            ValueOne(in, shift);
        } catch (const std::invalid_argument& e) {
            message = e.what();
        }
        EXPECT_EQ(message, row.message);
    }
}

}  // namespace
}  // namespace zemra::engine::testing

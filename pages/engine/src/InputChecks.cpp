#include "InputChecks.h"

#include <cmath>
#include <sstream>
#include <stdexcept>
#include <string>

namespace zemra::engine {

namespace {

[[noreturn]] void Fail(const std::string& what, double value, const std::string& problem) {
    std::ostringstream text;
    text << what << ' ' << value << ' ' << problem;
    throw std::invalid_argument(text.str());
}

void RequireFinite(const std::string& what, double value) {
    if (!std::isfinite(value)) Fail(what, value, "is not a finite number");
}
void RequirePositive(const std::string& what, double value) {
    RequireFinite(what, value);
    if (value <= 0) Fail(what, value, "is not positive");
}
void RequireNonNegative(const std::string& what, double value) {
    RequireFinite(what, value);
    if (value < 0) Fail(what, value, "is negative");
}

void CheckTerms(const ContractTerms& t) {
    RequirePositive("face", t.face);
    RequireNonNegative("coupon rate", t.couponPct);
    if (t.couponPct > 0 && t.couponFrequency != 1 && t.couponFrequency != 2 && t.couponFrequency != 4 &&
        t.couponFrequency != 12)
        Fail("coupon frequency", t.couponFrequency, "is not 1, 2, 4 or 12");
    RequirePositive("maturity", t.maturityTime);
    RequireFinite("issue time", t.issueTime);
    if (t.issueTime >= t.maturityTime) Fail("issue time", t.issueTime, "is not before maturity");
    RequireNonNegative("redemption", t.redemptionPct);
    RequireNonNegative("conversion ratio", t.conversionRatio);
    RequireFinite("conversion start", t.conversionStart);
    RequireFinite("conversion end", t.conversionEnd);
    for (const auto& c : t.calls) {
        RequireFinite("call start", c.start);
        if (c.end < c.start) Fail("call end", c.end, "is before its start");
        RequireNonNegative("call price", c.pricePct);
        RequireNonNegative("call trigger", c.triggerPct);
    }
    for (const auto& p : t.puts) {
        RequireFinite("put date", p.time);
        RequireNonNegative("put price", p.pricePct);
    }
}

void CheckMarket(const MarketData& m, bool stock) {
    if (stock) {
        RequireNonNegative("stock price", m.stockPrice);
        return;
    }
    RequirePositive("stock price", m.stockPrice);
    RequirePositive("volatility", m.volatilityPct);
    RequireFinite("dividend yield", m.dividendYieldPct);
    RequireFinite("borrow cost", m.borrowCostPct);
    RequireNonNegative("credit spread", m.creditSpreadBp);
    RequirePositive("fx rate", m.fxStockToBond);
    for (const auto& d : m.dividends) {
        RequireFinite("dividend date", d.time);
        RequireNonNegative("dividend", d.amount);
    }
    for (const auto& z : m.zeroCurve) {
        RequireNonNegative("curve tenor", z.tenor);
        RequireFinite("zero rate", z.ratePct);
    }
}

void CheckModel(const ModelChoice& m) {
    const int scheme = static_cast<int>(m.discounting);
    if (scheme < 0 || scheme > 2) Fail("discounting scheme", scheme, "is not 0, 1 or 2");
    const int dividend = static_cast<int>(m.dividendType);
    if (dividend != 1 && dividend != 2) Fail("dividend type", dividend, "is not 1 or 2");
    RequireNonNegative("bond recovery rate", m.bondRecoveryPct);
    if (m.bondRecoveryPct >= 100) Fail("bond recovery rate", m.bondRecoveryPct, "is not below 100");
    RequireNonNegative("spread decay factor", m.spreadDecayFactor);
    RequireNonNegative("discrete dividend years", m.discreteDividendYears);
    if (m.grid.stockNodes < 20 || m.grid.stockNodes > 20000)
        Fail("stock nodes", m.grid.stockNodes, "is not in 20..20000");
    if (m.grid.timeStepsPerYear < 1 || m.grid.timeStepsPerYear > 100000)
        Fail("time steps a year", m.grid.timeStepsPerYear, "is not in 1..100000");
    if (m.grid.minTimeSteps < 1 || m.grid.minTimeSteps > 100000)
        Fail("minimum time steps", m.grid.minTimeSteps, "is not in 1..100000");
}

}  // namespace

void CheckValuationInput(const ValuationInput& input) {
    CheckMarket(input.market, input.isStock);
    if (input.isStock) return;
    CheckTerms(input.terms);
    CheckModel(input.model);
    RequireFinite("market price", input.marketPricePct);
}

void CheckScenario(const ScenarioShift& s, std::size_t index) {
    const std::string at = "scenario " + std::to_string(index + 1) + ": ";
    RequireFinite(at + "stock change", s.stockChangePct);
    if (s.stockChangePct < -100) Fail(at + "stock change", s.stockChangePct, "is below -100");
    RequireFinite(at + "rate change", s.rateChangeBp);
    RequireFinite(at + "volatility change", s.volChangePct);
    if (s.volChangePct <= -100) Fail(at + "volatility change", s.volChangePct, "is not above -100");
    RequireNonNegative(at + "days", s.days);
    RequireFinite(at + "credit spread change", s.spreadChangePct);
    if (s.spreadChangePct < -100) Fail(at + "credit spread change", s.spreadChangePct, "is below -100");
    RequireFinite(at + "tuner value", s.tunerValuePct);
}

}  // namespace zemra::engine

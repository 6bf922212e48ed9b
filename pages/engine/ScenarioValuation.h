// The pricing engine's public interface: a convertible bond (or a stock) with
// its contract terms, market data and model choices in, today's figures and
// the same figures under every scenario out.
//
// Units and conventions (README.md in this folder has the full list):
// - Times are year fractions from the valuation date (Actual/365 Fixed: a
//   date d days away is d / 365 years; YearsFromDays does this). Negative
//   times lie in the past. Accrued interest grows linearly in these years
//   between coupon dates.
// - Bond prices (market price, fair value, bond floor, call and put prices,
//   redemption) are in percent of face ("points"); prices are clean (accrued
//   interest excluded) unless a field says otherwise.
// - Rates and yields are in percent a year, credit spreads in basis points,
//   volatility in percent a year.
// - Stock prices are in the stock's currency per share.
//
// Bad input throws std::invalid_argument whose message names the value at
// fault, e.g. "volatility -20 is negative".
#pragma once

#include <optional>
#include <span>
#include <vector>

namespace zemra::engine {

inline constexpr double kDaysPerYear = 365.0;

// Year fraction of a number of calendar days (Actual/365 Fixed).
inline double YearsFromDays(double days) { return days / kDaysPerYear; }

// ---------------------------------------------------------------- contract

// A call period: the issuer may redeem at pricePct between start and end
// (years). A soft call (triggerPct > 0) is active only while parity is at
// least triggerPct percent of face, i.e. the stock is at or above
// triggerPct % of the conversion price; the trigger's day-counting window is
// not modelled.
struct CallPeriod {
    double start = 0;
    double end = 0;
    double pricePct = 100;
    bool clean = true;      // true: the holder also receives accrued interest
    double triggerPct = 0;  // 0: hard call
};

// A put date: the holder may sell the bond back at pricePct on that date.
struct PutDate {
    double time = 0;
    double pricePct = 100;
    bool clean = true;  // true: the holder also receives accrued interest
};

struct ContractTerms {
    double face = 1000;          // currency of the bond per bond
    double couponPct = 0;        // percent of face a year
    int couponFrequency = 2;     // payments a year: 1, 2, 4 or 12 (ignored when couponPct is 0)
    double issueTime = -1;       // years; coupons accrue from the later of issue and the previous coupon date
    double maturityTime = 5;     // years; coupon dates run back from maturity in steps of 1/frequency
    double redemptionPct = 100;  // paid at maturity, percent of face
    double conversionRatio = 0;  // shares per bond
    double conversionStart = 0;  // years; conversion is allowed at any time in [start, end]
    double conversionEnd = -1;   // years; negative: up to maturity
    std::vector<CallPeriod> calls;
    std::vector<PutDate> puts;
};

// ---------------------------------------------------------------- market

// A scheduled cash dividend per share, in the stock's currency.
struct Dividend {
    double time = 0;
    double amount = 0;
};

// A zero rate, continuously compounded, percent a year, for a tenor in years.
// Rates between tenors are interpolated linearly; flat beyond both ends.
struct ZeroRate {
    double tenor = 0;
    double ratePct = 0;
};

struct MarketData {
    double stockPrice = 0;            // per share, stock's currency
    double volatilityPct = 30;        // percent a year
    std::vector<Dividend> dividends;  // used with DividendType::Discrete
    double dividendYieldPct = 0;      // continuous, percent a year
    double borrowCostPct = 0;         // stock borrow cost, percent a year (lowers the stock's drift)
    double creditSpreadBp = 0;        // issuer's credit spread over the curve, basis points
    std::vector<ZeroRate> zeroCurve;  // empty: all rates 0
    double fxStockToBond = 1;         // bond-currency units per stock-currency unit
};

// ---------------------------------------------------------------- model

// Discounting scheme codes, as the page sends them ("&DiscountingScheme=").
enum class DiscountingScheme : int {
    Risky = 0,           // the whole value discounted at curve + spread
    BondPlusOption = 1,  // cash part at curve + spread, equity part at curve (Tsiveriotis-Fernandes)
    Blended = 2,         // curve + spread x (1 - probability of conversion), delta-weighted
};

// Dividend type codes, as the page sends them ("&DividendType=").
enum class DividendType : int {
    Discrete = 1,    // scheduled cash dividends within discreteDividendYears, the yield after
    Continuous = 2,  // the yield throughout; the schedule is not used
};

struct GridAccuracy {
    int stockNodes = 240;       // nodes of the stock-price grid
    int timeStepsPerYear = 60;  // Crank-Nicolson steps a year (events add steps)
    int minTimeSteps = 60;      // at least this many steps however short the bond
};

struct ModelChoice {
    DiscountingScheme discounting = DiscountingScheme::Risky;
    // Bankruptcy model: the issuer defaults with intensity
    // lambda = spread / (1 - recovery), times (S / S0)^(-spreadDecayFactor);
    // on default the stock drops to 0 and the bond pays bondRecoveryPct of face.
    // With it on the credit spread enters only through lambda (the scheme is
    // not used).
    bool bankruptcy = false;
    double bondRecoveryPct = 0;    // percent of face, 0 <= r < 100
    double spreadDecayFactor = 0;  // >= 0
    DividendType dividendType = DividendType::Continuous;
    double discreteDividendYears = 0;  // 0 with Discrete: every scheduled dividend is discrete
    GridAccuracy grid;
};

// ---------------------------------------------------------------- scenario

// Pricing tuner identifiers: how a scenario's estimated price is found.
namespace TunerRule {
inline constexpr int ConstantImpliedVolatility = 1;  // today's implied volatility carried (x tuner value / 100)
inline constexpr int ConstantCheapness = 2;          // today's percent cheap carried (x tuner value / 100)
inline constexpr int ConstantImpliedSpread = 3;      // today's implied spread carried (x tuner value / 100)
}  // namespace TunerRule
// Any other identifier is valued as ConstantImpliedVolatility. When today's
// market price has no implied volatility (or spread), rule 1 (or 3) carries
// the given volatility (or spread) instead.

struct ScenarioShift {
    double stockChangePct = 0;   // stock x (1 + change / 100)
    double rateChangeBp = 0;     // every zero rate + change / 100 percent
    double volChangePct = 0;     // volatility x (1 + change / 100)
    double days = 0;             // valuation date moved forward by this many days
    double spreadChangePct = 0;  // credit spread x (1 + change / 100)
    int tuner = TunerRule::ConstantImpliedVolatility;
    double tunerValuePct = 100;
};

// ---------------------------------------------------------------- figures

// The figures of one column: today's, or the same figures under a scenario.
// A stock's estimated price and fair value are its price, its delta 100 and
// the rest 0 (its implied values too).
struct Figures {
    double stockPrice = 0;      // stock price
    double estimatedPrice = 0;  // market price today, the tuner's price under a scenario
    double fairValue = 0;       // model value (clean, points)
    double bondFloor = 0;       // model value without conversion (clean, points)
    double delta = 0;           // dV/dS over d(parity)/dS x 100: percent of the conversion shares
    double gamma = 0;           // change of delta for a 1% rise of the stock
    double rho = 0;             // price change for +100 bp on every rate, points
    double vega = 0;            // price change for +1 volatility point, points
    // Volatility (percent) and credit spread (bp) at which the model gives the
    // estimated price; none when no value in the solvers' range ([0.1%, 300%],
    // [0, 10000] bp) gives it, or at a horizon at or past maturity, where the
    // price depends on neither. Never 0 for none: 0 bp is a plausible spread.
    std::optional<double> impliedVolPct;
    std::optional<double> impliedSpreadBp;
    double pctCheap = 0;           // (fair value - estimated price) / fair value x 100
    double yieldToMaturity = 0;    // at the estimated price, percent; 0 when no yield gives it
    double yieldToPut = 0;         // to the next put, percent; 0 without a put
    double yieldToCall = 0;        // to the next call, percent; 0 without a call
    double spreadSensitivity = 0;  // price change for +100 bp of credit spread, points

    friend bool operator==(const Figures&, const Figures&) = default;
};

// One scenario's figures: today's (the same for every scenario) and under
// the scenario.
struct ScenarioResult {
    Figures today;
    Figures scenario;
    friend bool operator==(const ScenarioResult&, const ScenarioResult&) = default;
};

struct ValuationInput {
    ContractTerms terms;
    MarketData market;
    ModelChoice model;
    double marketPricePct = 0;  // the convertible's market price (clean, points); <= 0: none, the fair value stands in
    bool isStock = false;       // a stock: market.stockPrice only; terms, model and market price unused
};

struct RunOptions {
    int threads = 1;  // solves run on this many threads (1 or more)
};

// Values the security under every scenario; one ScenarioResult per
// scenario, in order. Throws std::invalid_argument on bad input.
std::vector<ScenarioResult> ValueScenarios(const ValuationInput& input, std::span<const ScenarioShift> scenarios,
                                           const RunOptions& options = {});

}  // namespace zemra::engine

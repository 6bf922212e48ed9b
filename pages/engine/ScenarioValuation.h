// The pricing engine's public interface: a convertible bond (or a stock) with
// its contract terms, market data and model choices in, the 31 valuation
// figures of every scenario out.
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

#include <array>
#include <span>
#include <string>
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
  bool clean = true;       // true: the holder also receives accrued interest
  double triggerPct = 0;   // 0: hard call
};

// A put date: the holder may sell the bond back at pricePct on that date.
struct PutDate {
  double time = 0;
  double pricePct = 100;
  bool clean = true;       // true: the holder also receives accrued interest
};

struct ContractTerms {
  double face = 1000;            // currency of the bond per bond
  double couponPct = 0;          // percent of face a year
  int couponFrequency = 2;       // payments a year: 1, 2, 4 or 12 (ignored when couponPct is 0)
  double issueTime = -1;         // years; coupons accrue from the later of issue and the previous coupon date
  double maturityTime = 5;       // years; coupon dates run back from maturity in steps of 1/frequency
  double redemptionPct = 100;    // paid at maturity, percent of face
  double conversionRatio = 0;    // shares per bond
  double conversionStart = 0;    // years; conversion is allowed at any time in [start, end]
  double conversionEnd = -1;     // years; negative: up to maturity
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
  Risky = 0,          // the whole value discounted at curve + spread
  BondPlusOption = 1, // cash part at curve + spread, equity part at curve (Tsiveriotis-Fernandes)
  Blended = 2,        // curve + spread x (1 - probability of conversion), delta-weighted
};

// Dividend type codes, as the page sends them ("&DividendType=").
enum class DividendType : int {
  Discrete = 1,    // scheduled cash dividends within discreteDividendYears, the yield after
  Continuous = 2,  // the yield throughout; the schedule is not used
};

struct GridAccuracy {
  int stockNodes = 240;         // nodes of the stock-price grid
  int timeStepsPerYear = 60;    // Crank-Nicolson steps a year (events add steps)
  int minTimeSteps = 60;        // at least this many steps however short the bond
};

struct ModelChoice {
  DiscountingScheme discounting = DiscountingScheme::Risky;
  // Bankruptcy model: the issuer defaults with intensity
  // lambda = spread / (1 - recovery), times (S / S0)^(-spreadDecayFactor);
  // on default the stock drops to 0 and the bond pays bondRecoveryPct of face.
  // With it on the credit spread enters only through lambda (the scheme is
  // not used).
  bool bankruptcy = false;
  double bondRecoveryPct = 0;     // percent of face, 0 <= r < 100
  double spreadDecayFactor = 0;   // >= 0
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
// market price has no implied volatility (or spread), rule 1 (or 3) falls
// back to ConstantCheapness.

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

// The 31 figures of one scenario: current figures in 0..14, the same figures
// under the scenario in 15..29, and 30 (the scenario's impact) always 0.
inline constexpr int kFigureCount = 31;
using ScenarioFigures = std::array<double, kFigureCount>;

// Offsets of one column; the scenario column adds kScenarioColumn.
enum Figure : int {
  kStockPrice = 0,   // stock price
  kEstPrice = 1,     // estimated price: market price today, the tuner's price under a scenario
  kFairValue = 2,    // model value (clean, points)
  kBondFloor = 3,    // model value without conversion (clean, points)
  kDelta = 4,        // dV/dS over d(parity)/dS x 100: percent of the conversion shares
  kGamma = 5,        // change of kDelta for a 1% rise of the stock
  kRho = 6,          // price change for +100 bp on every rate, points
  kVega = 7,         // price change for +1 volatility point, points
  kImpVol = 8,       // volatility (percent) at which the model gives the estimated price; 0 if none
  kImpSprd = 9,      // credit spread (bp) at which the model gives the estimated price; 0 if none
  kPctCheap = 10,    // (fair value - estimated price) / fair value x 100
  kYtm = 11,         // yield to maturity at the estimated price, percent
  kYtp = 12,         // yield to the next put, percent; 0 if none
  kYtc = 13,         // yield to the next call, percent; 0 if none
  kCrdSprd01 = 14,   // price change for +100 bp of credit spread, points
};
inline constexpr int kScenarioColumn = 15;
inline constexpr int kSubImpactSlot = 30;

// Security type of a stock: its estimated price and fair value are the stock
// price and its delta is 100.
inline constexpr const char* kStockSecurityType = "E";

struct ValuationInput {
  ContractTerms terms;
  MarketData market;
  ModelChoice model;
  double marketPricePct = 0;  // the convertible's market price (clean, points); <= 0: none, the fair value stands in
  std::string securityType;   // kStockSecurityType: a stock (market.stockPrice only; terms unused)
};

struct RunOptions {
  int threads = 1;  // solves run on this many threads (1 or more)
};

// Values the security under every scenario; one ScenarioFigures per
// scenario, in order. Throws std::invalid_argument on bad input.
std::vector<ScenarioFigures> ValueScenarios(const ValuationInput& input,
                                            std::span<const ScenarioShift> scenarios,
                                            const RunOptions& options = {});

}  // namespace zemra::engine

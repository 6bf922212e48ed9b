// Figures read from solved grids: clean prices, Greeks in the page's units,
// implied volatility and spread, yields, and the implied value of a
// parameter from a table of solves.
#pragma once

#include <functional>
#include <vector>

#include "ConvertibleModel.h"

namespace zemra::engine {

// Bumps of the finite-difference Greeks.
inline constexpr double kRateBump = 0.001;    // 10 bp
inline constexpr double kVolBump = 0.005;     // half a volatility point
inline constexpr double kSpreadBump = 0.001;  // 10 bp

// Brackets of the implied solvers (decimals).
inline constexpr double kMinImpliedVol = 0.001;
inline constexpr double kMaxImpliedVol = 3.0;
inline constexpr double kMinImpliedSpread = 0.0;
inline constexpr double kMaxImpliedSpread = 1.0;

// Clean price (points) on one solved slice at a stock price and horizon.
double CleanPrice(const ConvertibleModel& model, const std::vector<double>& slice, double stock, double horizon);

// Clean price today at today's stock price.
double CleanPriceToday(const ConvertibleModel& model, const ModelState& state, bool conversion);

// Price sensitivities from two bumped prices: a central difference when the
// down value exists, else one-sided from the centre. Scaled to `unit`.
double Sensitivity(double up, double centre, double down, bool haveDown, double bump, double unit);

// What is known of the price at the state's own value: the price itself
// and its slope in the parameter (points per unit of the decimal value;
// 0 when unknown). They save the search a solve and aim its first step.
struct ImpliedHint {
    bool haveStartPrice = false;
    double startPrice = 0;
    double slope = 0;
};

// Volatility (decimal) at which the clean price at (stock, horizon) is
// `target`; false when no volatility in the bracket gives it.
bool ImpliedVolatility(const ConvertibleModel& model, ModelState state, double stock, double horizon, double target,
                       double& vol, const ImpliedHint& hint = {});
// Credit spread (decimal) likewise.
bool ImpliedSpread(const ConvertibleModel& model, ModelState state, double stock, double horizon, double target,
                   double& spread, const ImpliedHint& hint = {});

// The parameter at which a price known at ascending parameter nodes equals
// `target`: cubic interpolation between the two nodes that bracket it.
// False when no pair of neighbouring nodes brackets the target.
bool InvertTable(const std::vector<double>& nodes, const std::vector<double>& prices, double target, double& root);

// Yields (percent) at a clean price seen from `horizon`: to maturity, to the
// next put and to the next call. 0 where there is no such date or no yield.
struct Yields {
    double toMaturity = 0;
    double toPut = 0;
    double toCall = 0;
};
Yields YieldsAt(const ContractTerms& terms, const BondSchedule& schedule, double horizon, double cleanPrice);

}  // namespace zemra::engine

#include "FigureTools.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "RootFinding.h"
#include "Spline.h"

namespace zemra::engine {

namespace {

constexpr double kImpliedTolerance = 1e-9;
// Implied values stop when the price is this close to the target (points).
constexpr double kImpliedPriceTolerance = 1e-7;
constexpr double kShortestYieldPeriod = 1.0 / 365.0;

}  // namespace

double CleanPrice(const ConvertibleModel& model, const std::vector<double>& slice, double stock, double horizon) {
    return Spline(model.Stock(), slice).Value(stock) - model.Schedule().Accrued(horizon);
}

double CleanPriceToday(const ConvertibleModel& model, const ModelState& state, bool conversion) {
    const std::array<double, 1> today{0.0};
    const auto slices = model.Solve(state, conversion, today);
    return slices[0][model.SpotNode()] - model.Schedule().Accrued(0.0);
}

double Sensitivity(double up, double centre, double down, bool haveDown, double bump, double unit) {
    const double slope = haveDown ? (up - down) / (2 * bump) : (up - centre) / bump;
    return slope * unit;
}

namespace {

// Searches from the state's own value, in the direction that moves the
// price towards the target, for the nearest root: a first step from the
// price's slope when it is known, then secant steps, then Brent until the
// price is within kImpliedPriceTolerance. Where the price need not be
// monotone (spread under the bankruptcy model) the other way is tried when
// nothing is found.
bool ImpliedParameter(const ConvertibleModel& model, ModelState state, double ModelState::*parameter,
                      double priceRisesWith, bool monotone, double firstStep, double low, double high, double stock,
                      double horizon, double target, const ImpliedHint& hint, double& result) {
    const std::array<double, 1> at{horizon};
    auto gap = [&](double x) {
        state.*parameter = x;
        const auto slices = model.Solve(state, true, at);
        return CleanPrice(model, slices[0], stock, horizon) - target;
    };
    const double start = std::clamp(state.*parameter, low, high);
    const bool known = hint.haveStartPrice && start == state.*parameter;
    const double atStart = known ? hint.startPrice - target : gap(start);
    const double direction = (atStart < 0 ? 1.0 : -1.0) * priceRisesWith;
    double step = direction * firstStep;
    // Newton's step from the slope, a little long so that it brackets.
    if (hint.slope * priceRisesWith > 0) {
        const double newton = -atStart / hint.slope;
        if (newton * direction > 0)
            step = direction * std::clamp(1.1 * std::abs(newton), 0.1 * firstStep, 10 * firstStep);
    }
    if (FindRootFrom(gap, start, atStart, step, low, high, kImpliedTolerance, result, kImpliedPriceTolerance))
        return true;
    if (monotone) return false;
    return FindRootFrom(gap, start, atStart, -direction * firstStep, low, high, kImpliedTolerance, result,
                        kImpliedPriceTolerance);
}

constexpr double kFirstVolStep = 0.02;
constexpr double kFirstSpreadStep = 0.005;

}  // namespace

bool ImpliedVolatility(const ConvertibleModel& model, ModelState state, double stock, double horizon, double target,
                       double& vol, const ImpliedHint& hint) {
    return ImpliedParameter(model, state, &ModelState::volatility, 1.0, true, kFirstVolStep, kMinImpliedVol,
                            kMaxImpliedVol, stock, horizon, target, hint, vol);
}

bool ImpliedSpread(const ConvertibleModel& model, ModelState state, double stock, double horizon, double target,
                   double& spread, const ImpliedHint& hint) {
    return ImpliedParameter(model, state, &ModelState::spread, -1.0, model.PriceMonotoneInSpread(), kFirstSpreadStep,
                            kMinImpliedSpread, kMaxImpliedSpread, stock, horizon, target, hint, spread);
}

bool InvertTable(const std::vector<double>& nodes, const std::vector<double>& prices, double target, double& root) {
    const std::size_t n = nodes.size();
    for (std::size_t k = 0; k + 1 < n; ++k) {
        const double a = prices[k] - target, b = prices[k + 1] - target;
        if (a != 0 && b != 0 && (a > 0) == (b > 0)) continue;
        std::size_t first = k >= 1 ? k - 1 : 0;
        first = n >= 4 ? std::min(first, n - 4) : 0;
        const std::size_t last = std::min(n, first + 4);
        auto interpolate = [&](double x) {
            double sum = 0;
            for (std::size_t i = first; i < last; ++i) {
                double term = prices[i];
                for (std::size_t j = first; j < last; ++j)
                    if (j != i) term *= (x - nodes[j]) / (nodes[i] - nodes[j]);
                sum += term;
            }
            return sum - target;
        };
        return FindRoot(interpolate, nodes[k], nodes[k + 1], 1e-12, root);
    }
    return false;
}

namespace {

double YieldTo(const BondSchedule& schedule, int frequency, double horizon, double date, double finalAmount,
               double dirtyPrice) {
    if (date - horizon < kShortestYieldPeriod || dirtyPrice <= 0) return 0;
    double yield = 0;
    if (!YieldOfFlows(schedule.FlowsTo(horizon, date, finalAmount), horizon, dirtyPrice, frequency, yield)) return 0;
    return yield * 100;
}

}  // namespace

Yields YieldsAt(const ContractTerms& terms, const BondSchedule& schedule, double horizon, double cleanPrice) {
    const int frequency = terms.couponPct > 0 ? terms.couponFrequency : 2;
    const double dirty = cleanPrice + schedule.Accrued(horizon);
    Yields y;
    y.toMaturity = YieldTo(schedule, frequency, horizon, schedule.Maturity(), terms.redemptionPct, dirty);
    double date = 0, price = 0;
    if (schedule.NextPut(horizon, date, price)) y.toPut = YieldTo(schedule, frequency, horizon, date, price, dirty);
    if (schedule.NextCall(horizon, date, price)) y.toCall = YieldTo(schedule, frequency, horizon, date, price, dirty);
    return y;
}

}  // namespace zemra::engine

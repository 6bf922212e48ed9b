#include "ConvertibleModel.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "BondSchedule.h"
#include "Tridiagonal.h"

namespace zemra::engine {

namespace {

// Width (years) of the blocks of time over which the rate of the time
// steps is the curve's average forward.
constexpr double kRateBlock = 1.0 / 12.0;
// Hazard rates of the bankruptcy model are capped at this (a year), so that
// the decaying spread stays finite as the stock nears 0.
constexpr double kMaxHazard = 5.0;
// Width of the grid's concentration around today's stock price, as a share
// of it.
constexpr double kConcentration = 0.25;
// The grid reaches five standard deviations of this volatility above the
// larger of today's stock price and the conversion price (3 to 10 times it).
constexpr double kGridVolatility = 0.6;
// The grid's top lies at least this many times above the highest stock
// price read from it.
constexpr double kScenarioReach = 3.0;
// Iteration limit of the implicit conversion and call constraints.
constexpr int kMaxConstraintIterations = 8;
// The explicit half of a step extrapolates through the call cap's corner at
// most this many cells' widths beyond it.
constexpr double kMaxCornerWeight = 4.0;
// A constraint counts as binding within this distance (points).
constexpr double kBindingTolerance = 1e-6;
// How a node stands to the continuous constraints after a time step.
constexpr char kFree = 0;
constexpr char kBelowFloor = 1;  // held at the conversion floor
constexpr char kAboveCap = 2;    // held at the call cap

bool Near(double a, double b) { return std::abs(a - b) < kTimeTolerance; }

// What the holder is paid on a call: a clean price with accrued interest.
double CallPrice(const CallPeriod& call, double accrued) { return call.pricePct + (call.clean ? accrued : 0.0); }

}  // namespace

struct ConvertibleModel::TimeNode {
    double time = 0;
    bool event = false;  // something changes here: Rannacher steps follow
    bool coupon = false;
    double dividend = 0;  // cash dividend going ex on this date
    int horizon = -1;     // index of the horizon that ends here, if any
    double step = 0;      // length of the step to the next node, the same for every step between two marks
    bool mark = false;    // a date of the contract, a horizon, today or maturity (not a plain step)
};

ConvertibleModel::ConvertibleModel(const ValuationInput& input, double highestStock)
    : input_(input), schedule_(input.terms) {
    const ContractTerms& terms = input.terms;
    parityPerShare_ = terms.conversionRatio * input.market.fxStockToBond * 100.0 / terms.face;
    conversionEnd_ = terms.conversionEnd < 0 ? terms.maturityTime : std::min(terms.conversionEnd, terms.maturityTime);
    if (input.model.dividendType == DividendType::Discrete) {
        for (const auto& d : input.market.dividends) {
            const bool inWindow = input.model.discreteDividendYears <= 0 || d.time <= input.model.discreteDividendYears;
            if (d.time > kTimeTolerance && d.time < terms.maturityTime - kTimeTolerance && inWindow && d.amount > 0)
                discreteDividends_.push_back(d);
        }
    }
    BuildStockGrid(highestStock);
}

void ConvertibleModel::BuildStockGrid(double highestStock) {
    const double spot = input_.market.stockPrice;
    const double conversionPrice = parityPerShare_ > 0 ? 100.0 / parityPerShare_ : spot;
    const double reach = std::clamp(std::exp(5.0 * kGridVolatility * std::sqrt(input_.terms.maturityTime)), 3.0, 10.0);
    // A stock price to be read from the grid lies well inside it, below a
    // top that is kScenarioReach times as high.
    const double top = std::max(std::max(spot, conversionPrice) * reach, highestStock * kScenarioReach);
    const double width = kConcentration * spot;
    const double low = std::asinh(-spot / width);
    const double high = std::asinh((top - spot) / width);
    const int nodes = std::max(input_.model.grid.stockNodes, 20);
    const int below = std::max(2, static_cast<int>(std::lround(nodes * (-low) / (high - low))));
    const double step = -low / below;
    const int above = std::max(2, static_cast<int>(std::ceil(high / step)));
    stock_.resize(static_cast<std::size_t>(below + above + 1));
    for (int i = 0; i <= below + above; ++i)
        stock_[static_cast<std::size_t>(i)] = spot + width * std::sinh(low + i * step);
    stock_.front() = 0;
    spotNode_ = static_cast<std::size_t>(below);
    stock_[spotNode_] = spot;

    // Stock prices where the value has a kink or a step (conversion at
    // maturity, parity at a call price, a soft call's trigger) get a node of their own: the nearest
    // node moves there, so results converge smoothly as the grid is refined.
    std::vector<double> levels;
    if (parityPerShare_ > 0) {
        const double finalCoupon = schedule_.CouponTimes().empty() ? 0.0 : schedule_.CouponAmount();
        levels.push_back((input_.terms.redemptionPct + finalCoupon) / parityPerShare_);
        for (const auto& call : input_.terms.calls) {
            levels.push_back(call.pricePct / parityPerShare_);
            if (call.triggerPct > 0) levels.push_back(call.triggerPct / parityPerShare_);
        }
    }
    std::vector<std::size_t> moved{0, spotNode_, stock_.size() - 1};
    for (double level : levels) {
        const auto it = std::lower_bound(stock_.begin(), stock_.end(), level);
        if (it == stock_.begin() || it == stock_.end()) continue;
        std::size_t k = static_cast<std::size_t>(it - stock_.begin());
        if (level - stock_[k - 1] < stock_[k] - level) --k;
        if (std::find(moved.begin(), moved.end(), k) != moved.end()) continue;
        stock_[k] = level;
        moved.push_back(k);
    }
    parity_.resize(stock_.size());
    for (std::size_t i = 0; i < stock_.size(); ++i) parity_[i] = parityPerShare_ * stock_[i];
}

bool ConvertibleModel::ConversionAllowed(double t) const {
    return parityPerShare_ > 0 && t >= input_.terms.conversionStart - kTimeTolerance &&
           t <= conversionEnd_ + kTimeTolerance;
}

double ConvertibleModel::PayoffAtMaturity(double stock, bool conversion) const {
    const double bond = input_.terms.redemptionPct;
    return conversion && ConversionAllowed(schedule_.Maturity()) ? std::max(bond, parityPerShare_ * stock) : bond;
}

std::vector<ConvertibleModel::TimeNode> ConvertibleModel::BuildTimeNodes(std::span<const double> horizons) const {
    const ContractTerms& terms = input_.terms;
    const double maturity = terms.maturityTime;
    std::vector<TimeNode> marks{{0.0}, {maturity}};
    auto mark = [&](double t) -> TimeNode* {
        if (t < -kTimeTolerance || t > maturity + kTimeTolerance) return nullptr;
        for (auto& m : marks)
            if (Near(m.time, t)) return &m;
        marks.push_back({t});
        return &marks.back();
    };
    for (std::size_t h = 0; h < horizons.size(); ++h)
        if (auto* m = mark(horizons[h])) m->horizon = static_cast<int>(h);
    for (double t : schedule_.CouponTimes())
        if (t < maturity - kTimeTolerance)
            if (auto* m = mark(t)) {
                m->coupon = true;
                m->event = true;
            }
    for (const auto& d : discreteDividends_)
        if (auto* m = mark(d.time)) {
            m->dividend += d.amount;
            m->event = true;
        }
    for (const auto& c : terms.calls) {
        if (auto* m = mark(c.start)) m->event = true;
        if (auto* m = mark(c.end)) m->event = true;
    }
    for (const auto& p : terms.puts)
        if (auto* m = mark(p.time)) m->event = true;
    if (auto* m = mark(terms.conversionStart)) m->event = true;
    if (auto* m = mark(conversionEnd_)) m->event = true;
    std::sort(marks.begin(), marks.end(), [](const TimeNode& a, const TimeNode& b) { return a.time < b.time; });
    for (auto& m : marks) m.mark = true;

    const GridAccuracy& grid = input_.model.grid;
    const double maxStep =
        std::min(1.0 / std::max(grid.timeStepsPerYear, 1), maturity / std::max(grid.minTimeSteps, 1));
    std::vector<TimeNode> nodes;
    for (std::size_t i = 0; i + 1 < marks.size(); ++i) {
        const double span = marks[i + 1].time - marks[i].time;
        const int steps = std::max(1, static_cast<int>(std::ceil(span / maxStep - 1e-9)));
        nodes.push_back(marks[i]);
        nodes.back().step = span / steps;
        for (int k = 1; k < steps; ++k) {
            nodes.push_back({marks[i].time + span * k / steps});
            nodes.back().step = span / steps;
        }
    }
    nodes.push_back(marks.back());
    return nodes;
}

// Share of each node's cell (between the midpoints to its neighbours) on
// which a constraint binds (`gap` at or below 0), the boundary lying where
// the gap, linear between two nodes, reaches 0. A put date's boundary cuts
// a cell: the cash part of that node changes only by this share, so that it
// does not jump as the boundary crosses a node.
void ConvertibleModel::BindingShares(const std::vector<double>& gap, std::vector<double>& share) const {
    const std::size_t n = stock_.size();
    share.resize(n);
    auto binds = [&](std::size_t i) { return gap[i] <= 0; };
    auto crossing = [&](std::size_t i) {  // the boundary between nodes i and i + 1
        return stock_[i] + (stock_[i + 1] - stock_[i]) * gap[i] / (gap[i] - gap[i + 1]);
    };
    for (std::size_t i = 0; i < n; ++i) {
        double length = 0, binding = 0;
        if (i > 0) {
            const double mid = 0.5 * (stock_[i - 1] + stock_[i]), half = stock_[i] - mid;
            const double own = binds(i - 1) == binds(i) ? half : std::clamp(stock_[i] - crossing(i - 1), 0.0, half);
            length += half;
            binding += binds(i) ? own : half - own;
        }
        if (i + 1 < n) {
            const double mid = 0.5 * (stock_[i] + stock_[i + 1]), half = mid - stock_[i];
            const double own = binds(i) == binds(i + 1) ? half : std::clamp(crossing(i) - stock_[i], 0.0, half);
            length += half;
            binding += binds(i) ? own : half - own;
        }
        share[i] = length > 0 ? binding / length : (binds(i) ? 1.0 : 0.0);
    }
}

double ConvertibleModel::CalledCompanion(std::size_t i, double price, bool convertible) const {
    if (CompanionQuantity() != Companion::ConversionProbability) return 0.0;
    return convertible && parity_[i] >= price ? 1.0 : 0.0;
}

ConvertibleModel::Companion ConvertibleModel::CompanionQuantity() const {
    if (input_.model.bankruptcy) return Companion::None;
    switch (input_.model.discounting) {
        case DiscountingScheme::BondPlusOption: return Companion::Cash;
        case DiscountingScheme::Blended: return Companion::ConversionProbability;
        default: return Companion::None;
    }
}

double ConvertibleModel::CellShareBelow(std::size_t i, double level) const {
    const double low = i == 0 ? stock_[0] : 0.5 * (stock_[i - 1] + stock_[i]);
    const double high = i + 1 == stock_.size() ? stock_[i] : 0.5 * (stock_[i] + stock_[i + 1]);
    if (high <= low) return stock_[i] < level ? 1.0 : 0.0;
    return std::clamp((level - low) / (high - low), 0.0, 1.0);
}

void ConvertibleModel::ApplyCalls(double t, bool justBefore, bool convertible, std::vector<double>& value,
                                  std::vector<double>& cash, const std::vector<char>* binding) const {
    const double accrued = justBefore ? schedule_.AccruedBefore(t) : schedule_.Accrued(t);
    const std::size_t n = stock_.size();
    const bool companion = CompanionQuantity() != Companion::None;
    thread_local std::vector<double> gap, share;
    gap.resize(n);
    for (const auto& call : input_.terms.calls) {
        if (!CallInForce(call, t, justBefore)) continue;
        const double price = CallPrice(call, accrued);
        // Calls and conversion are checked at every step: a node either binds
        // or not (a share of a cell here would compound step after step). After
        // a time step the cash part follows the nodes the step itself found
        // beyond the cap, not those that merely reach it: a node touching the
        // cap must not have its cash part reset at every step.
        // An instant before a date (once, not at every step) the companion
        // changes by the share of each node's cell that is called, so that it
        // does not jump as the boundary crosses a node.
        const bool shares = companion && justBefore;
        if (!shares) {
            for (std::size_t i = 0; i < n; ++i) {
                const double parity = parity_[i];
                if (call.triggerPct > 0 && parity < call.triggerPct) continue;
                const double cap = convertible ? std::max(price, parity) : price;
                if (cap - value[i] - kBindingTolerance > 0) continue;
                if (companion && (!binding || (*binding)[i] == kAboveCap))
                    cash[i] = CalledCompanion(i, price, convertible);
                value[i] = cap;
            }
            continue;
        }
        for (std::size_t i = 0; i < n; ++i) {
            const double parity = parity_[i];
            const bool active = call.triggerPct <= 0 || parity >= call.triggerPct;
            gap[i] = active ? (convertible ? std::max(price, parity) : price) - value[i] - kBindingTolerance : 1.0;
        }
        BindingShares(gap, share);
        for (std::size_t i = 0; i < n; ++i) {
            if (gap[i] > 0 && share[i] <= 0) continue;
            // Called, the holder converts where parity beats the call price and
            // takes the cash below.
            cash[i] += share[i] * (CalledCompanion(i, price, convertible) - cash[i]);
            if (gap[i] <= 0) value[i] = convertible ? std::max(price, parity_[i]) : price;
        }
    }
}

void ConvertibleModel::ApplyConstraints(double t, bool conversion, std::vector<double>& value,
                                        std::vector<double>& cash, const std::vector<char>* binding) const {
    const bool convertible = conversion && ConversionAllowed(t);
    const double accrued = schedule_.Accrued(t);
    const std::size_t n = stock_.size();
    const Companion companion = CompanionQuantity();
    thread_local std::vector<double> gap, share;
    gap.resize(n);
    ApplyCalls(t, false, convertible, value, cash, binding);
    for (const auto& put : input_.terms.puts) {
        if (!Near(put.time, t)) continue;
        const double price = put.pricePct + (put.clean ? accrued : 0.0);
        if (companion != Companion::None) {
            // Put: the cash part is the put price, the chance of conversion 0.
            const double put = companion == Companion::Cash ? price : 0.0;
            for (std::size_t i = 0; i < n; ++i) gap[i] = value[i] - price;
            BindingShares(gap, share);
            for (std::size_t i = 0; i < n; ++i) cash[i] += share[i] * (put - cash[i]);
        }
        for (std::size_t i = 0; i < n; ++i) value[i] = std::max(value[i], price);
    }
    if (convertible) {
        for (std::size_t i = 0; i < n; ++i) {
            const double parity = parity_[i];
            if (value[i] - parity - kBindingTolerance > 0) continue;
            value[i] = std::max(value[i], parity);
            if (!binding || (*binding)[i] == kBelowFloor)
                cash[i] = companion == Companion::ConversionProbability ? 1 : 0;
        }
    }
}

bool ConvertibleModel::CallInForce(const CallPeriod& call, double t, bool justBefore) const {
    // Just before t a period that ends at t is in force, one that starts at t
    // is not yet. At t itself a call on the maturity date pays what
    // redemption pays.
    if (justBefore) return t > call.start + kTimeTolerance && t <= call.end + kTimeTolerance;
    return t >= call.start - kTimeTolerance && t <= call.end + kTimeTolerance && !Near(t, schedule_.Maturity());
}

bool ConvertibleModel::CallCorner(double t, bool conversion, double& level, double& price) const {
    if (!conversion || !ConversionAllowed(t)) return false;
    const double accrued = schedule_.Accrued(t);
    bool found = false;
    for (const auto& call : input_.terms.calls) {
        if (!CallInForce(call, t)) continue;
        const double callPrice = CallPrice(call, accrued);
        if (call.triggerPct > callPrice) continue;  // a soft call is not in force at the corner
        if (!found || callPrice < price) price = callPrice;
        found = true;
    }
    if (found) level = price / parityPerShare_;
    return found;
}

bool ConvertibleModel::ContinuousBounds(double t, bool conversion, std::vector<double>& floor, std::vector<double>& cap,
                                        std::vector<double>& capCompanion) const {
    const bool convertible = conversion && ConversionAllowed(t);
    const std::size_t n = stock_.size();
    const bool companion = CompanionQuantity() != Companion::None;
    if (convertible)
        floor = parity_;
    else
        floor.assign(n, -std::numeric_limits<double>::infinity());
    cap.assign(n, std::numeric_limits<double>::infinity());
    capCompanion.assign(n, 0.0);
    bool any = convertible;
    const double accrued = schedule_.Accrued(t);
    for (const auto& call : input_.terms.calls) {
        if (!CallInForce(call, t)) continue;
        const double price = CallPrice(call, accrued);
        // A soft call binds only from the trigger's stock price up.
        const std::size_t from =
            call.triggerPct > 0
                ? static_cast<std::size_t>(std::lower_bound(parity_.begin(), parity_.end(), call.triggerPct) -
                                           parity_.begin())
                : 0;
        any = any || from < n;
        for (std::size_t i = from; i < n; ++i) {
            const double capHere = convertible ? std::max(price, parity_[i]) : price;
            if (capHere < cap[i]) {
                cap[i] = capHere;
                if (companion) capCompanion[i] = CalledCompanion(i, price, convertible);
            }
        }
    }
    return any;
}

void ConvertibleModel::ApplyDividend(double amount, std::vector<double>& values) const {
    // Just before the ex date the stock is worth `amount` more than just after:
    // V(S, before) = V(S - amount, after), linear between nodes.
    const std::vector<double> after = values;
    std::size_t j = 0;
    for (std::size_t i = 0; i < stock_.size(); ++i) {
        const double s = std::max(stock_[i] - amount, 0.0);
        while (j + 2 < stock_.size() && stock_[j + 1] < s) ++j;
        const double w = (s - stock_[j]) / (stock_[j + 1] - stock_[j]);
        values[i] = after[j] + std::clamp(w, 0.0, 1.0) * (after[j + 1] - after[j]);
    }
}

// One backward time step of the pricing equations on the stock grid.
class ConvertibleModel::Stepper {
public:
    Stepper(const ConvertibleModel& model, const ModelState& state, bool conversion)
        : model_(model), state_(state), conversion_(conversion) {
        const auto& s = model.stock_;
        const std::size_t n = s.size();
        d1_.resize(n);
        d2_.resize(n);
        for (std::size_t i = 1; i + 1 < n; ++i) {
            const double hm = s[i] - s[i - 1], hp = s[i + 1] - s[i];
            d1_[i] = {-hp / (hm * (hm + hp)), (hp - hm) / (hm * hp), hm / (hp * (hm + hp))};
            d2_[i] = {2 / (hm * (hm + hp)), -2 / (hm * hp), 2 / (hp * (hm + hp))};
        }
        const ModelChoice& model_choice = model.input_.model;
        hazard_.assign(n, 0.0);
        if (model_choice.bankruptcy) {
            const double base = state.spread / (1.0 - model_choice.bondRecoveryPct / 100.0);
            const double spot = model.input_.market.stockPrice;
            for (std::size_t i = 0; i < n; ++i) {
                const double ratio = s[i] / spot;
                double h = base;
                if (model_choice.spreadDecayFactor > 0)
                    h = ratio > 0 ? base * std::pow(ratio, -model_choice.spreadDecayFactor)
                                  : (base > 0 ? kMaxHazard : 0.0);
                hazard_[i] = std::min(h, std::max(base, kMaxHazard));
            }
        }
        lower_.resize(n);
        diag_.resize(n);
        upper_.resize(n);
        rate_.resize(n);
        source_.resize(n);
        rhs_.resize(n);
    }

    // Nodes the last step held at the conversion floor or the call cap; null
    // when it held none.
    const std::vector<char>* Binding() const { return constrained_ ? &active_ : nullptr; }

    // Moves value (and cash, the Tsiveriotis-Fernandes cash part) from
    // t0 + dt back to t0. dt is the same for every step between two marks
    // (not the difference of the nodes' times, which varies in its last
    // digits), so that those steps keep one matrix.
    // rate: the step's interest rate (the curve's average forward over its
    // block of steps, without the scenario's shift).
    void Step(double t0, double dt, double rate, bool implicit, std::vector<double>& value, std::vector<double>& cash) {
        stepRate_ = rate;
        if (implicit) {
            Advance(t0 + 0.5 * dt, 0.5 * dt, 1.0, value, cash);
            Advance(t0, 0.5 * dt, 1.0, value, cash);
        } else {
            Advance(t0, dt, 0.5, value, cash);
        }
    }

private:
    enum class Equation { Total, Cash };

    void Advance(double t0, double dt, double theta, std::vector<double>& value, std::vector<double>& cash) {
        const ModelChoice& choice = model_.input_.model;
        const MarketData& market = model_.input_.market;
        const double r = stepRate_;
        const double mid = t0 + 0.5 * dt;
        const bool yieldApplies = choice.dividendType == DividendType::Continuous ||
                                  (choice.discreteDividendYears > 0 && mid > choice.discreteDividendYears);
        const double q = yieldApplies ? market.dividendYieldPct / 100.0 : 0.0;
        const double drift = r - q - market.borrowCostPct / 100.0;
        const double s = state_.spread;
        const std::size_t n = value.size();
        constrained_ = model_.ContinuousBounds(t0, conversion_, floor_, cap_, capCompanion_);
        if (constrained_) ReleaseUnbounded();
        // Under the Bond+Option split the cash part's slope breaks at the
        // corner too (0 where called or converted), and the total is not smooth
        // up to it from below: no corner (with it the split's price moved with
        // the volatility in steps; vega off by 0.006 on the reference bond).
        const bool corner = !model_.SplitsCash();
        hasCorner_ = corner && model_.CallCorner(t0, conversion_, cornerLevel_, cornerPrice_);
        hasLaterCorner_ = corner && model_.CallCorner(t0 + dt, conversion_, laterCornerLevel_, laterCornerPrice_);

        if (choice.bankruptcy) {
            for (std::size_t i = 0; i < n; ++i) {
                rate_[i] = r + hazard_[i];
                source_[i] = hazard_[i] * choice.bondRecoveryPct;
            }
            Solve(drift, theta, dt, r, value, &source_, &source_, constrained_);
            return;
        }
        // Without conversion the Tsiveriotis-Fernandes split has no equity part
        // and the chance of conversion is 0: the whole value is discounted as
        // under the risky scheme.
        const DiscountingScheme scheme = conversion_ ? choice.discounting : DiscountingScheme::Risky;
        switch (scheme) {
            case DiscountingScheme::Risky: Solve(drift, theta, dt, r + s, value, nullptr, nullptr, constrained_); break;
            case DiscountingScheme::BondPlusOption: {
                // Cash part at r + s; the total at r less s times the cash part.
                // The cash part is held where the total is: 0 on conversion, the
                // called cash on a call; held inside the same implicit step (a
                // reset after a free step would leak through the boundary at every
                // step). The nodes come from the total's step, which needs the cash
                // part first: start from the previous step's nodes and solve again
                // while they change.
                sourceLater_.resize(n);
                for (std::size_t i = 0; i < n; ++i) sourceLater_[i] = -s * cash[i];
                cashLater_ = cash;
                valueLater_ = value;
                // One pass of the total's constraints a round: the cash part follows
                // every change of the held nodes at once.
                for (int round = 0; round < kMaxConstraintIterations; ++round) {
                    // A round after the first starts from the same later level.
                    sameLaterLevel_ = round > 0;
                    previousHeld_.swap(heldCash_);
                    if (constrained_)
                        heldCash_ = active_;
                    else
                        heldCash_.assign(n, kFree);
                    cash = cashLater_;
                    value = valueLater_;
                    cashTarget_ = &cash;
                    Solve(drift, theta, dt, r + s, cash, nullptr, nullptr, false, &heldCash_);
                    for (std::size_t i = 0; i < n; ++i) source_[i] = -s * cash[i];
                    if (Solve(drift, theta, dt, r, value, &source_, &sourceLater_, constrained_, nullptr, 1)) break;
                    // Held nodes that swap back and forth between two sets do not
                    // settle: the round that holds the later set stands (as after the
                    // last round of the limit).
                    if (round > 0 && active_ == previousHeld_) break;
                }
                sameLaterLevel_ = false;
                break;
            }
            case DiscountingScheme::Blended: {
                // The probability of conversion p (the companion, 1994 Goldman
                // Sachs) steps back with the same operator, undiscounted, held
                // where the value is held: 1 on conversion (also when called and
                // converting), 0 when called for cash. The value is discounted at
                // r + s (1 - p), p the mean of the step's two ends. p steps with
                // the nodes the last step held; where the value's step holds other
                // nodes, p steps again with those.
                // The value's matrix is the risky one (r + s), kept from step to
                // step; s p V is a source, at the new level from the value's own
                // extrapolation through the two later levels (a Crank-Nicolson
                // step of the same length before it), else solved once more with
                // the first solution: its error is s dt / 2 times that of the
                // guess, below 1e-7 points a step.
                cashLater_ = cash;
                valueLater_ = value;
                const bool extrapolate = theta == 0.5 && blendEarlierValid_ && dt == blendEarlierDt_;
                sourceLater_.resize(n);
                source_.resize(n);
                blendRate_.resize(n);
                for (int round = 0; round < 2; ++round) {
                    if (constrained_)
                        heldCash_ = active_;
                    else
                        heldCash_.assign(n, kFree);
                    cash = cashLater_;
                    value = valueLater_;
                    cashTarget_ = &cash;
                    Solve(drift, theta, dt, 0.0, cash, nullptr, nullptr, false, &heldCash_);
                    for (std::size_t i = 0; i < n; ++i) {
                        blendRate_[i] = s * std::clamp(0.5 * (cash[i] + cashLater_[i]), 0.0, 1.0);
                        sourceLater_[i] = blendRate_[i] * valueLater_[i];
                        source_[i] =
                            blendRate_[i] * (extrapolate ? 2 * valueLater_[i] - blendEarlier_[i] : valueLater_[i]);
                    }
                    Solve(drift, theta, dt, r + s, value, &source_, &sourceLater_, constrained_);
                    if (!extrapolate) {
                        for (std::size_t i = 0; i < n; ++i) source_[i] = blendRate_[i] * value[i];
                        value = valueLater_;
                        sameLaterLevel_ = true;
                        Solve(drift, theta, dt, r + s, value, &source_, &sourceLater_, constrained_);
                        sameLaterLevel_ = false;
                    }
                    if (!constrained_ || active_ == heldCash_) break;
                }
                blendEarlier_.swap(valueLater_);
                blendEarlierDt_ = dt;
                blendEarlierValid_ = theta == 0.5;
                break;
            }
        }
    }

    // Diffusion and drift terms of A (without the discounting), kept while
    // the drift stays the same.
    void BuildOperator(double drift) {
        const auto& st = model_.stock_;
        const std::size_t n = st.size();
        const double halfVar = 0.5 * state_.volatility * state_.volatility;
        const double bankruptcyDrift = model_.input_.model.bankruptcy ? 1.0 : 0.0;
        opLower_.assign(n, 0.0);
        opDiag_.assign(n, 0.0);
        opUpper_.assign(n, 0.0);
        for (std::size_t i = 1; i < n; ++i) {
            const double mu = drift + bankruptcyDrift * hazard_[i];
            if (i + 1 < n) {
                const double diff = halfVar * st[i] * st[i];
                const double conv = mu * st[i];
                opLower_[i] = diff * d2_[i][0] + conv * d1_[i][0];
                opDiag_[i] = diff * d2_[i][1] + conv * d1_[i][1];
                opUpper_[i] = diff * d2_[i][2] + conv * d1_[i][2];
            } else {
                // Top node: no curvature, a one-sided slope.
                const double conv = mu * st[i] / (st[i] - st[i - 1]);
                opLower_[i] = -conv;
                opDiag_[i] = conv;
            }
        }
        operatorDrift_ = drift;
    }

    // (I - theta dt A) V0 = (I + (1 - theta) dt A) V1 + dt (theta f0 + (1 - theta) f1),
    // A V = 1/2 sigma^2 S^2 V'' + mu S V' - rate V.
    // rateKey: the rate of every node (under the bankruptcy model the step's
    // rate, rate_ then set by the caller); with the same drift, theta and dt
    // the matrix is the kept one.
    // held: for the cash part, the nodes held at a bound (their rows become
    // the bound's cash).
    // passes: at most this many passes of the constraints; false when their
    // nodes have not settled.
    bool Solve(double drift, double theta, double dt, double rateKey, std::vector<double>& v,
               const std::vector<double>* fEarlier, const std::vector<double>* fLater, bool constrained,
               const std::vector<char>* held = nullptr, int passes = kMaxConstraintIterations) {
        const std::size_t n = v.size();
        if (drift != operatorDrift_ || opDiag_.size() != n) BuildOperator(drift);
        KeptMatrix& kept = &v == cashTarget_ ? cashMatrix_ : valueMatrix_;
        TridiagonalSystem& system = kept.system;
        const std::array<double, 4> key{drift, theta, dt, rateKey};
        if (key != kept.key) {
            // The rate of every node is the key's, but under the bankruptcy
            // model, whose caller sets the rate with the hazard of each node.
            if (!model_.input_.model.bankruptcy) std::fill(rate_.begin(), rate_.end(), rateKey);
            kept.explicitLower.resize(n);
            kept.explicitDiag.resize(n);
            kept.explicitUpper.resize(n);
            for (std::size_t i = 0; i < n; ++i) {
                const double b = opDiag_[i] - rate_[i];
                lower_[i] = -theta * dt * opLower_[i];
                diag_[i] = 1 - theta * dt * b;
                upper_[i] = -theta * dt * opUpper_[i];
                kept.explicitLower[i] = (1 - theta) * dt * opLower_[i];
                kept.explicitDiag[i] = 1 + (1 - theta) * dt * b;
                kept.explicitUpper[i] = (1 - theta) * dt * opUpper_[i];
            }
            system.SetMatrix(lower_, diag_, upper_);
            kept.key = key;
        }
        const double* eLower = kept.explicitLower.data();
        const double* eDiag = kept.explicitDiag.data();
        const double* eUpper = kept.explicitUpper.data();
        if (sameLaterLevel_ && kept.laterRhs.size() == n) {
            rhs_ = kept.laterRhs;
        } else {
            rhs_[0] = eDiag[0] * v[0] + (n > 1 ? eUpper[0] * v[1] : 0.0);
            for (std::size_t i = 1; i + 1 < n; ++i)
                rhs_[i] = eLower[i] * v[i - 1] + eDiag[i] * v[i] + eUpper[i] * v[i + 1];
            if (n > 1) rhs_[n - 1] = eLower[n - 1] * v[n - 2] + eDiag[n - 1] * v[n - 1];
            if (constrained && !held && hasLaterCorner_) CornerOnLaterLevel(v, eUpper);
            kept.laterRhs = rhs_;
        }
        if (fEarlier) {
            const double wEarlier = dt * theta, wLater = dt * (1 - theta);
            for (std::size_t i = 0; i < n; ++i) rhs_[i] += wEarlier * (*fEarlier)[i] + wLater * (*fLater)[i];
        }
        if (held) {
            heldValue_.resize(n);
            const double atFloor = model_.CompanionQuantity() == Companion::ConversionProbability ? 1.0 : 0.0;
            for (std::size_t i = 0; i < n; ++i)
                heldValue_[i] = (*held)[i] == kAboveCap ? capCompanion_[i] : atFloor;  // read at held rows only
            system.SolveFixed(rhs_, *held, heldValue_, v);
        } else if (constrained) {
            return SolveConstrained(v, system, passes);
        } else {
            system.Solve(rhs_, v);
        }
        return true;
    }

    // The node below the corner and the one above it, where the corner lies
    // strictly between them; false otherwise.
    bool CornerCell(double level, std::size_t& below) const {
        const auto& st = model_.stock_;
        const auto it = std::lower_bound(st.begin(), st.end(), level);
        if (it == st.begin() || it == st.end()) return false;
        below = static_cast<std::size_t>(it - st.begin()) - 1;
        return level > st[below] && level <= st[below + 1];
    }

    // The corner row of the held nodes: the node below the corner free, the
    // one above held where parity beats the call price (converted), and no
    // node below held (the corner then borders the first held row).
    bool CornerRow(TridiagonalSystem::BoundaryCorner& corner) const {
        std::size_t i = 0;
        if (!hasCorner_ || !CornerCell(cornerLevel_, i) || active_[i] != kFree || active_[i + 1] == kFree ||
            cap_[i + 1] > floor_[i + 1])
            return false;
        if (std::any_of(active_.begin(), active_.begin() + static_cast<std::ptrdiff_t>(i),
                        [](char held) { return held != kFree; }))
            return false;
        const auto& st = model_.stock_;
        corner = {i, (st[i + 1] - cornerLevel_) / (cornerLevel_ - st[i]), cornerPrice_};
        return true;
    }

    // The explicit half at the later level: where the node above the corner
    // sits on parity (converted) and the one below is free, the node below
    // sees the value extrapolated through the corner instead of parity.
    void CornerOnLaterLevel(const std::vector<double>& v, const double* eUpper) {
        const auto& st = model_.stock_;
        std::size_t i = 0;
        if (!CornerCell(laterCornerLevel_, i)) return;
        const double parityAbove = model_.parityPerShare_ * st[i + 1];
        if (std::abs(v[i + 1] - parityAbove) > kBindingTolerance || v[i] >= laterCornerPrice_) return;
        const double w = std::min((st[i + 1] - laterCornerLevel_) / (laterCornerLevel_ - st[i]), kMaxCornerWeight);
        const double ghost = (1 + w) * laterCornerPrice_ - w * v[i];
        rhs_[i] += eUpper[i] * (ghost - v[i + 1]);
    }

    // Nodes held at a bound that no longer holds (a conversion window or a
    // call period that ends at this step) start free.
    void ReleaseUnbounded() {
        active_.resize(floor_.size(), kFree);
        for (std::size_t i = 0; i < active_.size(); ++i) {
            if (active_[i] == kBelowFloor && std::isinf(floor_[i])) active_[i] = kFree;
            if (active_[i] == kAboveCap && std::isinf(cap_[i])) active_[i] = kFree;
        }
    }

    // The conversion floor and the call cap hold at the new time level: the
    // nodes that break them are held at the bound, repeated until the set of
    // those nodes settles (it starts from the previous step's set). A held
    // node is let go where its own equation would leave the bound on the
    // allowed side (the limit of a penalty on it).
    bool SolveConstrained(std::vector<double>& v, TridiagonalSystem& system, int passes) {
        const std::size_t n = v.size();
        heldValue_.resize(n);
        for (int pass = 0; pass < passes; ++pass) {
            for (std::size_t i = 0; i < n; ++i)
                heldValue_[i] = active_[i] == kBelowFloor ? floor_[i] : cap_[i];  // read at held rows only
            TridiagonalSystem::BoundaryCorner corner;
            system.SolveFixed(rhs_, active_, heldValue_, v, CornerRow(corner) ? &corner : nullptr);
            bool settled = true;
            for (std::size_t i = 0; i < n; ++i) {
                char kind = kFree;
                if (floor_[i] >= cap_[i]) {
                    // Called where the holder converts: the value is parity either
                    // way. Held at the floor, the node cannot swap between the two
                    // bounds by a rounding error at every pass.
                    kind = kBelowFloor;
                } else if (active_[i] == kFree) {
                    kind = v[i] < floor_[i] ? kBelowFloor : v[i] > cap_[i] ? kAboveCap : kFree;
                } else {
                    // The row's equation at the held value less its right-hand side:
                    // positive where the free equation would go below the held value.
                    const double excess = system.Diag()[i] * v[i] + (i > 0 ? system.Lower()[i] * v[i - 1] : 0.0) +
                                          (i + 1 < n ? system.Upper()[i] * v[i + 1] : 0.0) - rhs_[i];
                    if (active_[i] == kBelowFloor)
                        kind = excess > 0 ? kBelowFloor : kFree;
                    else
                        kind = excess < 0 ? kAboveCap : kFree;
                }
                if (kind != active_[i]) {
                    active_[i] = kind;
                    settled = false;
                }
            }
            if (settled) return true;
        }
        return false;
    }

    const ConvertibleModel& model_;
    ModelState state_;
    bool conversion_;
    std::vector<std::array<double, 3>> d1_, d2_;
    std::vector<double> hazard_, lower_, diag_, upper_, rate_, source_, sourceLater_, rhs_;
    std::vector<double> floor_, cap_, capCompanion_, heldValue_;
    std::vector<char> active_, heldCash_, previousHeld_;
    std::vector<double> cashLater_, valueLater_;
    // Blended: the value at the later level of the last step, for the
    // extrapolation of the next one.
    std::vector<double> blendEarlier_, blendRate_;  // blendRate_: s p
    double blendEarlierDt_ = 0;
    bool blendEarlierValid_ = false;
    bool constrained_ = false;
    // The call cap's corner at the step's earlier and later levels.
    bool hasCorner_ = false, hasLaterCorner_ = false;
    double cornerLevel_ = 0, cornerPrice_ = 0, laterCornerLevel_ = 0, laterCornerPrice_ = 0;
    double stepRate_ = 0;
    std::vector<double> opLower_, opDiag_, opUpper_;
    double operatorDrift_ = std::numeric_limits<double>::quiet_NaN();
    // The cash part's equation (Tsiveriotis-Fernandes) keeps a factorization
    // of its own beside the value's.
    const std::vector<double>* cashTarget_ = nullptr;
    // A system's matrix, kept with the explicit half of its step while the
    // key (drift, theta, dt, rate key) stays the same.
    struct KeptMatrix {
        static constexpr double kNoKey = std::numeric_limits<double>::quiet_NaN();
        std::array<double, 4> key{kNoKey, kNoKey, kNoKey, kNoKey};
        std::vector<double> explicitLower, explicitDiag, explicitUpper;
        std::vector<double> laterRhs;  // the explicit half of the last solve's right-hand side
        TridiagonalSystem system;
    };
    KeptMatrix valueMatrix_, cashMatrix_;
    // Set while the rounds of a step solve again from the same later level:
    // the explicit half of the right-hand side is the kept one.
    bool sameLaterLevel_ = false;
};

// The interest rate of each time step: the curve's average forward over a
// block of steps no longer than kRateBlock between two marks. Discounting
// over each block, hence to every contract date, is exact, and the steps
// of a block build identical matrices, which keep their factorization.
// Rounded to 1e-12 so that a flat stretch of the curve gives one rate.
std::vector<double> ConvertibleModel::StepRates(const std::vector<TimeNode>& nodes, double rateShift) const {
    const YieldCurve curve(input_.market.zeroCurve, rateShift);
    std::vector<double> rates(nodes.size() > 0 ? nodes.size() - 1 : 0);
    std::size_t first = 0;
    while (first < rates.size()) {
        std::size_t last = first + 1;  // the block is nodes[first .. last]
        while (last < rates.size() && !nodes[last].mark &&
               nodes[last + 1].time - nodes[first].time <= kRateBlock + kTimeTolerance)
            ++last;
        const double rate = std::round(curve.Forward(nodes[first].time, nodes[last].time) * 1e12) / 1e12;
        std::fill(rates.begin() + static_cast<std::ptrdiff_t>(first), rates.begin() + static_cast<std::ptrdiff_t>(last),
                  rate);
        first = last;
    }
    return rates;
}

std::vector<std::vector<double>> ConvertibleModel::Solve(const ModelState& state, bool conversion,
                                                         std::span<const double> horizons) const {
    const std::vector<TimeNode> nodes = BuildTimeNodes(horizons);
    const std::size_t n = stock_.size();
    const double maturity = schedule_.Maturity();
    const double finalCoupon = schedule_.CouponTimes().empty() ? 0.0 : schedule_.CouponAmount();
    std::vector<double> value(n), cash(n);
    const double bond = input_.terms.redemptionPct + finalCoupon;
    const bool convertsAtMaturity = conversion && ConversionAllowed(maturity) && parityPerShare_ > 0;
    // At maturity the holder takes the larger of the shares and redemption
    // with the last coupon. The cash part drops from the bond to 0 where
    // conversion starts; the node whose cell holds that stock price gets the
    // cell's average, which keeps the Tsiveriotis-Fernandes split from
    // jumping with the grid.
    const double boundary = convertsAtMaturity ? bond / parityPerShare_ : std::numeric_limits<double>::infinity();
    // The probability of conversion is the cell's share above that price.
    const bool probability = CompanionQuantity() == Companion::ConversionProbability;
    for (std::size_t i = 0; i < n; ++i) {
        const double parity = parity_[i];
        value[i] = convertsAtMaturity ? std::max(parity, bond) : bond;
        const double below = CellShareBelow(i, boundary);
        cash[i] = probability ? 1.0 - below : bond * below;
    }
    ApplyConstraints(maturity, conversion, value, cash);
    // The constraints set the companion of every node where conversion binds,
    // the straddling node's share included: give that share back (a put at
    // maturity only raises the cash part and lowers the probability).
    for (std::size_t i = 0; i < n; ++i) {
        const double below = CellShareBelow(i, boundary);
        cash[i] = probability ? std::min(cash[i], 1.0 - below) : std::max(cash[i], bond * below);
    }
    // An instant before maturity the issuer may still call (at the call
    // price with the final coupon's accrued interest where the price is
    // clean): with a dirty price that saves the final coupon.
    ApplyCalls(maturity, true, convertsAtMaturity, value, cash);

    std::vector<std::vector<double>> slices(horizons.size());
    const std::vector<double> rates = StepRates(nodes, state.rateShift);
    Stepper stepper(*this, state, conversion);
    bool rannacher = true;
    for (std::size_t k = nodes.size() - 1; k-- > 0;) {
        const TimeNode& node = nodes[k];
        stepper.Step(node.time, node.step, rates[k], rannacher, value, cash);
        rannacher = false;
        ApplyConstraints(node.time, conversion, value, cash, stepper.Binding());
        if (node.horizon >= 0) slices[static_cast<std::size_t>(node.horizon)] = value;
        if (node.time > kTimeTolerance) {
            if (node.coupon) {
                const double couponCash = SplitsCash() ? schedule_.CouponAmount() : 0.0;
                for (std::size_t i = 0; i < n; ++i) {
                    value[i] += schedule_.CouponAmount();
                    cash[i] += couponCash;
                }
                // The issuer may call an instant before the coupon is paid; the
                // next time step would otherwise first meet the call half a step
                // later, which with a dirty call price makes the coupon worth too
                // much.
                ApplyCalls(node.time, true, conversion && ConversionAllowed(node.time), value, cash);
            }
            if (node.dividend > 0) {
                ApplyDividend(node.dividend, value);
                ApplyDividend(node.dividend, cash);
                ApplyConstraints(node.time, conversion, value, cash);
            }
        }
        rannacher = node.event;
    }
    return slices;
}

}  // namespace zemra::engine

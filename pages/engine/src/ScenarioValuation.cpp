// ValueScenarios: today's figures once, then the scenarios in groups that
// share one market state (rate, volatility and spread change). A group's
// solves give every stock change by interpolation on the solved grid and
// every time change as a slice of the same backward solve.
#include "ScenarioValuation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <tuple>
#include <utility>

#include "BondSchedule.h"
#include "ConvertibleModel.h"
#include "FigureTools.h"
#include "InputChecks.h"
#include "Spline.h"
#include "TaskRunner.h"

namespace zemra::engine {

namespace {

// Volatility and spread nodes, as multiples of the scenario's value, of the
// tables from which scenario implied values are read; the solves of the
// vega and spread Greeks join them.
constexpr std::array<double, 10> kVolTableNodes{0.25, 0.4, 0.55, 0.7, 0.85, 1.0, 1.15, 1.3, 1.6, 2.2};
constexpr std::array<double, 11> kSpreadTableNodes{0.0, 0.25, 0.5, 0.75, 1.0, 1.25, 1.5, 2.0, 3.0, 4.5, 7.0};
// Spread nodes (decimal) when the scenario's spread is too small to scale.
constexpr std::array<double, 7> kAbsoluteSpreadNodes{0.0, 0.0025, 0.005, 0.01, 0.02, 0.04, 0.08};
constexpr double kSmallSpread = 0.001;
// Two cubics through neighbouring sets of four nodes must agree on an
// implied value within this much price (points), else the bracket is
// narrowed, at most kMaxTableRefinements times.
constexpr double kTableTolerance = 0.002;
// Where the price is smooth in volatility and spread the two cubics must
// agree closer than that: a bend in the price between widely spaced nodes
// (near a spread of 0, say) can leave both cubics off by the same amount.
// Under Bond+Option and Blended the price moves in small steps with them
// (the companion's boundaries cross nodes), and closer agreement only adds
// nodes.
constexpr double kSmoothTableAgreement = 0.001;
constexpr int kMaxTableRefinements = 6;
// Nodes an implied-spread search walks before it asks whether the end of
// the range reaches the target at all.
constexpr std::size_t kNodesBeforeEndCheck = 3;

ModelState BaseState(const ValuationInput& input) {
    return {0.0, input.market.volatilityPct / 100.0, input.market.creditSpreadBp / 10000.0};
}

ModelState ScenarioState(const ValuationInput& input, const ScenarioShift& s) {
    const ModelState base = BaseState(input);
    return {s.rateChangeBp / 10000.0, base.volatility * (1 + s.volChangePct / 100.0),
            base.spread * (1 + s.spreadChangePct / 100.0)};
}

// Today's figures and what the tuners carry into the scenarios.
struct Today {
    Figures figures;
    std::optional<double> impliedVol;     // decimal
    std::optional<double> impliedSpread;  // decimal
    double pctCheap = 0;
};

Figures StockFigures(double stock) {
    Figures f;
    f.stockPrice = f.estimatedPrice = f.fairValue = stock;
    f.delta = 100;
    f.impliedVolPct = f.impliedSpreadBp = 0.0;
    return f;
}

std::vector<ScenarioResult> StockScenarios(const ValuationInput& input, std::span<const ScenarioShift> scenarios) {
    std::vector<ScenarioResult> result(scenarios.size());
    for (std::size_t j = 0; j < scenarios.size(); ++j) {
        result[j].today = StockFigures(input.market.stockPrice);
        result[j].scenario = StockFigures(input.market.stockPrice * (1 + scenarios[j].stockChangePct / 100.0));
    }
    return result;
}

// The solves of one market state at a list of horizons, and the figures
// read from them.
class StateSolves {
public:
    StateSolves(const ConvertibleModel& model, const ModelState& state, std::vector<double> horizons)
        : m_model(model), m_state(state), m_horizons(std::move(horizons)) {}

    const std::vector<double>& Horizons() const { return m_horizons; }

    // The spline through the solve's slice at horizon h, built once.
    const Spline& SplineAt(const ModelState& state, bool conversion, std::size_t h) {
        Solved& solved = Find(state, conversion);
        if (solved.splines.empty()) solved.splines.resize(solved.slices.size());
        auto& spline = solved.splines[h];
        if (!spline) spline = std::make_unique<Spline>(m_model.Stock(), solved.slices[h]);
        return *spline;
    }

    // Solves the states FillModelFigures reads (fair value, bond floor and
    // the Greeks' bumps) on `threads` threads at once.
    void SolveFiguresStates(int threads) {
        std::vector<std::pair<ModelState, bool>> wanted{{m_state, true}, {m_state, false}};
        for (int sign : {1, -1}) {
            ModelState rate = m_state, vol = m_state, spread = m_state;
            rate.rateShift += sign * kRateBump;
            vol.volatility += sign * kVolBump;
            spread.spread += sign * kSpreadBump;
            wanted.push_back({rate, true});
            if (sign > 0 || m_state.volatility > kVolBump) wanted.push_back({vol, true});
            if (sign > 0 || m_state.spread >= kSpreadBump) wanted.push_back({spread, true});
        }
        std::vector<std::vector<std::vector<double>>> slices(wanted.size());
        std::vector<std::function<void()>> tasks;
        for (std::size_t k = 0; k < wanted.size(); ++k)
            tasks.push_back([&, k] { slices[k] = m_model.Solve(wanted[k].first, wanted[k].second, m_horizons); });
        RunTasks(tasks, threads);
        for (std::size_t k = 0; k < wanted.size(); ++k) {
            const ModelState& state = wanted[k].first;
            m_cache.emplace(std::make_tuple(state.rateShift, state.volatility, state.spread, wanted[k].second),
                            Solved{std::move(slices[k]), {}});
        }
    }

    double Clean(const ModelState& state, bool conversion, std::size_t h, double stock) {
        return SplineAt(state, conversion, h).Value(stock) - m_model.Schedule().Accrued(m_horizons[h]);
    }

    // Fair value, bond floor and the Greeks of one column at (stock, horizon h).
    void FillModelFigures(std::size_t h, double stock, Figures& column) {
        const double horizon = m_horizons[h];
        const Spline& fair = SplineAt(m_state, true, h);
        const double perShare = m_model.ParityPerShare();
        const double centre =
            std::max(fair.Value(stock), m_model.ConversionFloor(stock, horizon)) - m_model.Schedule().Accrued(horizon);
        column.fairValue = centre;
        column.bondFloor = Clean(m_state, false, h, stock);
        column.delta = perShare > 0 ? fair.Slope(stock) / perShare * 100.0 : 0.0;
        column.gamma = perShare > 0 ? fair.Curvature(stock) * stock / perShare : 0.0;

        ModelState up = m_state, down = m_state;
        up.rateShift += kRateBump;
        down.rateShift -= kRateBump;
        column.rho = Sensitivity(Clean(up, true, h, stock), centre, Clean(down, true, h, stock), true, kRateBump, 0.01);

        up = down = m_state;
        up.volatility += kVolBump;
        const bool volDown = m_state.volatility > kVolBump;
        down.volatility -= kVolBump;
        column.vega = Sensitivity(Clean(up, true, h, stock), centre, volDown ? Clean(down, true, h, stock) : centre,
                                  volDown, kVolBump, 0.01);

        up = down = m_state;
        up.spread += kSpreadBump;
        const bool spreadDown = m_state.spread >= kSpreadBump;
        down.spread -= kSpreadBump;
        column.spreadSensitivity =
            Sensitivity(Clean(up, true, h, stock), centre, spreadDown ? Clean(down, true, h, stock) : centre,
                        spreadDown, kSpreadBump, 0.01);
    }

    // Implied volatility or spread at (stock, horizon h) from a table of
    // solves of this state's group: nodes around the state's own value out to
    // the ends of the implied solvers' range. The walk starts at the node
    // nearest the state's own value and moves towards the target (the price
    // rises with volatility and falls with spread; under the bankruptcy model
    // a high spread also raises the stock's drift, so the other way is tried
    // too). The root comes from cubic interpolation on the four nodes around
    // the bracket; where that is not settled, the bracket is narrowed by a
    // node at the cubic's root (whose price, if within the tolerance of the
    // target, is the answer), the new nodes shared by the group's later
    // scenarios. No bracket up to
    // the ends: no value gives the price.
    bool Implied(bool volatility, std::size_t h, double stock, double target, double& result) {
        std::vector<double>& xs = volatility ? m_volNodes : m_spreadNodes;
        if (xs.empty()) xs = TableNodes(volatility);
        auto price = [&](double x) {
            ModelState node = m_state;
            (volatility ? node.volatility : node.spread) = x;
            return Clean(node, true, h, stock);
        };
        const double own = volatility ? m_state.volatility : m_state.spread;
        const std::size_t k = static_cast<std::size_t>(
            std::min_element(xs.begin(), xs.end(),
                             [&](double a, double b) { return std::abs(a - own) < std::abs(b - own); }) -
            xs.begin());
        const double atOwn = price(xs[k]) - target;
        if (atOwn == 0) {
            result = xs[k];
            return true;
        }
        const bool up = (atOwn < 0) == volatility;
        // The price rises with volatility: when the end of the range does not
        // reach the target, nothing does.
        if (volatility) {
            const double end = up ? xs.back() : xs.front();
            if ((price(end) - target > 0) == (atOwn > 0)) return false;
        }
        double low = 0, high = 0;
        const std::size_t end = up ? xs.size() - 1 : 0;
        bool bracketed = false;
        if (!volatility && m_model.PriceMonotoneInSpread()) {
            // The price falls with the spread: a few nodes on, where the target
            // is not bracketed yet, the end of the range is asked first (a
            // price the scenario's model cannot reach would otherwise be
            // walked to the end).
            const std::size_t near =
                up ? std::min(k + kNodesBeforeEndCheck, end) : k - std::min(k, kNodesBeforeEndCheck);
            bracketed = Walk(xs, k, near, atOwn, price, target, low, high);
            if (!bracketed && near != end) {
                if ((price(xs[end]) - target > 0) == (atOwn > 0)) return false;
                bracketed = Walk(xs, near, end, price(xs[near]) - target, price, target, low, high);
            }
        } else {
            bracketed = Walk(xs, k, end, atOwn, price, target, low, high);
            // A spread here is under the bankruptcy model, whose price may
            // rise with it: the other way is tried too.
            if (!bracketed && !volatility)
                bracketed = Walk(xs, k, up ? 0 : xs.size() - 1, atOwn, price, target, low, high);
        }
        if (!bracketed) return false;

        double fLow = price(low) - target;
        // Interpolate on the four nodes around the bracketing pair; where the
        // four nodes one further along give a root whose price differs by more
        // than the agreement asked, the bracket is narrowed again.
        for (int refinement = 0;; ++refinement) {
            const std::size_t at = static_cast<std::size_t>(std::lower_bound(xs.begin(), xs.end(), low) - xs.begin());
            const double fHigh = price(high) - target;
            const double linear = low + (high - low) * fLow / (fLow - fHigh);
            const std::size_t first = at > 0 ? at - 1 : 0;
            double root = linear, other = linear;
            const bool cubic = InvertOn(xs, at, first, price, target, root);
            // The other set of four: one node further up or down, whichever adds
            // the node nearer the bracket; at the ends, where there is none, the
            // straight line.
            const bool canUp = first + 4 < xs.size();
            const bool canDown = first >= 1;
            const bool goUp = canUp && (!canDown || xs[first + 4] - high < low - xs[first - 1]);
            const std::size_t shifted = goUp ? first + 1 : (canDown ? first - 1 : first);
            if (shifted != first && !InvertOn(xs, at, shifted, price, target, other)) other = linear;
            const double slope = (fHigh - fLow) / (high - low);
            const double agreement = m_model.CompanionQuantity() != ConvertibleModel::Companion::None
                                         ? kTableTolerance
                                         : kSmoothTableAgreement;
            if (refinement >= kMaxTableRefinements ||
                (cubic && std::abs(root - other) * std::abs(slope) <= agreement)) {
                result = root;
                return true;
            }
            // The new node: the cubic's root kept off the bracket's ends; where
            // its price is within the tolerance of the target it is the answer.
            const double width = high - low;
            const double mid = cubic ? std::clamp(root, low + 0.1 * width, high - 0.1 * width) : 0.5 * (low + high);
            xs.insert(std::upper_bound(xs.begin(), xs.end(), mid), mid);
            const double fMid = price(mid) - target;
            if (std::abs(fMid) <= kTableTolerance) {
                result = mid;
                return true;
            }
            if ((fMid > 0) == (fLow > 0)) {
                low = mid;
                fLow = fMid;
            } else {
                high = mid;
            }
        }
    }

private:
    // Root of the cubic through the four table nodes from xs[first] (fewer
    // at the ends) inside the bracket [xs[at], xs[at + 1]].
    template <class Price>
    static bool InvertOn(const std::vector<double>& xs, std::size_t at, std::size_t first, Price& price, double target,
                         double& root) {
        const std::size_t last = std::min(xs.size() - 1, first + 3);
        std::vector<double> nodes, prices;
        for (std::size_t m = first; m <= last; ++m) {
            nodes.push_back(xs[m]);
            prices.push_back(price(xs[m]));
        }
        return InvertTable(nodes, prices, target, root) && root >= xs[at] && root <= xs[at + 1];
    }

    // Nodes of the implied-value tables: multiples of the state's own value,
    // the Greek bumps and the ends of the implied solvers' range.
    std::vector<double> TableNodes(bool volatility) const {
        std::vector<double> xs;
        if (volatility) {
            for (double m : kVolTableNodes) xs.push_back(m_state.volatility * m);
            xs.push_back(m_state.volatility + kVolBump);
            if (m_state.volatility > kVolBump) xs.push_back(m_state.volatility - kVolBump);
            xs.push_back(kMinImpliedVol);
            xs.push_back(kMaxImpliedVol);
        } else if (m_state.spread >= kSmallSpread) {
            for (double m : kSpreadTableNodes) xs.push_back(m_state.spread * m);
            xs.push_back(m_state.spread + kSpreadBump);
            if (m_state.spread >= kSpreadBump) xs.push_back(m_state.spread - kSpreadBump);
            xs.push_back(kMaxImpliedSpread);
        } else {
            xs.assign(kAbsoluteSpreadNodes.begin(), kAbsoluteSpreadNodes.end());
            xs.push_back(kMaxImpliedSpread);
        }
        const double low = volatility ? kMinImpliedVol : kMinImpliedSpread;
        const double high = volatility ? kMaxImpliedVol : kMaxImpliedSpread;
        xs.erase(std::remove_if(xs.begin(), xs.end(), [&](double x) { return x < low || x > high; }), xs.end());
        std::sort(xs.begin(), xs.end());
        xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
        return xs;
    }

    // Moves node by node from xs[k] (gap atK) towards xs[last] until the gap
    // changes sign: [low, high] then brackets the root.
    template <class Price>
    static bool Walk(const std::vector<double>& xs, std::size_t k, std::size_t last, double atK, Price& price,
                     double target, double& low, double& high) {
        const bool up = last > k;
        double previous = atK;
        for (std::size_t m = k; m != last;) {
            const std::size_t next = up ? m + 1 : m - 1;
            const double gap = price(xs[next]) - target;
            if (gap == 0 || (gap > 0) != (previous > 0)) {
                low = std::min(xs[m], xs[next]);
                high = std::max(xs[m], xs[next]);
                return true;
            }
            previous = gap;
            m = next;
        }
        return false;
    }

    const ConvertibleModel& m_model;
    ModelState m_state;
    std::vector<double> m_horizons;
    std::vector<double> m_volNodes, m_spreadNodes;
    struct Solved {
        std::vector<std::vector<double>> slices;
        std::vector<std::unique_ptr<Spline>> splines;  // by horizon, as read
    };
    Solved& Find(const ModelState& state, bool conversion) {
        const auto key = std::make_tuple(state.rateShift, state.volatility, state.spread, conversion);
        auto it = m_cache.find(key);
        if (it == m_cache.end())
            it = m_cache.emplace(key, Solved{m_model.Solve(state, conversion, m_horizons), {}}).first;
        return it->second;
    }
    std::map<std::tuple<double, double, double, bool>, Solved> m_cache;
};

void FillYields(const ValuationInput& input, const ConvertibleModel& model, double horizon, Figures& column) {
    const Yields y = YieldsAt(input.terms, model.Schedule(), horizon, column.estimatedPrice);
    column.yieldToMaturity = y.toMaturity;
    column.yieldToPut = y.toPut;
    column.yieldToCall = y.toCall;
}

std::optional<double> Scaled(const std::optional<double>& value, double unit) {
    return value ? std::optional<double>(*value * unit) : std::nullopt;
}

double PercentCheap(double fair, double estimated) { return fair != 0 ? (fair - estimated) / fair * 100.0 : 0.0; }

Today ValueToday(const ValuationInput& input, const ConvertibleModel& model, int threads) {
    Today today;
    Figures& column = today.figures;
    const ModelState state = BaseState(input);
    const double spot = input.market.stockPrice;
    StateSolves solves(model, state, {0.0});
    if (threads > 1) solves.SolveFiguresStates(threads);
    column.stockPrice = spot;
    solves.FillModelFigures(0, spot, column);
    const bool haveMarket = input.marketPricePct > 0;
    column.estimatedPrice = haveMarket ? input.marketPricePct : column.fairValue;
    const double target = column.estimatedPrice;

    // The fair value is the price at today's own volatility and spread; vega
    // and the spread sensitivity (points per point and per 100 bp) aim the
    // first steps.
    const ImpliedHint volHint{true, column.fairValue, column.vega * 100.0};
    const ImpliedHint spreadHint{true, column.fairValue, column.spreadSensitivity * 100.0};
    std::vector<std::function<void()>> tasks{[&] {
                                                 double vol = 0;
                                                 if (ImpliedVolatility(model, state, spot, 0.0, target, vol, volHint))
                                                     today.impliedVol = vol;
                                             },
                                             [&] {
                                                 double spread = 0;
                                                 if (ImpliedSpread(model, state, spot, 0.0, target, spread, spreadHint))
                                                     today.impliedSpread = spread;
                                             }};
    RunTasks(tasks, threads);
    column.impliedVolPct = Scaled(today.impliedVol, 100.0);
    column.impliedSpreadBp = Scaled(today.impliedSpread, 10000.0);
    today.pctCheap = PercentCheap(column.fairValue, target);
    column.pctCheap = today.pctCheap;
    FillYields(input, model, 0.0, column);
    return today;
}

// One group of scenarios that share rate, volatility and spread changes.
struct Group {
    ModelState state;
    std::vector<std::size_t> members;
};

void ValueMatured(const ConvertibleModel& model, double stock, Figures& column) {
    const double payoff = model.PayoffAtMaturity(stock, true);
    column.estimatedPrice = column.fairValue = payoff;
    column.bondFloor = model.PayoffAtMaturity(stock, false);
    column.delta = payoff > column.bondFloor ? 100.0 : 0.0;
}

// threads: how many threads the group's own solves may use (the groups
// themselves run side by side when there are enough of them).
void ValueGroup(const ValuationInput& input, const ConvertibleModel& model, const Today& today, const Group& group,
                std::span<const ScenarioShift> scenarios, int threads, std::vector<ScenarioResult>& result) {
    const double maturity = model.Schedule().Maturity();
    std::vector<double> horizons;
    for (std::size_t j : group.members) {
        const double h = YearsFromDays(scenarios[j].days);
        if (h < maturity - kTimeTolerance) horizons.push_back(h);
    }
    std::sort(horizons.begin(), horizons.end());
    horizons.erase(std::unique(horizons.begin(), horizons.end()), horizons.end());
    StateSolves solves(model, group.state, horizons);
    if (threads > 1) solves.SolveFiguresStates(threads);

    for (std::size_t j : group.members) {
        const ScenarioShift& shift = scenarios[j];
        Figures& column = result[j].scenario;
        const double stock = input.market.stockPrice * (1 + shift.stockChangePct / 100.0);
        const double horizon = YearsFromDays(shift.days);
        column.stockPrice = stock;
        if (horizon >= maturity - kTimeTolerance) {
            ValueMatured(model, stock, column);
            continue;
        }
        const std::size_t h =
            static_cast<std::size_t>(std::lower_bound(horizons.begin(), horizons.end(), horizon) - horizons.begin());
        solves.FillModelFigures(h, stock, column);

        const double scale = shift.tunerValuePct / 100.0;
        int rule = shift.tuner;
        if (rule != TunerRule::ConstantCheapness && rule != TunerRule::ConstantImpliedSpread)
            rule = TunerRule::ConstantImpliedVolatility;

        // Rules 1 and 3 carry today's implied value. Where today's market
        // price has none, they carry today's cheapness instead: the given
        // volatility (or spread) would price the bond at its fair value under
        // every scenario, and the gap between the market price and the model
        // would show as the impact of any scenario, even a rate move of a
        // bond that does not feel rates.
        if (rule == TunerRule::ConstantImpliedVolatility && !today.impliedVol) rule = TunerRule::ConstantCheapness;
        if (rule == TunerRule::ConstantImpliedSpread && !today.impliedSpread) rule = TunerRule::ConstantCheapness;
        bool knownVol = false, knownSpread = false;
        double vol = 0, spread = 0;
        if (rule == TunerRule::ConstantImpliedVolatility) {
            ModelState tuned = group.state;
            tuned.volatility = std::max(*today.impliedVol * (1 + shift.volChangePct / 100.0) * scale, kMinImpliedVol);
            column.estimatedPrice = solves.Clean(tuned, true, h, stock);
            knownVol = true;
            vol = tuned.volatility;
        } else if (rule == TunerRule::ConstantImpliedSpread) {
            ModelState tuned = group.state;
            tuned.spread = std::max(*today.impliedSpread * (1 + shift.spreadChangePct / 100.0) * scale, 0.0);
            column.estimatedPrice = solves.Clean(tuned, true, h, stock);
            knownSpread = true;
            spread = tuned.spread;
        } else {
            column.estimatedPrice = column.fairValue * (1 - today.pctCheap * scale / 100.0);
        }
        const double target = column.estimatedPrice;
        if (!knownVol) knownVol = solves.Implied(true, h, stock, target, vol);
        if (!knownSpread) knownSpread = solves.Implied(false, h, stock, target, spread);
        if (knownVol) column.impliedVolPct = vol * 100.0;
        if (knownSpread) column.impliedSpreadBp = spread * 10000.0;
        column.pctCheap = PercentCheap(column.fairValue, target);
        FillYields(input, model, horizon, column);
    }
}

}  // namespace

std::vector<ScenarioResult> ValueScenarios(const ValuationInput& input, std::span<const ScenarioShift> scenarios,
                                           const RunOptions& options) {
    CheckValuationInput(input);
    for (std::size_t j = 0; j < scenarios.size(); ++j) CheckScenario(scenarios[j], j);
    if (input.isStock) return StockScenarios(input, scenarios);

    double highestStock = input.market.stockPrice;
    for (const ScenarioShift& shift : scenarios)
        highestStock = std::max(highestStock, input.market.stockPrice * (1 + shift.stockChangePct / 100.0));
    const ConvertibleModel model(input, highestStock);
    const Today today = ValueToday(input, model, options.threads);

    std::vector<ScenarioResult> result(scenarios.size());
    for (auto& figures : result) figures.today = today.figures;

    std::map<std::tuple<double, double, double>, Group> groups;
    for (std::size_t j = 0; j < scenarios.size(); ++j) {
        const auto& s = scenarios[j];
        Group& g = groups[{s.rateChangeBp, s.volChangePct, s.spreadChangePct}];
        g.state = ScenarioState(input, s);
        g.members.push_back(j);
    }
    // Groups run side by side; with fewer groups than threads, the threads
    // left over go to each group's own solves.
    const int groupCount = static_cast<int>(groups.size());
    const int inner = std::max(1, options.threads / std::max(groupCount, 1));
    std::vector<std::function<void()>> tasks;
    for (const auto& entry : groups) {
        const Group* group = &entry.second;
        tasks.push_back([&, group] { ValueGroup(input, model, today, *group, scenarios, inner, result); });
    }
    RunTasks(tasks, options.threads);
    return result;
}

}  // namespace zemra::engine

#include "ConvertibleModel.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "BondSchedule.h"
#include "Spline.h"
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
// Blended: how many times a step's edges between called for cash and free
// are settled as others join them.
constexpr int kMaxEdgePasses = 4;
// Factored matrices kept by each equation of a solve (see KeptMatrices).
constexpr std::size_t kKeptMatrices = 16;
// The explicit half of a step extrapolates through the call cap's corner at
// most this many cells' widths beyond it.
constexpr double kMaxCornerWeight = 4.0;
// A call price in a solve's frame within this share of the corner's own
// price is that price (the frame divides the accrued price by its scale);
// a corner this close to a node is on it.
constexpr double kFrameSnap = 1e-9;
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
    : m_input(input), m_schedule(input.terms) {
    const ContractTerms& terms = input.terms;
    m_parityPerShare = terms.conversionRatio * input.market.fxStockToBond * 100.0 / terms.face;
    m_conversionEnd = terms.conversionEnd < 0 ? terms.maturityTime : std::min(terms.conversionEnd, terms.maturityTime);
    if (input.model.dividendType == DividendType::Discrete) {
        for (const auto& d : input.market.dividends) {
            const bool inWindow = input.model.discreteDividendYears <= 0 || d.time <= input.model.discreteDividendYears;
            if (d.time > kTimeTolerance && d.time < terms.maturityTime - kTimeTolerance && inWindow && d.amount > 0)
                m_discreteDividends.push_back(d);
        }
    }
    BuildStockGrid(highestStock);
}

void ConvertibleModel::BuildStockGrid(double highestStock) {
    const double spot = m_input.market.stockPrice;
    const double conversionPrice = m_parityPerShare > 0 ? 100.0 / m_parityPerShare : spot;
    const double reach = std::clamp(std::exp(5.0 * kGridVolatility * std::sqrt(m_input.terms.maturityTime)), 3.0, 10.0);
    // A stock price to be read from the grid lies well inside it, below a
    // top that is kScenarioReach times as high.
    const double top = std::max(std::max(spot, conversionPrice) * reach, highestStock * kScenarioReach);
    const double width = kConcentration * spot;
    const double low = std::asinh(-spot / width);
    const double high = std::asinh((top - spot) / width);
    const int nodes = std::max(m_input.model.grid.stockNodes, 20);
    const int below = std::max(2, static_cast<int>(std::lround(nodes * (-low) / (high - low))));
    const double step = -low / below;
    const int above = std::max(2, static_cast<int>(std::ceil(high / step)));
    m_stock.resize(static_cast<std::size_t>(below + above + 1));
    for (int i = 0; i <= below + above; ++i)
        m_stock[static_cast<std::size_t>(i)] = spot + width * std::sinh(low + i * step);
    m_stock.front() = 0;
    m_spotNode = static_cast<std::size_t>(below);
    m_stock[m_spotNode] = spot;

    // Stock prices where the value has a kink or a step (conversion at
    // maturity, parity at a call price, a soft call's trigger) get a node of their own: the nearest
    // node moves there, so results converge smoothly as the grid is refined.
    std::vector<std::size_t> moved{0, m_spotNode, m_stock.size() - 1};
    // The corner a solve follows sits on a node of its own; where the node
    // nearest it is taken (today's stock), the one on its other side moves.
    if (FollowsCorner()) {
        const double maturity = m_input.terms.maturityTime;
        std::vector<double> starts{0.0, m_input.terms.conversionStart};
        for (const auto& call : m_input.terms.calls) starts.push_back(call.start);
        std::sort(starts.begin(), starts.end());
        for (double t : starts) {
            double level = 0, price = 0;
            if (t >= 0 && t < maturity - kTimeTolerance && CallCorner(t, true, 1.0, level, price)) {
                m_anchorLevel = level;
                break;
            }
        }
        if (m_anchorLevel > 0) m_anchorNode = PlaceLevel(m_anchorLevel, moved, true);
    }
    std::vector<double> levels;
    if (m_parityPerShare > 0) {
        const double finalCoupon = m_schedule.CouponTimes().empty() ? 0.0 : m_schedule.CouponAmount();
        levels.push_back((m_input.terms.redemptionPct + finalCoupon) / m_parityPerShare);
        // Conversion at maturity in the frame that reaches it.
        if (m_anchorLevel > 0) {
            const double scale = BuildFrame(BuildTimeNodes({}), true).after.back();
            levels.push_back((m_input.terms.redemptionPct + finalCoupon) / m_parityPerShare / scale);
        }
        for (const auto& call : m_input.terms.calls) {
            levels.push_back(call.pricePct / m_parityPerShare);
            if (call.triggerPct > 0) levels.push_back(call.triggerPct / m_parityPerShare);
        }
    }
    for (double level : levels) PlaceLevel(level, moved, false);
    m_parity.resize(m_stock.size());
    for (std::size_t i = 0; i < m_stock.size(); ++i) m_parity[i] = m_parityPerShare * m_stock[i];
}

std::size_t ConvertibleModel::PlaceLevel(double level, std::vector<std::size_t>& moved, bool orOther) {
    const auto it = std::lower_bound(m_stock.begin(), m_stock.end(), level);
    if (it == m_stock.begin() || it == m_stock.end()) return SIZE_MAX;
    const std::size_t k = static_cast<std::size_t>(it - m_stock.begin());  // s[k - 1] < level <= s[k]
    auto taken = [&](std::size_t i) { return std::find(moved.begin(), moved.end(), i) != moved.end(); };
    if (m_stock[k] == level) {
        if (!taken(k)) moved.push_back(k);
        return k;
    }
    const std::size_t nearer = level - m_stock[k - 1] < m_stock[k] - level ? k - 1 : k;
    const std::size_t other = nearer == k ? k - 1 : k;
    const std::size_t node = !taken(nearer) ? nearer : orOther && !taken(other) ? other : SIZE_MAX;
    if (node != SIZE_MAX) {
        m_stock[node] = level;
        moved.push_back(node);
    }
    return node;
}

bool ConvertibleModel::FollowsCorner() const {
    return CompanionQuantity() == Companion::ConversionProbability && m_parityPerShare > 0;
}

ConvertibleModel::Frame ConvertibleModel::BuildFrame(const std::vector<TimeNode>& nodes, bool conversion) const {
    Frame frame;
    const std::size_t count = nodes.size();
    frame.after.assign(count, 1.0);
    frame.before.assign(count, 1.0);
    frame.growth.assign(count > 0 ? count - 1 : 0, 0.0);
    if (!conversion || m_anchorLevel <= 0) return frame;
    // From today on c follows the corner where there is one and stays where
    // it was where there is none.
    double scale = 1.0;
    for (std::size_t k = 0; k < count; ++k) {
        double level = 0, price = 0;
        if (k > 0 && CallCorner(nodes[k].time, true, 1.0, level, price, true)) scale = level / m_anchorLevel;
        frame.before[k] = scale;
        if (CallCorner(nodes[k].time, true, 1.0, level, price)) scale = level / m_anchorLevel;
        frame.after[k] = scale;
    }
    // One growth a block of steps, as one rate (the factorizations are kept):
    // c at the block's ends is exact, the accrued price inside it within
    // (g dt)^2 / 8 of itself (5e-6 over a month at 8% a year).
    for (const auto& [first, last] : RateBlocks(nodes)) {
        const double growth =
            std::log(frame.before[last] / frame.after[first]) / (nodes[last].time - nodes[first].time);
        std::fill(frame.growth.begin() + static_cast<std::ptrdiff_t>(first),
                  frame.growth.begin() + static_cast<std::ptrdiff_t>(last), std::round(growth * 1e12) / 1e12);
    }
    return frame;
}

double ConvertibleModel::FramePrice(double price, double scale) const {
    const double framed = price / scale;
    if (m_anchorNode == SIZE_MAX) return framed;
    const double corner = m_parityPerShare * m_stock[m_anchorNode];  // parity at the corner's node
    return std::abs(framed - corner) <= kFrameSnap * corner ? corner : framed;
}

void ConvertibleModel::ChangeFrame(double from, double to, bool money, std::vector<double>& values) const {
    if (from == to) return;
    // W_to(z) = W_from(z to / from), times from / to for money; cubic, so that
    // the slopes and curvatures read from a horizon's values hold; straight
    // beyond the top of the grid.
    const double ratio = to / from, factor = money ? from / to : 1.0;
    const Spline spline(m_stock, values);
    const std::size_t n = m_stock.size();
    const double top = m_stock[n - 1], topValue = values[n - 1];
    const double topSlope = (values[n - 1] - values[n - 2]) / (top - m_stock[n - 2]);
    for (std::size_t i = 0; i < n; ++i) {
        const double z = m_stock[i] * ratio;
        values[i] = factor * (z <= top ? spline.Value(z) : topValue + topSlope * (z - top));
    }
}

bool ConvertibleModel::ConversionAllowed(double t) const {
    return m_parityPerShare > 0 && t >= m_input.terms.conversionStart - kTimeTolerance &&
           t <= m_conversionEnd + kTimeTolerance;
}

double ConvertibleModel::PayoffAtMaturity(double stock, bool conversion) const {
    const double bond = m_input.terms.redemptionPct;
    return conversion && ConversionAllowed(m_schedule.Maturity()) ? std::max(bond, m_parityPerShare * stock) : bond;
}

std::vector<ConvertibleModel::TimeNode> ConvertibleModel::BuildTimeNodes(std::span<const double> horizons) const {
    const ContractTerms& terms = m_input.terms;
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
    for (double t : m_schedule.CouponTimes())
        if (t < maturity - kTimeTolerance)
            if (auto* m = mark(t)) {
                m->coupon = true;
                m->event = true;
            }
    for (const auto& d : m_discreteDividends)
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
    if (auto* m = mark(m_conversionEnd)) m->event = true;
    std::sort(marks.begin(), marks.end(), [](const TimeNode& a, const TimeNode& b) { return a.time < b.time; });
    for (auto& m : marks) m.mark = true;

    const GridAccuracy& grid = m_input.model.grid;
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
    const std::size_t n = m_stock.size();
    share.resize(n);
    auto binds = [&](std::size_t i) { return gap[i] <= 0; };
    auto crossing = [&](std::size_t i) {  // the boundary between nodes i and i + 1
        return m_stock[i] + (m_stock[i + 1] - m_stock[i]) * gap[i] / (gap[i] - gap[i + 1]);
    };
    for (std::size_t i = 0; i < n; ++i) {
        double length = 0, binding = 0;
        if (i > 0) {
            const double mid = 0.5 * (m_stock[i - 1] + m_stock[i]), half = m_stock[i] - mid;
            const double own = binds(i - 1) == binds(i) ? half : std::clamp(m_stock[i] - crossing(i - 1), 0.0, half);
            length += half;
            binding += binds(i) ? own : half - own;
        }
        if (i + 1 < n) {
            const double mid = 0.5 * (m_stock[i] + m_stock[i + 1]), half = mid - m_stock[i];
            const double own = binds(i) == binds(i + 1) ? half : std::clamp(crossing(i) - m_stock[i], 0.0, half);
            length += half;
            binding += binds(i) ? own : half - own;
        }
        share[i] = length > 0 ? binding / length : (binds(i) ? 1.0 : 0.0);
    }
}

double ConvertibleModel::CalledCompanion(std::size_t i, double price, bool convertible) const {
    if (CompanionQuantity() != Companion::ConversionProbability) return 0.0;
    return convertible && m_parity[i] >= price ? 1.0 : 0.0;
}

ConvertibleModel::Companion ConvertibleModel::CompanionQuantity() const {
    if (m_input.model.bankruptcy) return Companion::None;
    switch (m_input.model.discounting) {
        case DiscountingScheme::BondPlusOption: return Companion::Cash;
        case DiscountingScheme::Blended: return Companion::ConversionProbability;
        default: return Companion::None;
    }
}

double ConvertibleModel::CellShareBelow(std::size_t i, double level) const {
    const double low = i == 0 ? m_stock[0] : 0.5 * (m_stock[i - 1] + m_stock[i]);
    const double high = i + 1 == m_stock.size() ? m_stock[i] : 0.5 * (m_stock[i] + m_stock[i + 1]);
    if (high <= low) return m_stock[i] < level ? 1.0 : 0.0;
    return std::clamp((level - low) / (high - low), 0.0, 1.0);
}

void ConvertibleModel::ApplyCalls(double t, bool justBefore, bool convertible, double scale, std::vector<double>& value,
                                  std::vector<double>& cash, const std::vector<char>* binding, std::size_t rows) const {
    const double accrued = justBefore ? m_schedule.AccruedBefore(t) : m_schedule.Accrued(t);
    const std::size_t n = m_stock.size();
    const bool companion = CompanionQuantity() != Companion::None;
    thread_local std::vector<double> gap, share;
    gap.resize(n);
    for (const auto& call : m_input.terms.calls) {
        if (!CallInForce(call, t, justBefore)) continue;
        const double price = FramePrice(CallPrice(call, accrued), scale);
        const double trigger = call.triggerPct / scale;
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
            for (std::size_t i = 0; i < std::min(n, rows); ++i) {
                const double parity = m_parity[i];
                if (call.triggerPct > 0 && parity < trigger) continue;
                const double cap = convertible ? std::max(price, parity) : price;
                if (cap - value[i] - kBindingTolerance > 0) continue;
                if (companion && (!binding || (*binding)[i] == kAboveCap))
                    cash[i] = CalledCompanion(i, price, convertible);
                value[i] = cap;
            }
            continue;
        }
        for (std::size_t i = 0; i < n; ++i) {
            const double parity = m_parity[i];
            const bool active = call.triggerPct <= 0 || parity >= trigger;
            gap[i] = active ? (convertible ? std::max(price, parity) : price) - value[i] - kBindingTolerance : 1.0;
        }
        BindingShares(gap, share);
        for (std::size_t i = 0; i < n; ++i) {
            if (gap[i] > 0 && share[i] <= 0) continue;
            // Called, the holder converts where parity beats the call price and
            // takes the cash below.
            cash[i] += share[i] * (CalledCompanion(i, price, convertible) - cash[i]);
            if (gap[i] <= 0) value[i] = convertible ? std::max(price, m_parity[i]) : price;
        }
    }
}

void ConvertibleModel::ApplyConstraints(double t, bool conversion, double scale, std::vector<double>& value,
                                        std::vector<double>& cash, const std::vector<char>* binding,
                                        std::size_t rows) const {
    const bool convertible = conversion && ConversionAllowed(t);
    const double accrued = m_schedule.Accrued(t);
    const std::size_t n = m_stock.size();
    const Companion companion = CompanionQuantity();
    thread_local std::vector<double> gap, share;
    gap.resize(n);
    ApplyCalls(t, false, convertible, scale, value, cash, binding, rows);
    for (const auto& put : m_input.terms.puts) {
        if (!Near(put.time, t)) continue;
        const double price = (put.pricePct + (put.clean ? accrued : 0.0)) / scale;
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
        for (std::size_t i = 0; i < std::min(n, rows); ++i) {
            const double parity = m_parity[i];
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
    return t >= call.start - kTimeTolerance && t <= call.end + kTimeTolerance && !Near(t, m_schedule.Maturity());
}

bool ConvertibleModel::CallCorner(double t, bool conversion, double scale, double& level, double& price,
                                  bool justBefore) const {
    if (!conversion || !ConversionAllowed(t)) return false;
    const double accrued = justBefore ? m_schedule.AccruedBefore(t) : m_schedule.Accrued(t);
    bool found = false;
    for (const auto& call : m_input.terms.calls) {
        if (!CallInForce(call, t, justBefore)) continue;
        const double callPrice = FramePrice(CallPrice(call, accrued), scale);
        if (call.triggerPct / scale > callPrice) continue;  // a soft call is not in force at the corner
        if (!found || callPrice < price) price = callPrice;
        found = true;
    }
    if (found) level = price / m_parityPerShare;
    return found;
}

bool ConvertibleModel::ContinuousBounds(double t, bool conversion, double scale, std::vector<double>& floor,
                                        std::vector<double>& cap, std::vector<double>& capCompanion,
                                        BoundsKey& last) const {
    const bool convertible = conversion && ConversionAllowed(t);
    const std::size_t n = m_stock.size();
    const bool probability = CompanionQuantity() == Companion::ConversionProbability;
    // The floor is parity or nothing; it is written again only when that
    // changes (its first entry tells which it holds).
    if (floor.size() != n || (convertible != (floor[0] == m_parity[0]))) {
        if (convertible)
            floor = m_parity;
        else
            floor.assign(n, -std::numeric_limits<double>::infinity());
    }
    // The calls in force: price and first node (a soft call binds only from
    // the trigger's stock price up). Where they and conversion are as for
    // the bounds as they stand (a dirty price, or a clean one in a solve
    // that follows the corner), those stand.
    const double accrued = m_schedule.Accrued(t);
    thread_local std::vector<double> terms;
    terms.assign(1, convertible ? 1.0 : 0.0);
    for (const auto& call : m_input.terms.calls) {
        if (!CallInForce(call, t)) continue;
        terms.push_back(FramePrice(CallPrice(call, accrued), scale));
        terms.push_back(call.triggerPct > 0 ? static_cast<double>(std::lower_bound(m_parity.begin(), m_parity.end(),
                                                                                   call.triggerPct / scale) -
                                                                  m_parity.begin())
                                            : 0.0);
    }
    if (terms == last.terms && cap.size() == n && capCompanion.size() == n) return last.any;
    cap.assign(n, std::numeric_limits<double>::infinity());
    // The companion where the cap holds: 0 but for the probability of
    // conversion, 1 where called and converting.
    if (probability || capCompanion.size() != n) capCompanion.assign(n, 0.0);
    bool any = convertible;
    for (std::size_t k = 1; k < terms.size(); k += 2) {
        const double price = terms[k];
        const std::size_t from = static_cast<std::size_t>(terms[k + 1]);
        any = any || from < n;
        for (std::size_t i = from; i < n; ++i) {
            const double capHere = convertible ? std::max(price, m_parity[i]) : price;
            if (capHere < cap[i]) {
                cap[i] = capHere;
                if (probability) capCompanion[i] = convertible && m_parity[i] >= price ? 1.0 : 0.0;
            }
        }
    }
    last.terms = terms;
    last.any = any;
    return any;
}

void ConvertibleModel::ApplyDividend(double amount, std::vector<double>& values) const {
    // Just before the ex date the stock is worth `amount` more than just after:
    // V(S, before) = V(S - amount, after), linear between nodes.
    const std::vector<double> after = values;
    std::size_t j = 0;
    for (std::size_t i = 0; i < m_stock.size(); ++i) {
        const double s = std::max(m_stock[i] - amount, 0.0);
        while (j + 2 < m_stock.size() && m_stock[j + 1] < s) ++j;
        const double w = (s - m_stock[j]) / (m_stock[j + 1] - m_stock[j]);
        values[i] = after[j] + std::clamp(w, 0.0, 1.0) * (after[j + 1] - after[j]);
    }
}

// One backward time step of the pricing equations on the stock grid.
class ConvertibleModel::Stepper {
public:
    Stepper(const ConvertibleModel& model, const ModelState& state, bool conversion)
        : m_model(model), m_state(state), m_conversion(conversion) {
        const auto& s = model.m_stock;
        const std::size_t n = s.size();
        m_d1.resize(n);
        m_d2.resize(n);
        for (std::size_t i = 1; i + 1 < n; ++i) {
            const double hm = s[i] - s[i - 1], hp = s[i + 1] - s[i];
            m_d1[i] = {-hp / (hm * (hm + hp)), (hp - hm) / (hm * hp), hm / (hp * (hm + hp))};
            m_d2[i] = {2 / (hm * (hm + hp)), -2 / (hm * hp), 2 / (hp * (hm + hp))};
        }
        const ModelChoice& model_choice = model.m_input.model;
        m_hazard.assign(n, 0.0);
        if (model_choice.bankruptcy) {
            const double base = state.spread / (1.0 - model_choice.bondRecoveryPct / 100.0);
            const double spot = model.m_input.market.stockPrice;
            for (std::size_t i = 0; i < n; ++i) {
                const double ratio = s[i] / spot;
                double h = base;
                if (model_choice.spreadDecayFactor > 0)
                    h = ratio > 0 ? base * std::pow(ratio, -model_choice.spreadDecayFactor)
                                  : (base > 0 ? kMaxHazard : 0.0);
                m_hazard[i] = std::min(h, std::max(base, kMaxHazard));
            }
        }
        m_lower.resize(n);
        m_diag.resize(n);
        m_upper.resize(n);
        m_rate.resize(n);
        m_source.resize(n);
        m_rhs.resize(n);
    }

    // Nodes the last step held at the conversion floor or the call cap; null
    // when it held none.
    const std::vector<char>* Binding() const { return m_constrained ? &m_active : nullptr; }
    // The rows the last step worked on (SettledTop).
    std::size_t Rows() const { return m_rows; }
    // After a coupon, a dividend, a put or another event has moved values
    // outside the steps, the next step works on every row.
    void ForgetSettled() { m_lastTop = SIZE_MAX; }

    // Moves value (and cash, the Tsiveriotis-Fernandes cash part) from
    // t0 + dt back to t0. dt is the same for every step between two marks
    // (not the difference of the nodes' times, which varies in its last
    // digits), so that those steps keep one matrix.
    // rate: the step's interest rate (the curve's average forward over its
    // block of steps, without the scenario's shift). growth, earlier, later:
    // the frame's growth over the step and its scale at the two levels.
    void Step(double t0, double dt, double rate, double growth, double earlier, double later, bool implicit,
              std::vector<double>& value, std::vector<double>& cash) {
        m_stepRate = rate;
        m_growth = growth;
        m_stepStart = t0;
        m_stepLength = dt;
        m_earlierScale = earlier;
        m_laterScale = later;
        if (implicit) {
            Advance(t0 + 0.5 * dt, 0.5 * dt, 1.0, value, cash);
            Advance(t0, 0.5 * dt, 1.0, value, cash);
        } else {
            Advance(t0, dt, 0.5, value, cash);
        }
    }

private:
    enum class Equation { Total, Cash };

    // The frame's scale at a time of the step (linear, as the accrued interest).
    double ScaleAt(double t) const {
        return m_earlierScale + (m_laterScale - m_earlierScale) * (t - m_stepStart) / m_stepLength;
    }

    // A round of the value and its companion starts again from the later
    // level, the companion held where the value's last round held it.
    void RestartRound(std::vector<double>& value, std::vector<double>& cash) {
        if (m_constrained)
            m_heldCash = m_active;
        else
            m_heldCash.assign(value.size(), kFree);
        cash = m_cashLater;
        value = m_valueLater;
        m_cashTarget = &cash;
    }

    void Advance(double t0, double dt, double theta, std::vector<double>& value, std::vector<double>& cash) {
        const ModelChoice& choice = m_model.m_input.model;
        const MarketData& market = m_model.m_input.market;
        // In the frame, amounts of money are discounted at their rate less the
        // frame's growth, and every quantity drifts at the stock's less it.
        const double g = m_growth;
        const double r = m_stepRate - g;
        const double mid = t0 + 0.5 * dt;
        const bool yieldApplies = choice.dividendType == DividendType::Continuous ||
                                  (choice.discreteDividendYears > 0 && mid > choice.discreteDividendYears);
        const double q = yieldApplies ? market.dividendYieldPct / 100.0 : 0.0;
        const double drift = m_stepRate - q - market.borrowCostPct / 100.0 - g;
        const double s = m_state.spread;
        const std::size_t n = value.size();
        m_constrained =
            m_model.ContinuousBounds(t0, m_conversion, ScaleAt(t0), m_floor, m_cap, m_capCompanion, m_boundsKey);
        if (m_constrained) HeldAtStepStart();
        SettledTop(n);
        // The call cap's corner at both levels of the step (the value is
        // extrapolated through it; so is the companion, see CompanionCornerRow).
        m_hasCorner = m_model.CallCorner(t0, m_conversion, ScaleAt(t0), m_cornerLevel, m_cornerPrice);
        m_hasLaterCorner =
            m_model.CallCorner(t0 + dt, m_conversion, ScaleAt(t0 + dt), m_laterCornerLevel, m_laterCornerPrice);

        if (choice.bankruptcy) {
            for (std::size_t i = 0; i < m_rows; ++i) {
                m_rate[i] = r + m_hazard[i];
                m_source[i] = dt * m_hazard[i] * choice.bondRecoveryPct;
            }
            Solve(drift, theta, dt, r, value, &m_source, m_constrained);
            return;
        }
        // Without conversion the Tsiveriotis-Fernandes split has no equity part
        // and the chance of conversion is 0: the whole value is discounted as
        // under the risky scheme.
        const DiscountingScheme scheme = m_conversion ? choice.discounting : DiscountingScheme::Risky;
        switch (scheme) {
            case DiscountingScheme::Risky: Solve(drift, theta, dt, r + s, value, nullptr, m_constrained); break;
            case DiscountingScheme::BondPlusOption: {
                // Cash part at r + s; the total at r less s times the cash part.
                // The cash part is held where the total is: 0 on conversion, the
                // called cash on a call; held inside the same implicit step (a
                // reset after a free step would leak through the boundary at every
                // step). The nodes come from the total's step, which needs the cash
                // part first: start from the previous step's nodes and solve again
                // while they change.
                // The source -s B at the later level, weighted for the step.
                const double wEarlier = -s * dt * theta, wLater = -s * dt * (1 - theta);
                m_sourceLater.resize(n);
                for (std::size_t i = 0; i < m_rows; ++i) m_sourceLater[i] = wLater * cash[i];
                m_cashLater = cash;
                m_valueLater = value;
                // One pass of the total's constraints a round: the cash part follows
                // every change of the held nodes at once.
                for (int round = 0; round < kMaxConstraintIterations; ++round) {
                    // A round after the first starts from the same later level.
                    m_sameLaterLevel = round > 0;
                    m_previousHeld.swap(m_heldCash);
                    RestartRound(value, cash);
                    Solve(drift, theta, dt, r + s, cash, nullptr, false, &m_heldCash);
                    for (std::size_t i = 0; i < m_rows; ++i) m_source[i] = m_sourceLater[i] + wEarlier * cash[i];
                    if (Solve(drift, theta, dt, r, value, &m_source, m_constrained, nullptr, 1)) break;
                    // Held nodes that swap back and forth between two sets do not
                    // settle: the round that holds the later set stands (as after the
                    // last round of the limit).
                    if (round > 0 && m_active == m_previousHeld) break;
                }
                m_sameLaterLevel = false;
                break;
            }
            case DiscountingScheme::Blended: {
                // The probability of conversion p (the companion, 1994 Goldman
                // Sachs) steps back with the same operator, undiscounted, held
                // where the value is held: 1 on conversion (also when called and
                // converting), 0 when called for cash. The value is discounted at
                // r + s (1 - p), p the mean of the step's two ends. p steps with
                // the nodes the last step held; where the value's step holds other
                // nodes, p steps again with those, and nodes that still swap
                // between called for cash and free are settled as SettleCallEdges
                // says.
                // The value's matrix is the risky one (r + s), kept from step to
                // step; s p V is a source, at the new level from the value's own
                // extrapolation through the two later levels (a Crank-Nicolson
                // step of the same length before it), else solved once more with
                // the first solution: its error is s dt / 2 times that of the
                // guess, below 1e-7 points a step.
                m_cashLater = cash;
                m_valueLater = value;
                m_blend = {drift, theta, dt, r + s, s, theta == 0.5 && m_blendEarlierValid && dt == m_blendEarlierDt};
                m_sourceLater.resize(n);
                m_source.resize(n);
                m_blendRate.resize(n);
                m_edge.resize(n, 0);  // all 0 between steps (SettleCallEdges)
                for (int round = 0; round < 2; ++round) {
                    RestartRound(value, cash);
                    // p jumps between 0 and 1 where nodes are held or let go, and
                    // Crank-Nicolson would carry such a jump on undamped for many steps (a
                    // free node below the call's corner kept the 0 of a called-for-cash
                    // step: 0.1 points on the reference bond). A step whose nodes called
                    // for cash differ from the last step's is fully implicit.
                    CalledForCash(m_heldCash, m_calledForCash);
                    m_blend.pTheta = m_calledForCash == m_lastCalledForCash ? theta : 1.0;
                    Solve(drift, m_blend.pTheta, dt, 0.0, cash, nullptr, false, &m_heldCash);
                    KeepProbability(cash);
                    BlendedValue(value, cash, kMaxConstraintIterations);
                    if (!m_constrained || m_active == m_heldCash) break;
                }
                if (m_constrained && m_active != m_heldCash) SettleCallEdges(value, cash);
                m_lastCalledForCash.swap(m_calledForCash);
                m_blendEarlier.swap(m_valueLater);
                m_blendEarlierDt = dt;
                m_blendEarlierValid = theta == 0.5;
                break;
            }
        }
    }

    // p is a probability. Crank-Nicolson overshoots its jumps (up to 1.7 by
    // the call's corner on the reference bond), and the excess carried on
    // would discount the neighbours too little: it is kept within [0, 1].
    void KeepProbability(std::vector<double>& p) const {
        for (std::size_t i = 0; i < m_rows; ++i) p[i] = std::clamp(p[i], 0.0, 1.0);
    }

    // The blended value's step from the later level with the p in `cash`:
    // the mean of the step's two ends, but p at the new level alone on an
    // edge node (SettleCallEdges); passes: of the constraints.
    void BlendedValue(std::vector<double>& value, const std::vector<double>& cash, int passes) {
        const double s = m_blend.spread;
        const double wEarlier = m_blend.dt * m_blend.theta, wLater = m_blend.dt * (1 - m_blend.theta);
        for (std::size_t i = 0; i < m_rows; ++i) {
            const double p = m_edge[i] ? cash[i] : 0.5 * (cash[i] + m_cashLater[i]);
            m_blendRate[i] = s * std::clamp(p, 0.0, 1.0);
            m_sourceLater[i] = wLater * m_blendRate[i] * m_valueLater[i];
            m_source[i] = m_sourceLater[i] +
                          wEarlier * m_blendRate[i] *
                              (m_blend.extrapolate ? 2 * m_valueLater[i] - m_blendEarlier[i] : m_valueLater[i]);
        }
        value = m_valueLater;
        Solve(m_blend.drift, m_blend.theta, m_blend.dt, m_blend.rate, value, &m_source, m_constrained, nullptr, passes);
        if (!m_blend.extrapolate) {
            for (std::size_t i = 0; i < m_rows; ++i)
                m_source[i] = m_sourceLater[i] + wEarlier * m_blendRate[i] * value[i];
            value = m_valueLater;
            m_sameLaterLevel = true;
            Solve(m_blend.drift, m_blend.theta, m_blend.dt, m_blend.rate, value, &m_source, m_constrained, nullptr,
                  passes);
            m_sameLaterLevel = false;
        }
    }

    // Nodes that swap between called for cash and free from round to round:
    // held at the call price p is 0, and the value discounted at r + s falls
    // under the price; free, p is high, and the value rises above it. No
    // pure state is consistent, and the one a step ends on flips with the
    // last digits (steps of 0.1 with the spread on the reference bond). Such
    // an edge node is held where the issuer is indifferent: free in the
    // value, which then sits on the price, with p held at the value x that
    // puts it there, between 0 (called) and its free p. The value is
    // affine in x: x comes from the value at x = 0 and at the free p,
    // interpolated; the edge's own p enters its discounting at the new level
    // (the mean with the later level carries x's swings on from step to
    // step). Nodes that the result would hold or free otherwise join the
    // edges, and the step is settled again.
    void SettleCallEdges(std::vector<double>& value, std::vector<double>& cash) {
        std::vector<std::size_t> edges;
        auto swaps = [&](std::size_t i, const std::vector<char>& a, const std::vector<char>& b) {
            return m_capCompanion[i] == 0.0 &&
                   ((a[i] == kAboveCap && b[i] == kFree) || (a[i] == kFree && b[i] == kAboveCap));
        };
        for (std::size_t i = 0; i < m_rows; ++i)
            if (swaps(i, m_active, m_heldCash)) edges.push_back(i);
        std::vector<char> held, reclassified;
        std::vector<double> x;
        std::vector<char> fixed;
        // p with the fixed edges held at x; the value with the held nodes
        // `held` (edges free) in one pass, its classification kept aside.
        auto solveProbability = [&] {
            m_heldCash = held;
            for (std::size_t e = 0; e < edges.size(); ++e)
                if (fixed[e]) {
                    m_heldCash[edges[e]] = kAboveCap;
                    m_capCompanion[edges[e]] = x[e];
                }
            cash = m_cashLater;
            m_cashTarget = &cash;
            Solve(m_blend.drift, m_blend.pTheta, m_blend.dt, 0.0, cash, nullptr, false, &m_heldCash);
            KeepProbability(cash);
            for (std::size_t i : edges) m_capCompanion[i] = 0.0;
        };
        auto solveValue = [&] {
            m_active = held;
            BlendedValue(value, cash, 1);
            reclassified = m_active;
            m_active = held;
        };
        for (int pass = 0; pass < kMaxEdgePasses && !edges.empty(); ++pass) {
            held = m_active;
            for (std::size_t i : edges) {
                held[i] = kFree;
                m_edge[i] = 1;
            }
            const std::size_t count = edges.size();
            x.assign(count, 0.0);
            fixed.assign(count, 1);
            // One edge at a time, the others as they stand.
            for (std::size_t e = 0; e < count; ++e) {
                const double price = m_cap[edges[e]];
                fixed[e] = 1;
                x[e] = 0.0;
                solveProbability();
                solveValue();
                const double atCalled = value[edges[e]];
                fixed[e] = 0;
                solveProbability();
                const double pFree = cash[edges[e]];
                solveValue();
                const double atFree = value[edges[e]];
                if (atCalled >= price) {
                    fixed[e] = 1;  // called for cash even at p = 0
                } else if (atFree > price && pFree > 0) {
                    fixed[e] = 1;
                    x[e] = pFree * (price - atCalled) / (atFree - atCalled);
                }  // else free: its value stays under the price at its free p
            }
            solveProbability();
            solveValue();
            std::size_t added = 0;
            for (std::size_t i = 0; i < m_rows; ++i)
                if (!m_edge[i] && swaps(i, reclassified, held)) {
                    edges.push_back(i);
                    ++added;
                }
            if (added == 0) break;
        }
        for (std::size_t i : edges) m_edge[i] = 0;
        m_heldCash = m_active;
    }

    // Diffusion and drift terms of A (without the discounting), kept while
    // the drift stays the same.
    void BuildOperator(double drift) {
        const auto& st = m_model.m_stock;
        const std::size_t n = st.size();
        const double halfVar = 0.5 * m_state.volatility * m_state.volatility;
        const double bankruptcyDrift = m_model.m_input.model.bankruptcy ? 1.0 : 0.0;
        m_opLower.assign(n, 0.0);
        m_opDiag.assign(n, 0.0);
        m_opUpper.assign(n, 0.0);
        for (std::size_t i = 1; i < n; ++i) {
            const double mu = drift + bankruptcyDrift * m_hazard[i];
            if (i + 1 < n) {
                const double diff = halfVar * st[i] * st[i];
                const double conv = mu * st[i];
                m_opLower[i] = diff * m_d2[i][0] + conv * m_d1[i][0];
                m_opDiag[i] = diff * m_d2[i][1] + conv * m_d1[i][1];
                m_opUpper[i] = diff * m_d2[i][2] + conv * m_d1[i][2];
            } else {
                // Top node: no curvature, a one-sided slope.
                const double conv = mu * st[i] / (st[i] - st[i - 1]);
                m_opLower[i] = -conv;
                m_opDiag[i] = conv;
            }
        }
        m_operatorDrift = drift;
    }

    // (I - theta dt A) V0 = (I + (1 - theta) dt A) V1 + dt (theta f0 + (1 - theta) f1),
    // A V = 1/2 sigma^2 S^2 V'' + mu S V' - rate V.
    // source: dt (theta f0 + (1 - theta) f1), the caller's (null: none).
    // rateKey: the rate of every node (under the bankruptcy model the step's
    // rate, m_rate then set by the caller); with the same drift, theta and dt
    // the matrix is the kept one.
    // held: for the cash part, the nodes held at a bound (their rows become
    // the bound's cash).
    // passes: at most this many passes of the constraints; false when their
    // nodes have not settled.
    bool Solve(double drift, double theta, double dt, double rateKey, std::vector<double>& v,
               const std::vector<double>* source, bool constrained, const std::vector<char>* held = nullptr,
               int passes = kMaxConstraintIterations) {
        const std::size_t n = v.size();
        KeptMatrices& target = &v == m_cashTarget ? m_cashMatrices : m_valueMatrices;
        const std::array<double, 4> key{drift, theta, dt, rateKey};
        bool found = false;
        KeptMatrix& kept = target.Find(key, found);
        TridiagonalSystem& system = kept.system;
        if (!found) {
            if (drift != m_operatorDrift || m_opDiag.size() != n) BuildOperator(drift);
            // The rate of every node is the key's, but under the bankruptcy
            // model, whose caller sets the rate with the hazard of each node.
            if (!m_model.m_input.model.bankruptcy) std::fill(m_rate.begin(), m_rate.end(), rateKey);
            kept.explicitLower.resize(n);
            kept.explicitDiag.resize(n);
            kept.explicitUpper.resize(n);
            for (std::size_t i = 0; i < n; ++i) {
                const double b = m_opDiag[i] - m_rate[i];
                m_lower[i] = -theta * dt * m_opLower[i];
                m_diag[i] = 1 - theta * dt * b;
                m_upper[i] = -theta * dt * m_opUpper[i];
                kept.explicitLower[i] = (1 - theta) * dt * m_opLower[i];
                kept.explicitDiag[i] = 1 + (1 - theta) * dt * b;
                kept.explicitUpper[i] = (1 - theta) * dt * m_opUpper[i];
            }
            system.SetMatrix(m_lower, m_diag, m_upper);
            kept.key = key;
        }
        const double* eLower = kept.explicitLower.data();
        const double* eDiag = kept.explicitDiag.data();
        const double* eUpper = kept.explicitUpper.data();
        if (m_sameLaterLevel && target.laterRhs.size() == n) {
            m_rhs = target.laterRhs;
        } else {
            // Rows at and above m_rows are held where they stand: their
            // right-hand side is not read.
            const std::size_t rows = std::min(m_rows, n - 1);
            m_rhs[0] = eDiag[0] * v[0] + (n > 1 ? eUpper[0] * v[1] : 0.0);
            for (std::size_t i = 1; i < rows; ++i)
                m_rhs[i] = eLower[i] * v[i - 1] + eDiag[i] * v[i] + eUpper[i] * v[i + 1];
            if (n > 1) m_rhs[n - 1] = eLower[n - 1] * v[n - 2] + eDiag[n - 1] * v[n - 1];
            if (constrained && !held && m_hasLaterCorner) CornerOnLaterLevel(v, v, m_laterCornerPrice, eUpper);
            if (held && m_hasLaterCorner && m_model.SplitsCash()) CornerOnLaterLevel(m_valueLater, v, 0.0, eUpper);
            target.laterRhs = m_rhs;
        }
        if (source)
            for (std::size_t i = 0; i < m_rows; ++i) m_rhs[i] += (*source)[i];
        if (held) {
            m_heldValue.resize(n);
            const double atFloor = m_model.CompanionQuantity() == Companion::ConversionProbability ? 1.0 : 0.0;
            for (std::size_t i = 0; i < m_rows; ++i)
                m_heldValue[i] = (*held)[i] == kAboveCap ? m_capCompanion[i] : atFloor;  // read at held rows only
            TridiagonalSystem::BoundaryCorner corner;
            system.SolveFixed(m_rhs, *held, m_heldValue, v, CompanionCornerRow(*held, corner) ? &corner : nullptr,
                              m_rows);
        } else if (constrained) {
            return SolveConstrained(v, system, passes);
        } else {
            system.Solve(m_rhs, v);
        }
        return true;
    }

    // The node below the corner and the one above it, where the corner lies
    // strictly between them; false otherwise (also where it is a node's
    // within rounding, as in a solve that follows it).
    bool CornerCell(double level, std::size_t& below) const {
        const auto& st = m_model.m_stock;
        const auto it = std::lower_bound(st.begin(), st.end(), level);
        if (it == st.begin() || it == st.end()) return false;
        below = static_cast<std::size_t>(it - st.begin()) - 1;
        const double onNode = kFrameSnap * level;
        return level - st[below] > onNode && st[below + 1] - level > onNode;
    }

    // The corner row of the held nodes: the node below the corner free, the
    // one above held where parity beats the call price (converted), and no
    // node below held (the corner then borders the first held row).
    bool CornerRow(TridiagonalSystem::BoundaryCorner& corner) const {
        std::size_t i = 0;
        if (!m_hasCorner || !CornerCell(m_cornerLevel, i) || m_active[i] != kFree || m_active[i + 1] == kFree ||
            m_cap[i + 1] > m_floor[i + 1])
            return false;
        if (std::any_of(m_active.begin(), m_active.begin() + static_cast<std::ptrdiff_t>(i),
                        [](char held) { return held != kFree; }))
            return false;
        const auto& st = m_model.m_stock;
        corner = {i, (st[i + 1] - m_cornerLevel) / (m_cornerLevel - st[i]), m_cornerPrice};
        return true;
    }

    // The explicit half at the later level: where the node above the corner
    // sits on parity (converted) and the one below is free (`later`, the value
    // there), the node below sees `quantity` extrapolated through the corner,
    // where it is `atCorner`, instead of the converted node: the value through
    // the call price, the cash part through 0. (Not p, which is 0 on a
    // called-for-cash strip below the corner: the extrapolation through 1 made
    // the blended price jump by 0.1 with the spread.)
    void CornerOnLaterLevel(const std::vector<double>& later, const std::vector<double>& quantity, double atCorner,
                            const double* eUpper) {
        const auto& st = m_model.m_stock;
        std::size_t i = 0;
        if (!CornerCell(m_laterCornerLevel, i)) return;
        const double parityAbove = m_model.m_parityPerShare * st[i + 1];
        if (std::abs(later[i + 1] - parityAbove) > kBindingTolerance || later[i] >= m_laterCornerPrice) return;
        const double w = std::min((st[i + 1] - m_laterCornerLevel) / (m_laterCornerLevel - st[i]), kMaxCornerWeight);
        const double ghost = (1 + w) * atCorner - w * quantity[i];
        m_rhs[i] += eUpper[i] * (ghost - quantity[i + 1]);
    }

    // The value node i's row sees above it: the node's own, but the value
    // extrapolated through the call cap's corner where that lies between
    // node i, held at the cap below it, and node i + 1, converted above it.
    double AboveSeen(std::size_t i, const std::vector<double>& v) const {
        std::size_t below = 0;
        if (!m_hasCorner || !CornerCell(m_cornerLevel, below) || below != i || m_active[i] != kAboveCap ||
            m_active[i + 1] != kBelowFloor)
            return v[i + 1];
        const auto& st = m_model.m_stock;
        const double w = (st[i + 1] - m_cornerLevel) / (m_cornerLevel - st[i]);
        return (1 + w) * m_cornerPrice - w * v[i];
    }

    // The companion at the call's corner where the value is free below it
    // (not called for cash): the probability of conversion is 1 there, the
    // cash part 0 (the holder converts). The node below sees the companion
    // extrapolated through the corner, not the converted node above it.
    bool CompanionCornerRow(const std::vector<char>& held, TridiagonalSystem::BoundaryCorner& corner) const {
        std::size_t i = 0;
        if (!m_hasCorner || !CornerCell(m_cornerLevel, i) || held[i] != kFree || held[i + 1] != kBelowFloor)
            return false;
        if (std::any_of(held.begin(), held.begin() + static_cast<std::ptrdiff_t>(i), [](char h) { return h != kFree; }))
            return false;
        const auto& st = m_model.m_stock;
        corner = {i, (st[i + 1] - m_cornerLevel) / (m_cornerLevel - st[i]), m_model.SplitsCash() ? 0.0 : 1.0};
        return true;
    }

    // Which of the held nodes are called for cash.
    void CalledForCash(const std::vector<char>& held, std::vector<char>& called) const {
        called.assign(held.size(), 0);  // none in the settled block at the top (SettledTop)
        for (std::size_t i = 0; i < m_rows; ++i) called[i] = held[i] == kAboveCap && m_capCompanion[i] == 0.0;
    }

    // The rows a step works on (m_rows): all but a block at the top of the
    // grid that is called where the holder converts at this step and was at
    // the last, whose nodes stay at parity (and the companion at its
    // converted value) from step to step; the block's lowest node is worked
    // on, for the stencil of the node below it.
    void SettledTop(std::size_t n) {
        std::size_t top = n;
        if (m_constrained)
            while (top > 0 && m_floor[top - 1] >= m_cap[top - 1]) --top;
        const std::size_t settled = std::max(top, m_lastTop);
        m_rows = settled >= n ? n : settled + 1;
        m_lastTop = top;
    }

    // The held nodes a step starts from: the last step's, but those held at a
    // bound that no longer holds (a conversion window or a call period that
    // ends at this step) start free.
    void HeldAtStepStart() {
        m_active.resize(m_floor.size(), kFree);
        for (std::size_t i = 0; i < m_active.size(); ++i) {
            if (m_active[i] == kBelowFloor && std::isinf(m_floor[i])) m_active[i] = kFree;
            if (m_active[i] == kAboveCap && std::isinf(m_cap[i])) m_active[i] = kFree;
            // Called where the holder converts: held at the floor in every pass
            // (SolveConstrained), so held from the start; the companion's first
            // round then steps with it (fewer second rounds as the call's corner
            // moves from step to step).
            if (m_floor[i] >= m_cap[i]) m_active[i] = kBelowFloor;
        }
    }

    // The conversion floor and the call cap hold at the new time level: the
    // nodes that break them are held at the bound, repeated until the set of
    // those nodes settles (it starts from the previous step's set). A held
    // node is let go where its own equation would leave the bound on the
    // allowed side (the limit of a penalty on it).
    bool SolveConstrained(std::vector<double>& v, TridiagonalSystem& system, int passes) {
        const std::size_t n = v.size();
        m_heldValue.resize(n);
        for (int pass = 0; pass < passes; ++pass) {
            for (std::size_t i = 0; i < m_rows; ++i)
                m_heldValue[i] = m_active[i] == kBelowFloor ? m_floor[i] : m_cap[i];  // read at held rows only
            TridiagonalSystem::BoundaryCorner corner;
            system.SolveFixed(m_rhs, m_active, m_heldValue, v, CornerRow(corner) ? &corner : nullptr, m_rows);
            bool settled = true;
            for (std::size_t i = 0; i < m_rows; ++i) {
                char kind = kFree;
                if (m_floor[i] >= m_cap[i]) {
                    // Called where the holder converts: the value is parity either
                    // way. Held at the floor, the node cannot swap between the two
                    // bounds by a rounding error at every pass.
                    kind = kBelowFloor;
                } else if (m_active[i] == kFree) {
                    kind = v[i] < m_floor[i] ? kBelowFloor : v[i] > m_cap[i] ? kAboveCap : kFree;
                } else {
                    // The row's equation at the held value less its right-hand side:
                    // positive where the free equation would go below the held value.
                    const double excess = system.Diag()[i] * v[i] + (i > 0 ? system.Lower()[i] * v[i - 1] : 0.0) +
                                          (i + 1 < n ? system.Upper()[i] * AboveSeen(i, v) : 0.0) - m_rhs[i];
                    if (m_active[i] == kBelowFloor)
                        kind = excess > 0 ? kBelowFloor : kFree;
                    else
                        kind = excess < 0 ? kAboveCap : kFree;
                }
                if (kind != m_active[i]) {
                    m_active[i] = kind;
                    settled = false;
                }
            }
            if (settled) return true;
        }
        return false;
    }

    const ConvertibleModel& m_model;
    ModelState m_state;
    bool m_conversion;
    std::vector<std::array<double, 3>> m_d1, m_d2;
    std::vector<double> m_hazard, m_lower, m_diag, m_upper, m_rate, m_source, m_sourceLater, m_rhs;
    std::vector<double> m_floor, m_cap, m_capCompanion, m_heldValue;
    BoundsKey m_boundsKey;
    std::vector<char> m_active, m_heldCash, m_previousHeld;
    // Blended: the nodes held at the call price without conversion (p = 0)
    // in this step and the last.
    std::vector<char> m_calledForCash, m_lastCalledForCash;
    std::vector<double> m_cashLater, m_valueLater;
    // Blended: the value at the later level of the last step, for the
    // extrapolation of the next one.
    std::vector<double> m_blendEarlier, m_blendRate;  // m_blendRate: s p
    // Blended: the step's terms, and the edge nodes (SettleCallEdges).
    struct BlendTerms {
        double drift = 0, theta = 0.5, dt = 0, rate = 0, spread = 0;
        bool extrapolate = false;
        double pTheta = 0.5;
    };
    BlendTerms m_blend;
    std::vector<char> m_edge;
    double m_blendEarlierDt = 0;
    bool m_blendEarlierValid = false;
    bool m_constrained = false;
    std::size_t m_rows = 0, m_lastTop = SIZE_MAX;  // SettledTop; nothing settled before the first step
    // The call cap's corner at the step's earlier and later levels.
    bool m_hasCorner = false, m_hasLaterCorner = false;
    double m_cornerLevel = 0, m_cornerPrice = 0, m_laterCornerLevel = 0, m_laterCornerPrice = 0;
    double m_stepRate = 0;
    // The frame over the step (Step).
    double m_growth = 0, m_stepStart = 0, m_stepLength = 1, m_earlierScale = 1, m_laterScale = 1;
    std::vector<double> m_opLower, m_opDiag, m_opUpper;
    double m_operatorDrift = std::numeric_limits<double>::quiet_NaN();
    // The cash part's equation (Tsiveriotis-Fernandes) keeps a factorization
    // of its own beside the value's.
    const std::vector<double>* m_cashTarget = nullptr;
    // A system's matrix, factored, with the explicit half of its step, for
    // one key (drift, theta, dt, rate key).
    struct KeptMatrix {
        static constexpr double kNoKey = std::numeric_limits<double>::quiet_NaN();
        std::array<double, 4> key{kNoKey, kNoKey, kNoKey, kNoKey};
        std::vector<double> explicitLower, explicitDiag, explicitUpper;
        TridiagonalSystem system;
        unsigned lastUse = 0;
    };
    // The matrices an equation used last, by key. The keys come back: a
    // frame's growth repeats from one coupon period to the next, and the
    // probability of conversion steps with two thetas in turn.
    struct KeptMatrices {
        std::array<KeptMatrix, kKeptMatrices> entries;
        unsigned clock = 0;
        std::vector<double> laterRhs;  // the explicit half of the last solve's right-hand side
        // The entry of this key (found), else the least recently used one,
        // its key then still the old one.
        KeptMatrix& Find(const std::array<double, 4>& key, bool& found) {
            KeptMatrix* oldest = &entries[0];
            for (KeptMatrix& entry : entries) {
                if (entry.key == key) {
                    found = true;
                    entry.lastUse = ++clock;
                    return entry;
                }
                if (entry.lastUse < oldest->lastUse) oldest = &entry;
            }
            found = false;
            oldest->lastUse = ++clock;
            return *oldest;
        }
    };
    KeptMatrices m_valueMatrices, m_cashMatrices;
    // Set while the rounds of a step solve again from the same later level:
    // the explicit half of the right-hand side is the kept one.
    bool m_sameLaterLevel = false;
};

// The interest rate of each time step: the curve's average forward over a
// block of steps no longer than kRateBlock between two marks. Discounting
// over each block, hence to every contract date, is exact, and the steps
// of a block build identical matrices, which keep their factorization.
// Rounded to 1e-12 so that a flat stretch of the curve gives one rate.
std::vector<std::pair<std::size_t, std::size_t>> ConvertibleModel::RateBlocks(
    const std::vector<TimeNode>& nodes) const {
    std::vector<std::pair<std::size_t, std::size_t>> blocks;
    const std::size_t steps = nodes.size() > 0 ? nodes.size() - 1 : 0;
    std::size_t first = 0;
    while (first < steps) {
        std::size_t last = first + 1;  // the block is nodes[first .. last]
        while (last < steps && !nodes[last].mark &&
               nodes[last + 1].time - nodes[first].time <= kRateBlock + kTimeTolerance)
            ++last;
        blocks.emplace_back(first, last);
        first = last;
    }
    return blocks;
}

std::vector<double> ConvertibleModel::StepRates(const std::vector<TimeNode>& nodes, double rateShift) const {
    const YieldCurve curve(m_input.market.zeroCurve, rateShift);
    std::vector<double> rates(nodes.size() > 0 ? nodes.size() - 1 : 0);
    for (const auto& [first, last] : RateBlocks(nodes)) {
        const double rate = std::round(curve.Forward(nodes[first].time, nodes[last].time) * 1e12) / 1e12;
        std::fill(rates.begin() + static_cast<std::ptrdiff_t>(first), rates.begin() + static_cast<std::ptrdiff_t>(last),
                  rate);
    }
    return rates;
}

std::vector<std::vector<double>> ConvertibleModel::Solve(const ModelState& state, bool conversion,
                                                         std::span<const double> horizons) const {
    const std::vector<TimeNode> nodes = BuildTimeNodes(horizons);
    const Frame frame = BuildFrame(nodes, conversion);
    const double atMaturity = frame.after.back();  // the frame's scale there
    const std::size_t n = m_stock.size();
    const double maturity = m_schedule.Maturity();
    const double finalCoupon = m_schedule.CouponTimes().empty() ? 0.0 : m_schedule.CouponAmount();
    std::vector<double> value(n), cash(n);
    const double bond = (m_input.terms.redemptionPct + finalCoupon) / atMaturity;
    const bool convertsAtMaturity = conversion && ConversionAllowed(maturity) && m_parityPerShare > 0;
    // At maturity the holder takes the larger of the shares and redemption
    // with the last coupon. The cash part drops from the bond to 0 where
    // conversion starts; the node whose cell holds that stock price gets the
    // cell's average, which keeps the Tsiveriotis-Fernandes split from
    // jumping with the grid.
    const double boundary = convertsAtMaturity ? bond / m_parityPerShare : std::numeric_limits<double>::infinity();
    // The probability of conversion is the cell's share above that price.
    const bool probability = CompanionQuantity() == Companion::ConversionProbability;
    for (std::size_t i = 0; i < n; ++i) {
        const double parity = m_parity[i];
        value[i] = convertsAtMaturity ? std::max(parity, bond) : bond;
        const double below = CellShareBelow(i, boundary);
        cash[i] = probability ? 1.0 - below : bond * below;
    }
    ApplyConstraints(maturity, conversion, atMaturity, value, cash);
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
    ApplyCalls(maturity, true, convertsAtMaturity, frame.before.back(), value, cash);

    std::vector<std::vector<double>> slices(horizons.size());
    const std::vector<double> rates = StepRates(nodes, state.rateShift);
    Stepper stepper(*this, state, conversion);
    bool rannacher = true;
    for (std::size_t k = nodes.size() - 1; k-- > 0;) {
        const TimeNode& node = nodes[k];
        stepper.Step(node.time, node.step, rates[k], frame.growth[k], frame.after[k], frame.before[k + 1], rannacher,
                     value, cash);
        rannacher = false;
        const double after = frame.after[k], before = frame.before[k];
        ApplyConstraints(node.time, conversion, after, value, cash, stepper.Binding(), stepper.Rows());
        if (node.horizon >= 0) {
            auto& slice = slices[static_cast<std::size_t>(node.horizon)];
            slice = value;
            ChangeFrame(after, 1.0, true, slice);
        }
        if (node.time > kTimeTolerance) {
            ChangeFrame(after, before, true, value);
            ChangeFrame(after, before, SplitsCash(), cash);
            if (node.coupon) {
                const double couponCash = SplitsCash() ? m_schedule.CouponAmount() / before : 0.0;
                for (std::size_t i = 0; i < n; ++i) {
                    value[i] += m_schedule.CouponAmount() / before;
                    cash[i] += couponCash;
                }
                // The issuer may call an instant before the coupon is paid; the
                // next time step would otherwise first meet the call half a step
                // later, which with a dirty call price makes the coupon worth too
                // much.
                ApplyCalls(node.time, true, conversion && ConversionAllowed(node.time), before, value, cash);
            }
            if (node.dividend > 0) {
                ApplyDividend(node.dividend / before, value);
                ApplyDividend(node.dividend / before, cash);
                ApplyConstraints(node.time, conversion, before, value, cash);
            }
        }
        if (node.event) stepper.ForgetSettled();
        rannacher = node.event;
    }
    return slices;
}

}  // namespace zemra::engine

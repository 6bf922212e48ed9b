#pragma once
// An independent solve of the two credit schemes that carry a companion
// beside the value, as a reference for the engine:
// - Blended, the 1994 Goldman Sachs rule: the probability p of conversion
//   rolled back without discounting and the value discounted at
//   r + s (1 - p); p is 1 where the holder converts (also when called and
//   converting), 0 where he puts, is called for cash or is redeemed.
// - Bond+Option, the Tsiveriotis-Fernandes split: a cash part B discounted
//   at r + s and the value at r less s B; B is 0 where the holder converts
//   or is called, the put price where he puts, and takes the coupons.
//
// An explicit scheme in y = ln(S / K(t)), K(t) the stock price at which
// parity meets the dirty call price (clean price plus accrued interest), so
// that the call's corner is a node at every step. A lattice whose nodes
// straddle that corner (a binomial tree) sees the kink of the value there
// inside a node's step: the node below it is "called for cash" by the
// lattice's own error at any step count, which sets p to 0 along the corner
// and leaves its limit 1.1 points low on the reference bond.
// Between coupon dates K grows with the accrued interest (a drift in y); on a
// coupon date it falls back by the coupon, a shift of whole nodes.
//
// Terms: coupons every 1/frequency year back from maturity (maturity a
// whole number of periods), at most one call period that starts on a coupon
// date, clean calls and puts on coupon dates, conversion at any time, a flat
// continuous rate, no dividends. Without calls K is the clean call price of
// 110 (any level serves). Values are dirty at time 0, a coupon date.
#include <algorithm>
#include <cmath>
#include <vector>

#include "ScenarioValuation.h"

namespace zemra::engine::testing {

// nodesPerCoupon: nodes across the coupon's shift of the corner (18 gives
// 3,700 nodes and 0.003 points on the reference bond).
inline double CorneredLatticePrice(const ValuationInput& in, int nodesPerCoupon) {
    const ContractTerms& t = in.terms;
    const double sigma = in.market.volatilityPct / 100, r = in.market.zeroCurve[0].ratePct / 100;
    const double s = in.market.creditSpreadBp / 10000, shares = t.conversionRatio * 100 / t.face;
    const double period = 1.0 / t.couponFrequency, coupon = t.couponPct / t.couponFrequency;
    const int periods = static_cast<int>(std::lround(t.maturityTime / period));
    const bool callable = !t.calls.empty();
    const double callPrice = callable ? t.calls[0].pricePct : 110;
    const int callFrom = callable ? static_cast<int>(std::lround(t.calls[0].start / period)) : periods;
    // K(a) for accrued interest a; the coupon shifts y by ln K(coupon) / K(0).
    auto corner = [&](double accrued) { return (callPrice + accrued) / shares; };
    const double dy = std::log(corner(coupon) / corner(0)) / nodesPerCoupon;
    const int low = static_cast<int>(std::ceil(std::log(in.market.stockPrice / 50 / corner(coupon)) / -dy));
    const int high = static_cast<int>(std::ceil(std::log(in.market.stockPrice * 30 / corner(0)) / dy));
    const int n = low + high + 1;  // y_j = (j - low) dy
    constexpr double kStability = 0.9;
    const int steps = static_cast<int>(std::ceil(period / (kStability * dy * dy / (sigma * sigma))));
    const double dt = period / steps;
    // p: the companion, the probability of conversion or the cash part.
    const bool split = in.model.discounting == DiscountingScheme::BondPlusOption;
    const double converted = split ? 0.0 : 1.0;
    std::vector<double> v(n), p(n), vNext(n), pNext(n);
    auto stock = [&](int j, double accrued) { return corner(accrued) * std::exp((j - low) * dy); };
    // Called at `price`: the holder converts where parity reaches it.
    auto call = [&](int j, double parity, double price) {
        if (v[j] <= std::max(price, parity)) return;
        v[j] = std::max(price, parity);
        p[j] = split ? 0.0 : parity >= price * (1 - 1e-12) ? 1.0 : 0.0;
    };
    for (int j = 0; j < n; ++j) {
        const double parity = shares * stock(j, coupon), bond = t.redemptionPct + coupon;
        v[j] = std::max(parity, bond);
        p[j] = parity >= bond ? converted : split ? bond : 0.0;
    }
    for (int k = periods - 1; k >= 0; --k) {  // the period from coupon date k to k + 1
        for (int step = steps - 1; step >= 0; --step) {
            const double accrued = coupon * step / steps, midAccrued = coupon * (step + 0.5) / steps;
            const double drift = r - 0.5 * sigma * sigma - coupon / period / (callPrice + midAccrued);
            const double a = 0.5 * sigma * sigma * dt / (dy * dy), b = drift * dt / (2 * dy);
            // What the value loses to discounting in a step, and the companion.
            auto valueLoss = [&](int j) { return (split ? r * v[j] + s * p[j] : (r + s * (1 - p[j])) * v[j]) * dt; };
            const double companionRate = split ? r + s : 0.0;
            for (int j = 1; j + 1 < n; ++j) {
                vNext[j] = v[j] + a * (v[j + 1] - 2 * v[j] + v[j - 1]) + b * (v[j + 1] - v[j - 1]) - valueLoss(j);
                pNext[j] =
                    p[j] + a * (p[j + 1] - 2 * p[j] + p[j - 1]) + b * (p[j + 1] - p[j - 1]) - companionRate * dt * p[j];
            }
            vNext[0] = v[0] - valueLoss(0);
            pNext[0] = p[0] * (1 - companionRate * dt);
            vNext[n - 1] = shares * stock(n - 1, accrued);
            pNext[n - 1] = converted;
            v.swap(vNext);
            p.swap(pNext);
            const double time = (k + static_cast<double>(step) / steps) * period;
            for (int j = 0; j < n; ++j) {
                const double parity = shares * stock(j, accrued);
                if (callable && k >= callFrom) call(j, parity, callPrice + accrued);
                for (const PutDate& put : t.puts)
                    if (step == 0 && std::abs(put.time - time) < 1e-9 && v[j] < put.pricePct + accrued)
                        v[j] = put.pricePct + accrued, p[j] = split ? v[j] : 0.0;
                if (v[j] <= parity) v[j] = parity, p[j] = converted;
            }
        }
        if (k == 0) break;
        // The coupon of date k, then the coordinates of the period before it,
        // and the issuer's call an instant before the coupon.
        for (int j = 0; j < n; ++j) {
            const int from = j + nodesPerCoupon;
            vNext[j] = from < n ? v[from] + coupon : shares * stock(j, coupon);
            pNext[j] = from < n ? p[from] + (split ? coupon : 0.0) : converted;
        }
        v.swap(vNext);
        p.swap(pNext);
        if (callable && k > callFrom)
            for (int j = 0; j < n; ++j) call(j, shares * stock(j, coupon), callPrice + coupon);
    }
    // Today's stock between nodes: the cubic through the four around it.
    const double x = std::log(in.market.stockPrice / corner(0)) / dy + low;
    const int j = static_cast<int>(std::floor(x)) - 1;
    const double u = x - j - 1;
    return v[j] * (-u * (u - 1) * (u - 2) / 6) + v[j + 1] * ((u + 1) * (u - 1) * (u - 2) / 2) +
           v[j + 2] * (-(u + 1) * u * (u - 2) / 2) + v[j + 3] * ((u + 1) * u * (u - 1) / 6);
}

}  // namespace zemra::engine::testing

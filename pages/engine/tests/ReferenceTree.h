#pragma once
// A Cox-Ross-Rubinstein tree of a convertible under the 1994 Goldman Sachs
// rule, as an independent reference for the engine's blended solves: the
// probability p of conversion rolled back without discounting and the value
// discounted at r + s (1 - p); p is 1 where the holder converts (also when
// called), 0 where he puts, is called for cash or is redeemed.
// With a call the tree's node just below the call's corner is often
// "called for cash" by the tree's own error, which sets p to 0 there at any
// step count: not a reference for the 1994 rule with calls.
// Semi-annual coupons, one clean call period, clean puts, conversion at any
// time, a flat continuous rate; events on the nearest step. Values are
// dirty at time 0 (a coupon date, accrued 0 there).
#include <algorithm>
#include <cmath>
#include <vector>

#include "ScenarioValuation.h"

namespace zemra::engine::testing {

inline double ReferenceTreePrice(const ValuationInput& in, int steps) {
    const ContractTerms& t = in.terms;
    const double T = t.maturityTime, dt = T / steps, sigma = in.market.volatilityPct / 100;
    const double r = in.market.zeroCurve[0].ratePct / 100, s = in.market.creditSpreadBp / 10000;
    const double u = std::exp(sigma * std::sqrt(dt)), d = 1 / u, q = (std::exp(r * dt) - d) / (u - d);
    const double shares = t.conversionRatio * 100 / t.face, coupon = t.couponPct / t.couponFrequency;
    const int coupons = static_cast<int>(std::lround(T * t.couponFrequency));
    auto stepOf = [&](double time) { return static_cast<int>(std::lround(time / dt)); };
    auto couponStep = [&](int m) { return stepOf(T * m / coupons); };
    std::vector<double> v(steps + 1), p(steps + 1);  // value; probability of conversion
    std::vector<double> power(2 * steps + 1);        // power[m] = S0 u^(m - steps)
    for (int m = 0; m <= 2 * steps; ++m) power[m] = in.market.stockPrice * std::pow(u, m - steps);
    auto stock = [&](int k, int j) { return power[steps + 2 * j - k]; };
    for (int j = 0; j <= steps; ++j) {
        const double parity = shares * stock(steps, j), bond = t.redemptionPct + coupon;
        v[j] = std::max(parity, bond);
        p[j] = parity >= bond ? 1.0 : 0.0;
    }
    // Called: the holder converts (p = 1) where parity beats the price, else
    // takes the cash (p = 0).
    auto cap = [&](int j, double parity, double price) {
        if (v[j] <= std::max(price, parity)) return;
        v[j] = std::max(price, parity);
        p[j] = parity >= price ? 1.0 : 0.0;
    };
    int previous = coupons - 1;  // the coupon date at or before step k
    for (int k = steps - 1; k >= 0; --k) {
        while (couponStep(previous) > k) --previous;
        const bool couponDate = k > 0 && couponStep(previous) == k;
        const double accrued = coupon * (k - couponStep(previous)) / (couponStep(previous + 1) - couponStep(previous));
        for (int j = 0; j <= k; ++j) {
            const double pNext = q * p[j + 1] + (1 - q) * p[j];
            v[j] = std::exp(-(r + s * (1 - pNext)) * dt) * (q * v[j + 1] + (1 - q) * v[j]);
            p[j] = pNext;
            const double parity = shares * stock(k, j);
            for (const CallPeriod& c : t.calls)
                if (k >= stepOf(c.start) && k <= stepOf(c.end)) cap(j, parity, c.pricePct + accrued);
            for (const PutDate& put : t.puts)
                if (stepOf(put.time) == k && v[j] < put.pricePct + accrued) v[j] = put.pricePct + accrued, p[j] = 0;
            if (v[j] <= parity) v[j] = parity, p[j] = 1;
            if (couponDate) {
                v[j] += coupon;
                // The issuer may call an instant before the coupon is paid.
                for (const CallPeriod& c : t.calls)
                    if (k > stepOf(c.start) && k <= stepOf(c.end)) cap(j, parity, c.pricePct + coupon);
            }
        }
    }
    return v[0];
}

// The tree's limit: the mean over `count` step counts from `steps`, `stride`
// apart (the price oscillates with the count, between odd and even and
// with the nodes' place against the contract's prices).
inline double ReferenceTreeLimit(const ValuationInput& in, int steps, int count, int stride = 1) {
    double sum = 0;
    for (int k = 0; k < count; ++k) sum += ReferenceTreePrice(in, steps + k * stride);
    return sum / count;
}

}  // namespace zemra::engine::testing

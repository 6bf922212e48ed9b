#pragma once
// A Cox-Ross-Rubinstein tree of a convertible with two credit rules, as an
// independent reference for the engine's finite-difference solves:
// - CashPart: the Tsiveriotis-Fernandes split, the cash part discounted at
//   r + s and the rest at r; the cash part is 0 where the holder converts
//   or is called, the put price where he puts.
// - ConversionProbability: the 1994 Goldman Sachs rule, the probability p
//   of conversion rolled back without discounting and the value discounted
//   at r + s (1 - p); p is 1 where the holder converts (also when called),
//   0 where he puts, is called for cash or is redeemed.
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

enum class TreeCredit { CashPart, ConversionProbability };

inline double ReferenceTreePrice(const ValuationInput& in, TreeCredit credit, int steps) {
    const ContractTerms& t = in.terms;
    const double T = t.maturityTime, dt = T / steps, sigma = in.market.volatilityPct / 100;
    const double r = in.market.zeroCurve[0].ratePct / 100, s = in.market.creditSpreadBp / 10000;
    const double u = std::exp(sigma * std::sqrt(dt)), d = 1 / u, q = (std::exp(r * dt) - d) / (u - d);
    const double shares = t.conversionRatio * 100 / t.face, coupon = t.couponPct / t.couponFrequency;
    const int coupons = static_cast<int>(std::lround(T * t.couponFrequency));
    auto stepOf = [&](double time) { return static_cast<int>(std::lround(time / dt)); };
    auto couponStep = [&](int m) { return stepOf(T * m / coupons); };
    const double bond = t.redemptionPct + coupon;
    std::vector<double> v(steps + 1), b(steps + 1);  // value; cash part or probability
    std::vector<double> power(2 * steps + 1);        // power[m + steps] = S0 u^m
    power[steps] = in.market.stockPrice;
    for (int m = 1; m <= steps; ++m) {
        power[steps + m] = power[steps + m - 1] * u;
        power[steps - m] = power[steps - m + 1] * d;
    }
    auto stock = [&](int k, int j) { return power[steps + 2 * j - k]; };
    const double discountCash = std::exp(-(r + s) * dt), discountRiskless = std::exp(-r * dt);
    for (int j = 0; j <= steps; ++j) {
        const double parity = shares * stock(steps, j);
        v[j] = std::max(parity, bond);
        b[j] = credit == TreeCredit::CashPart ? (parity >= bond ? 0.0 : bond) : (parity >= bond ? 1.0 : 0.0);
    }
    // Where the holder converts or is called: cash part 0, probability 1 on
    // conversion and 0 on a call for cash.
    auto cap = [&](int j, double parity, double price) {
        if (v[j] <= std::max(price, parity)) return;
        v[j] = std::max(price, parity);
        b[j] = credit == TreeCredit::CashPart ? 0.0 : (parity >= price ? 1.0 : 0.0);
    };
    int previous = coupons - 1;  // the coupon date at or before step k
    for (int k = steps - 1; k >= 0; --k) {
        while (couponStep(previous) > k) --previous;
        const bool couponDate = k > 0 && couponStep(previous) == k;
        const double accrued = coupon * (k - couponStep(previous)) / (couponStep(previous + 1) - couponStep(previous));
        for (int j = 0; j <= k; ++j) {
            const double bNext = q * b[j + 1] + (1 - q) * b[j], vNext = q * v[j + 1] + (1 - q) * v[j];
            if (credit == TreeCredit::CashPart) {
                b[j] = discountCash * bNext;
                v[j] = b[j] + discountRiskless * (vNext - bNext);
            } else {
                v[j] = std::exp(-(r + s * (1 - bNext)) * dt) * vNext;
                b[j] = bNext;
            }
            const double parity = shares * stock(k, j);
            for (const CallPeriod& c : t.calls)
                if (k >= stepOf(c.start) && k <= stepOf(c.end)) cap(j, parity, c.pricePct + accrued);
            for (const PutDate& p : t.puts)
                if (stepOf(p.time) == k && v[j] < p.pricePct + accrued) {
                    v[j] = p.pricePct + accrued;
                    b[j] = credit == TreeCredit::CashPart ? v[j] : 0.0;
                }
            if (v[j] <= parity) {
                v[j] = parity;
                b[j] = credit == TreeCredit::CashPart ? 0.0 : 1.0;
            }
            if (couponDate) {
                v[j] += coupon;
                if (credit == TreeCredit::CashPart) b[j] += coupon;
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
inline double ReferenceTreeLimit(const ValuationInput& in, TreeCredit credit, int steps, int count, int stride = 1) {
    double sum = 0;
    for (int k = 0; k < count; ++k) sum += ReferenceTreePrice(in, credit, steps + k * stride);
    return sum / count;
}

}  // namespace zemra::engine::testing

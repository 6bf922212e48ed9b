#include "BondSchedule.h"

#include <algorithm>
#include <cmath>

#include "RootFinding.h"

namespace zemra::engine {

BondSchedule::BondSchedule(const ContractTerms& terms) : terms_(terms), maturity_(terms.maturityTime) {
    if (terms.couponPct <= 0 || terms.couponFrequency <= 0) return;
    period_ = 1.0 / terms.couponFrequency;
    couponAmount_ = terms.couponPct / terms.couponFrequency;
    for (double t = maturity_; t > terms.issueTime + kTimeTolerance; t -= period_) couponTimes_.push_back(t);
    std::reverse(couponTimes_.begin(), couponTimes_.end());
}

double BondSchedule::Accrued(double t) const {
    if (couponTimes_.empty()) return 0;
    const auto next = std::lower_bound(couponTimes_.begin(), couponTimes_.end(), t - kTimeTolerance);
    if (next == couponTimes_.end()) return 0;
    if (std::abs(*next - t) < kTimeTolerance) return 0;
    const double start = std::max(*next - period_, terms_.issueTime);
    if (t <= start) return 0;
    return couponAmount_ * (t - start) / period_;
}

double BondSchedule::AccruedBefore(double t) const {
    if (couponTimes_.empty()) return 0;
    const auto next = std::lower_bound(couponTimes_.begin(), couponTimes_.end(), t - kTimeTolerance);
    if (next == couponTimes_.end()) return 0;
    const double start = std::max(*next - period_, terms_.issueTime);
    if (t <= start) return 0;
    return couponAmount_ * (std::min(t, *next) - start) / period_;
}

std::vector<CashFlow> BondSchedule::FlowsTo(double from, double to, double finalAmount) const {
    std::vector<CashFlow> flows;
    for (double t : couponTimes_)
        if (t > from + kTimeTolerance && t <= to + kTimeTolerance) flows.push_back({t, couponAmount_});
    flows.push_back({to, finalAmount});
    return flows;
}

bool BondSchedule::NextCall(double from, double& time, double& dirtyPrice) const {
    bool found = false;
    for (const auto& call : terms_.calls) {
        if (call.end <= from + kTimeTolerance) continue;
        double date = call.start;
        if (date <= from + kTimeTolerance) {
            // Callable now: take the next coupon date inside the period, else its end.
            date = call.end;
            for (double t : couponTimes_)
                if (t > from + kTimeTolerance && t <= call.end) {
                    date = t;
                    break;
                }
        }
        if (!found || date < time) {
            time = date;
            dirtyPrice = call.pricePct + (call.clean ? Accrued(date) : 0.0);
            found = true;
        }
    }
    return found;
}

bool BondSchedule::NextPut(double from, double& time, double& dirtyPrice) const {
    bool found = false;
    for (const auto& put : terms_.puts) {
        if (put.time <= from + kTimeTolerance || put.time > maturity_ + kTimeTolerance) continue;
        if (!found || put.time < time) {
            time = put.time;
            dirtyPrice = put.pricePct + (put.clean ? Accrued(put.time) : 0.0);
            found = true;
        }
    }
    return found;
}

bool YieldOfFlows(const std::vector<CashFlow>& flows, double from, double dirtyPrice, int frequency, double& yield) {
    const double f = frequency > 0 ? frequency : 1.0;
    auto value = [&](double y) {
        double pv = 0;
        const double base = std::log1p(y / f);
        for (const auto& cf : flows) pv += cf.amount * std::exp(-f * (cf.time - from) * base);
        return pv - dirtyPrice;
    };
    return FindRoot(value, -0.99 * f, 10.0, 1e-12, yield);
}

}  // namespace zemra::engine

#include "BondSchedule.h"

#include <algorithm>
#include <cmath>

#include "RootFinding.h"

namespace zemra::engine {

BondSchedule::BondSchedule(const ContractTerms& terms) : m_terms(terms), m_maturity(terms.maturityTime) {
    if (terms.couponPct <= 0 || terms.couponFrequency <= 0) return;
    m_period = 1.0 / terms.couponFrequency;
    m_couponAmount = terms.couponPct / terms.couponFrequency;
    for (double t = m_maturity; t > terms.issueTime + kTimeTolerance; t -= m_period) m_couponTimes.push_back(t);
    std::reverse(m_couponTimes.begin(), m_couponTimes.end());
}

double BondSchedule::Accrued(double t) const {
    if (m_couponTimes.empty()) return 0;
    const auto next = std::lower_bound(m_couponTimes.begin(), m_couponTimes.end(), t - kTimeTolerance);
    if (next == m_couponTimes.end()) return 0;
    if (std::abs(*next - t) < kTimeTolerance) return 0;
    const double start = std::max(*next - m_period, m_terms.issueTime);
    if (t <= start) return 0;
    return m_couponAmount * (t - start) / m_period;
}

double BondSchedule::AccruedBefore(double t) const {
    if (m_couponTimes.empty()) return 0;
    const auto next = std::lower_bound(m_couponTimes.begin(), m_couponTimes.end(), t - kTimeTolerance);
    if (next == m_couponTimes.end()) return 0;
    const double start = std::max(*next - m_period, m_terms.issueTime);
    if (t <= start) return 0;
    return m_couponAmount * (std::min(t, *next) - start) / m_period;
}

std::vector<CashFlow> BondSchedule::FlowsTo(double from, double to, double finalAmount) const {
    std::vector<CashFlow> flows;
    for (double t : m_couponTimes)
        if (t > from + kTimeTolerance && t <= to + kTimeTolerance) flows.push_back({t, m_couponAmount});
    flows.push_back({to, finalAmount});
    return flows;
}

bool BondSchedule::NextCall(double from, double& time, double& dirtyPrice) const {
    bool found = false;
    for (const auto& call : m_terms.calls) {
        if (call.end <= from + kTimeTolerance) continue;
        double date = call.start;
        if (date <= from + kTimeTolerance) {
            // Callable now: take the next coupon date inside the period, else its end.
            date = call.end;
            for (double t : m_couponTimes)
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
    for (const auto& put : m_terms.puts) {
        if (put.time <= from + kTimeTolerance || put.time > m_maturity + kTimeTolerance) continue;
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

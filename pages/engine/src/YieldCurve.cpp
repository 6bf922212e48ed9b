#include "YieldCurve.h"

#include <algorithm>
#include <cmath>

namespace zemra::engine {

YieldCurve::YieldCurve(const std::vector<engine::ZeroRate>& points, double shift) : m_shift(shift) {
    std::vector<engine::ZeroRate> sorted = points;
    std::sort(sorted.begin(), sorted.end(),
              [](const engine::ZeroRate& a, const engine::ZeroRate& b) { return a.tenor < b.tenor; });
    for (const auto& p : sorted) {
        m_tenors.push_back(p.tenor);
        m_rates.push_back(p.ratePct / 100.0);
    }
}

double YieldCurve::Zero(double t) const {
    if (m_tenors.empty()) return m_shift;
    if (t <= m_tenors.front()) return m_rates.front() + m_shift;
    if (t >= m_tenors.back()) return m_rates.back() + m_shift;
    const auto it = std::upper_bound(m_tenors.begin(), m_tenors.end(), t);
    const std::size_t hi = static_cast<std::size_t>(it - m_tenors.begin());
    const std::size_t lo = hi - 1;
    const double w = (t - m_tenors[lo]) / (m_tenors[hi] - m_tenors[lo]);
    return m_rates[lo] + w * (m_rates[hi] - m_rates[lo]) + m_shift;
}

double YieldCurve::Discount(double t) const { return std::exp(-Zero(t) * t); }

double YieldCurve::Forward(double t1, double t2) const {
    if (t2 - t1 < 1e-12) return Zero(t1);
    return (Zero(t2) * t2 - Zero(t1) * t1) / (t2 - t1);
}

}  // namespace zemra::engine

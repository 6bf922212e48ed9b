#include "YieldCurve.h"

#include <algorithm>
#include <cmath>

namespace zemra::engine {

YieldCurve::YieldCurve(const std::vector<engine::ZeroRate>& points, double shift) : shift_(shift) {
    std::vector<engine::ZeroRate> sorted = points;
    std::sort(sorted.begin(), sorted.end(),
              [](const engine::ZeroRate& a, const engine::ZeroRate& b) { return a.tenor < b.tenor; });
    for (const auto& p : sorted) {
        tenors_.push_back(p.tenor);
        rates_.push_back(p.ratePct / 100.0);
    }
}

double YieldCurve::Zero(double t) const {
    if (tenors_.empty()) return shift_;
    if (t <= tenors_.front()) return rates_.front() + shift_;
    if (t >= tenors_.back()) return rates_.back() + shift_;
    const auto it = std::upper_bound(tenors_.begin(), tenors_.end(), t);
    const std::size_t hi = static_cast<std::size_t>(it - tenors_.begin());
    const std::size_t lo = hi - 1;
    const double w = (t - tenors_[lo]) / (tenors_[hi] - tenors_[lo]);
    return rates_[lo] + w * (rates_[hi] - rates_[lo]) + shift_;
}

double YieldCurve::Discount(double t) const { return std::exp(-Zero(t) * t); }

double YieldCurve::Forward(double t1, double t2) const {
    if (t2 - t1 < 1e-12) return Zero(t1);
    return (Zero(t2) * t2 - Zero(t1) * t1) / (t2 - t1);
}

}  // namespace zemra::engine

#include "Spline.h"

#include <algorithm>

namespace zemra::engine {

Spline::Spline(const std::vector<double>& x, const std::vector<double>& y) : x_(x), y_(y), m_(x.size(), 0.0) {
    const std::size_t n = x.size();
    if (n < 3) return;
    std::vector<double> c(n, 0.0), d(n, 0.0);
    for (std::size_t i = 1; i + 1 < n; ++i) {
        const double hm = x[i] - x[i - 1], hp = x[i + 1] - x[i];
        const double a = hm / 6, b = (hm + hp) / 3, cc = hp / 6;
        const double r = (y[i + 1] - y[i]) / hp - (y[i] - y[i - 1]) / hm;
        const double denom = b - a * c[i - 1];
        c[i] = cc / denom;
        d[i] = (r - a * d[i - 1]) / denom;
    }
    for (std::size_t i = n - 1; i-- > 1;) m_[i] = d[i] - c[i] * m_[i + 1];
}

std::size_t Spline::Interval(double at) const {
    const auto it = std::upper_bound(x_.begin(), x_.end(), at);
    const std::size_t hi = static_cast<std::size_t>(
        std::clamp<std::ptrdiff_t>(it - x_.begin(), 1, static_cast<std::ptrdiff_t>(x_.size()) - 1));
    return hi - 1;
}

double Spline::Value(double at) const {
    at = std::clamp(at, x_.front(), x_.back());
    const std::size_t i = Interval(at);
    const double h = x_[i + 1] - x_[i];
    const double a = (x_[i + 1] - at) / h, b = (at - x_[i]) / h;
    return a * y_[i] + b * y_[i + 1] + ((a * a * a - a) * m_[i] + (b * b * b - b) * m_[i + 1]) * h * h / 6;
}

double Spline::Slope(double at) const {
    at = std::clamp(at, x_.front(), x_.back());
    const std::size_t i = Interval(at);
    const double h = x_[i + 1] - x_[i];
    const double a = (x_[i + 1] - at) / h, b = (at - x_[i]) / h;
    return (y_[i + 1] - y_[i]) / h + ((1 - 3 * a * a) * m_[i] + (3 * b * b - 1) * m_[i + 1]) * h / 6;
}

double Spline::Curvature(double at) const {
    at = std::clamp(at, x_.front(), x_.back());
    const std::size_t i = Interval(at);
    const double h = x_[i + 1] - x_[i];
    return ((x_[i + 1] - at) * m_[i] + (at - x_[i]) * m_[i + 1]) / h;
}

}  // namespace zemra::engine

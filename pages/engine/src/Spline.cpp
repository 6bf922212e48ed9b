#include "Spline.h"

#include <algorithm>

namespace zemra::engine {

Spline::Spline(const std::vector<double>& x, const std::vector<double>& y) : m_x(x), m_y(y), m_m(x.size(), 0.0) {
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
    for (std::size_t i = n - 1; i-- > 1;) m_m[i] = d[i] - c[i] * m_m[i + 1];
}

std::size_t Spline::Interval(double at) const {
    const auto it = std::upper_bound(m_x.begin(), m_x.end(), at);
    const std::size_t hi = static_cast<std::size_t>(
        std::clamp<std::ptrdiff_t>(it - m_x.begin(), 1, static_cast<std::ptrdiff_t>(m_x.size()) - 1));
    return hi - 1;
}

double Spline::Value(double at) const {
    at = std::clamp(at, m_x.front(), m_x.back());
    const std::size_t i = Interval(at);
    const double h = m_x[i + 1] - m_x[i];
    const double a = (m_x[i + 1] - at) / h, b = (at - m_x[i]) / h;
    return a * m_y[i] + b * m_y[i + 1] + ((a * a * a - a) * m_m[i] + (b * b * b - b) * m_m[i + 1]) * h * h / 6;
}

double Spline::Slope(double at) const {
    at = std::clamp(at, m_x.front(), m_x.back());
    const std::size_t i = Interval(at);
    const double h = m_x[i + 1] - m_x[i];
    const double a = (m_x[i + 1] - at) / h, b = (at - m_x[i]) / h;
    return (m_y[i + 1] - m_y[i]) / h + ((1 - 3 * a * a) * m_m[i] + (3 * b * b - 1) * m_m[i + 1]) * h / 6;
}

double Spline::Curvature(double at) const {
    at = std::clamp(at, m_x.front(), m_x.back());
    const std::size_t i = Interval(at);
    const double h = m_x[i + 1] - m_x[i];
    return ((m_x[i + 1] - at) * m_m[i] + (at - m_x[i]) * m_m[i + 1]) / h;
}

}  // namespace zemra::engine

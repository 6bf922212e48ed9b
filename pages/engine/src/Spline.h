// Natural cubic spline through values on a grid: value, slope and
// curvature anywhere inside it (clamped to the ends outside).
#pragma once

#include <vector>

namespace zemra::engine {

class Spline {
public:
    Spline(const std::vector<double>& x, const std::vector<double>& y);

    double Value(double at) const;
    double Slope(double at) const;
    double Curvature(double at) const;

private:
    std::size_t Interval(double at) const;

    const std::vector<double>& m_x;
    std::vector<double> m_y;
    std::vector<double> m_m;  // second derivatives at the nodes
};

}  // namespace zemra::engine

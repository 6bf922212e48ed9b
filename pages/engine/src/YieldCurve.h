// Zero-rate curve of one valuation: continuously compounded zero rates,
// linear in the tenor, flat beyond both ends, with a parallel shift.
#pragma once

#include <vector>

#include "ScenarioValuation.h"

namespace zemra::engine {

class YieldCurve {
public:
    YieldCurve() = default;
    // points: tenors in years with rates in percent; shift: decimal added to every rate.
    YieldCurve(const std::vector<ZeroRate>& points, double shift);

    double Zero(double t) const;                 // decimal
    double Discount(double t) const;             // exp(-z(t) t)
    double Forward(double t1, double t2) const;  // decimal, average over [t1, t2]

private:
    std::vector<double> m_tenors;
    std::vector<double> m_rates;  // decimal
    double m_shift = 0;
};

}  // namespace zemra::engine

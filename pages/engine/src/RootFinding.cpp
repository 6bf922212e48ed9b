#include "RootFinding.h"

#include <algorithm>
#include <cmath>

namespace zemra::engine {

bool FindRoot(const std::function<double(double)>& f, double low, double high, double tolerance, double& root,
              int maxIterations) {
    return FindRootKnownEnds(f, low, high, f(low), f(high), tolerance, root, maxIterations);
}

bool FindRootFrom(const std::function<double(double)>& f, double start, double fstart, double firstStep, double low,
                  double high, double tolerance, double& root, double valueTolerance) {
    constexpr int kMaxSteps = 40;
    if (std::abs(fstart) <= valueTolerance) {
        root = start;
        return true;
    }
    double x0 = start, f0 = fstart;
    double x1 = std::clamp(start + firstStep, low, high);
    if (x1 == x0) return false;
    double f1 = f(x1);
    for (int i = 0; i < kMaxSteps; ++i) {
        if (std::abs(f1) <= valueTolerance) {
            root = x1;
            return true;
        }
        if ((f0 > 0) != (f1 > 0))
            return FindRootKnownEnds(f, std::min(x0, x1), std::max(x0, x1), x0 < x1 ? f0 : f1, x0 < x1 ? f1 : f0,
                                     tolerance, root, 100, valueTolerance);
        const double step = x1 - x0;
        const double direction = step > 0 ? 1.0 : -1.0;
        // Moving away from the root or stalling: double the step; else a
        // secant step, a little long so that it brackets the root.
        double length = 2 * std::abs(step);
        if (f1 != f0) {
            const double secant = -f1 * step / (f1 - f0);
            if (secant * direction > 0)
                length = std::clamp(1.2 * std::abs(secant), 0.5 * std::abs(step), 8 * std::abs(step));
        }
        const double next = direction * length;
        const double x2 = std::clamp(x1 + next, low, high);
        if (x2 == x1) return false;
        x0 = x1;
        f0 = f1;
        x1 = x2;
        f1 = f(x1);
    }
    return false;
}

bool FindRootKnownEnds(const std::function<double(double)>& f, double low, double high, double flow, double fhigh,
                       double tolerance, double& root, int maxIterations, double valueTolerance) {
    double a = low, b = high;
    double fa = flow, fb = fhigh;
    if (std::abs(fa) <= valueTolerance) {
        root = a;
        return true;
    }
    if (std::abs(fb) <= valueTolerance) {
        root = b;
        return true;
    }
    if ((fa > 0) == (fb > 0)) return false;
    double c = a, fc = fa, d = b - a, e = d;
    for (int i = 0; i < maxIterations; ++i) {
        if ((fb > 0) == (fc > 0)) {
            c = a;
            fc = fa;
            d = e = b - a;
        }
        if (std::abs(fc) < std::abs(fb)) {
            a = b;
            b = c;
            c = a;
            fa = fb;
            fb = fc;
            fc = fa;
        }
        const double tol = 2 * 1e-16 * std::abs(b) + 0.5 * tolerance;
        const double m = 0.5 * (c - b);
        if (std::abs(m) <= tol || std::abs(fb) <= valueTolerance) {
            root = b;
            return true;
        }
        if (std::abs(e) >= tol && std::abs(fa) > std::abs(fb)) {
            double p, q, r;
            const double s = fb / fa;
            if (a == c) {
                p = 2 * m * s;
                q = 1 - s;
            } else {
                q = fa / fc;
                r = fb / fc;
                p = s * (2 * m * q * (q - r) - (b - a) * (r - 1));
                q = (q - 1) * (r - 1) * (s - 1);
            }
            if (p > 0)
                q = -q;
            else
                p = -p;
            if (2 * p < std::min(3 * m * q - std::abs(tol * q), std::abs(e * q))) {
                e = d;
                d = p / q;
            } else {
                d = m;
                e = d;
            }
        } else {
            d = m;
            e = d;
        }
        a = b;
        fa = fb;
        b += std::abs(d) > tol ? d : (m > 0 ? tol : -tol);
        fb = f(b);
    }
    root = b;
    return true;
}

}  // namespace zemra::engine

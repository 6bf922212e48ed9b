#include "Tridiagonal.h"

#include <algorithm>
#include <cmath>

namespace zemra::engine {

namespace {

// Powers of two between which the leading minors are kept (SetMatrix).
constexpr double kLargeMinor = 0x1p400;
constexpr double kSmallMinor = 0x1p-400;

}  // namespace

void TridiagonalSystem::SetMatrix(const std::vector<double>& lower, const std::vector<double>& diag,
                                  const std::vector<double>& upper) {
    const std::size_t n = diag.size();
    std::size_t from = 0;
    if (m_diag.size() == n) {
        while (from < n && diag[from] == m_diag[from] && lower[from] == m_lower[from] && upper[from] == m_upper[from])
            ++from;
        if (from == n) return;
    } else {
        m_lower.resize(n);
        m_diag.resize(n);
        m_upper.resize(n);
        m_sweep.resize(n);
        m_inverse.resize(n);
        m_scaledLower.resize(n);
    }
    std::copy(lower.begin() + static_cast<std::ptrdiff_t>(from), lower.end(),
              m_lower.begin() + static_cast<std::ptrdiff_t>(from));
    std::copy(diag.begin() + static_cast<std::ptrdiff_t>(from), diag.end(),
              m_diag.begin() + static_cast<std::ptrdiff_t>(from));
    std::copy(upper.begin() + static_cast<std::ptrdiff_t>(from), upper.end(),
              m_upper.begin() + static_cast<std::ptrdiff_t>(from));
    // The pivots are ratios of the leading minors q[i] = diag[i] q[i-1] -
    // lower[i] upper[i-1] q[i-2]: that recurrence has no division in the
    // chain from row to row, where the pivots' own recurrence would wait
    // for one at every row. Only the ratios matter, so the minors start
    // from the kept pivot of the row before `from` and are scaled by a
    // power of two wherever they leave [kSmallMinor, kLargeMinor].
    double before = 1.0;                                       // q[i-2], up to a common factor
    double last = from > 0 ? 1.0 / m_inverse[from - 1] : 1.0;  // q[i-1]
    for (std::size_t i = from; i < n; ++i) {
        const double minor = diag[i] * last - (i > 0 ? lower[i] * upper[i - 1] * before : 0.0);
        m_inverse[i] = last / minor;
        m_sweep[i] = i + 1 < n ? upper[i] * m_inverse[i] : 0.0;
        m_scaledLower[i] = lower[i] * m_inverse[i];
        before = last;
        last = minor;
        const double size = std::abs(last);
        if (size > kLargeMinor || size < kSmallMinor) {
            const double scale = size > kLargeMinor ? kSmallMinor : kLargeMinor;
            before *= scale;
            last *= scale;
        }
    }
}

void TridiagonalSystem::ForwardSweep(const std::vector<double>& rhs, std::vector<double>& x, std::size_t rows) const {
    // The scaled right-hand side is off the chain from row to row, which is
    // one product and one difference.
    x[0] = rhs[0] * m_inverse[0];
    for (std::size_t i = 1; i < rows; ++i) x[i] = rhs[i] * m_inverse[i] - m_scaledLower[i] * x[i - 1];
}

void TridiagonalSystem::Solve(const std::vector<double>& rhs, std::vector<double>& x) const {
    const std::size_t n = rhs.size();
    x.resize(n);
    ForwardSweep(rhs, x, n);
    for (std::size_t i = n - 1; i-- > 0;) x[i] -= m_sweep[i] * x[i + 1];
}

void TridiagonalSystem::SolveFixed(const std::vector<double>& rhs, const std::vector<char>& fixed,
                                   const std::vector<double>& value, std::vector<double>& x,
                                   const BoundaryCorner* corner, std::size_t rows) {
    const std::size_t n = m_diag.size();
    const std::vector<double>& lower = m_lower;
    const std::vector<double>& diag = m_diag;
    const std::vector<double>& upper = m_upper;
    const std::size_t first = static_cast<std::size_t>(
        std::find_if(fixed.begin(), fixed.end(), [](char f) { return f != 0; }) - fixed.begin());
    if (first >= n) {
        Solve(rhs, x);
        return;
    }
    // Rows from `rows` up are left as they stand (a fixed row below them ends
    // the last free stretch).
    const std::size_t worked = first < rows ? std::min(n, rows) : n;
    x.resize(n);
    // Rows below the first fixed one: the kept factorization, the fixed value
    // moved to the right-hand side of the last of them.
    if (first > 0) {
        ForwardSweep(rhs, x, first);
        const std::size_t last = first - 1;
        if (corner && corner->row == last) {
            // The row sees g = (1 + w) value - w x[last] in the fixed row's place:
            // its pivot and right-hand side change, the rows below do not.
            const double before = last > 0 ? lower[last] * x[last - 1] : 0.0;
            x[last] = (rhs[last] - before - upper[last] * (1 + corner->weight) * corner->value) /
                      (1.0 / m_inverse[last] - upper[last] * corner->weight);
        } else {
            x[last] -= upper[last] * value[first] * m_inverse[last];
        }
        for (std::size_t i = first - 1; i-- > 0;) x[i] -= m_sweep[i] * x[i + 1];
    }
    // Above it: fixed rows take their value, each free stretch between them
    // is a small system of its own.
    m_stretchSweep.resize(n);
    std::size_t i = first;
    while (i < worked) {
        if (fixed[i] != 0) {
            x[i] = value[i];
            ++i;
            continue;
        }
        const std::size_t begin = i;
        std::size_t end = i;
        while (end < worked && fixed[end] == 0) ++end;
        for (std::size_t k = begin; k < end; ++k) {
            double r = rhs[k];
            if (k == begin) r -= lower[k] * x[k - 1];
            if (k + 1 == end && end < n) r -= upper[k] * value[end];
            const double pivot = diag[k] - (k > begin ? lower[k] * m_stretchSweep[k - 1] : 0.0);
            m_stretchSweep[k] = k + 1 < end ? upper[k] / pivot : 0.0;
            x[k] = (r - (k > begin ? lower[k] * x[k - 1] : 0.0)) / pivot;
        }
        for (std::size_t k = end - 1; k-- > begin;) x[k] -= m_stretchSweep[k] * x[k + 1];
        i = end;
    }
}

}  // namespace zemra::engine

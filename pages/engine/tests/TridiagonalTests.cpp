// Tridiagonal solves: the factorization's leading minors grow and shrink
// far past the range of a double on long grids, and a matrix that changes
// from some row on is factored again from that row only.
#include "Tridiagonal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

namespace zemra::engine {
namespace {

struct Matrix {
    std::vector<double> lower, diag, upper;
};

Matrix Banded(std::size_t n, double lower, double diag, double upper) {
    return {std::vector<double>(n, lower), std::vector<double>(n, diag), std::vector<double>(n, upper)};
}

// The largest |A x - rhs| over the rows, relative to the largest |rhs|;
// NaN where a row's is.
double Residual(const Matrix& a, const std::vector<double>& x, const std::vector<double>& rhs) {
    double worst = 0, scale = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        double row = a.diag[i] * x[i] - rhs[i];
        if (i > 0) row += a.lower[i] * x[i - 1];
        if (i + 1 < x.size()) row += a.upper[i] * x[i + 1];
        if (!(std::abs(row) <= worst)) worst = std::abs(row);  // a NaN stays
        scale = std::max(scale, std::abs(rhs[i]));
    }
    return worst / scale;
}

std::vector<double> RightHandSide(std::size_t n) {
    std::vector<double> rhs(n);
    for (std::size_t i = 0; i < n; ++i) rhs[i] = 1.0 + std::sin(0.1 * static_cast<double>(i));
    return rhs;
}

TEST(Tridiagonal, SolvesWhereTheLeadingMinorsLeaveTheRangeOfADouble) {
    const struct {
        const char* name;
        Matrix matrix;
    } rows[] = {
        {"minors growing as 1000^n", Banded(400, -1.0, 1000.0, -1.0)},
        {"minors shrinking as 0.001^n", Banded(400, -1e-6, 1e-3, -1e-6)},
        {"minors growing as 47^n, the pivots near half the diagonal", Banded(400, -40.0, 81.0, -40.0)},
    };
    for (const auto& row : rows) {
        TridiagonalSystem system;
        system.SetMatrix(row.matrix.lower, row.matrix.diag, row.matrix.upper);
        const std::vector<double> rhs = RightHandSide(row.matrix.diag.size());
        std::vector<double> x;
        system.Solve(rhs, x);
        EXPECT_LT(Residual(row.matrix, x, rhs), 1e-12) << row.name;
    }
}

TEST(Tridiagonal, MatrixChangedFromARowOnSolvesAsAFreshOne) {
    Matrix first = Banded(300, -2.0, 5.0, -2.5);
    for (std::size_t from : {std::size_t{0}, std::size_t{1}, std::size_t{150}, std::size_t{299}}) {
        Matrix second = first;
        for (std::size_t i = from; i < second.diag.size(); ++i) second.diag[i] = 7.0 + 1e-3 * static_cast<double>(i);
        TridiagonalSystem kept, fresh;
        kept.SetMatrix(first.lower, first.diag, first.upper);
        kept.SetMatrix(second.lower, second.diag, second.upper);
        fresh.SetMatrix(second.lower, second.diag, second.upper);
        const std::vector<double> rhs = RightHandSide(second.diag.size());
        std::vector<double> a, b;
        kept.Solve(rhs, a);
        fresh.Solve(rhs, b);
        for (std::size_t i = 0; i < a.size(); ++i)
            ASSERT_NEAR(a[i], b[i], 1e-13 * std::abs(b[i])) << "changed from row " << from << ", row " << i;
        EXPECT_LT(Residual(second, a, rhs), 1e-13) << "changed from row " << from;
    }
}

}  // namespace
}  // namespace zemra::engine

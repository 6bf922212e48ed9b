// Tridiagonal systems solved by the Thomas algorithm. A system keeps the
// factorization of its last matrix: time steps of equal size and rates
// reuse it, and a matrix that differs only from some row on is factored
// again from that row only (the elimination runs from the first row up).
#pragma once

#include <cstdint>
#include <vector>

namespace zemra::engine {

class TridiagonalSystem {
public:
    // The matrix: lower[i] x[i-1] + diag[i] x[i] + upper[i] x[i+1] (lower[0]
    // and upper[n-1] are not used). Factored again only from the first row
    // where it differs from the kept one.
    void SetMatrix(const std::vector<double>& lower, const std::vector<double>& diag, const std::vector<double>& upper);
    const std::vector<double>& Lower() const { return m_lower; }
    const std::vector<double>& Diag() const { return m_diag; }
    const std::vector<double>& Upper() const { return m_upper; }

    // Solves the kept matrix times x = rhs; x is resized.
    void Solve(const std::vector<double>& rhs, std::vector<double>& x) const;

    // The same system with the rows where fixed[i] != 0 replaced by
    // x[i] = value[i]. Rows below the first fixed one keep the factorization
    // of the whole matrix (the elimination runs from the first row up), so a
    // changing set of fixed rows near the top of the grid costs no new
    // factorization; free stretches above a fixed row are eliminated afresh.
    // corner: where the free rows below the first fixed one end at a
    // boundary that lies between the last of them and the fixed row, the
    // value that row sees there is extrapolated through that boundary (see
    // BoundaryCorner); null: the fixed value as it stands.
    struct BoundaryCorner {
        std::size_t row = 0;  // the last free row below the first fixed one
        double weight = 0;    // (s[row+1] - b) / (b - s[row]) for the boundary b
        double value = 0;     // the value at the boundary
    };
    // rows: rows at and above it are fixed and x there is left as it stands.
    void SolveFixed(const std::vector<double>& rhs, const std::vector<char>& fixed, const std::vector<double>& value,
                    std::vector<double>& x, const BoundaryCorner* corner = nullptr, std::size_t rows = SIZE_MAX);

private:
    // The elimination of rows [0, rows): x[i] = (rhs[i] - lower[i] x[i-1]) / pivot[i].
    void ForwardSweep(const std::vector<double>& rhs, std::vector<double>& x, std::size_t rows) const;

    std::vector<double> m_lower, m_diag, m_upper;
    std::vector<double> m_sweep;         // upper[i] / pivot[i]
    std::vector<double> m_inverse;       // 1 / pivot[i]
    std::vector<double> m_scaledLower;   // lower[i] / pivot[i]
    std::vector<double> m_stretchSweep;  // the factorization of a free stretch above a fixed row
};

}  // namespace zemra::engine

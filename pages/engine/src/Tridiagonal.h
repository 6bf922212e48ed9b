// Tridiagonal systems solved by the Thomas algorithm. A system keeps the
// factorization of its last matrix: time steps of equal size and rates
// reuse it, and a matrix that differs only from some row on is factored
// again from that row only (the elimination runs from the first row up).
#pragma once

#include <vector>

namespace zemra::engine {

class TridiagonalSystem {
 public:
  // Solves lower[i] x[i-1] + diag[i] x[i] + upper[i] x[i+1] = rhs[i]; x is
  // resized. lower[0] and upper[n-1] are not used.
  void Solve(const std::vector<double>& lower, const std::vector<double>& diag, const std::vector<double>& upper,
             const std::vector<double>& rhs, std::vector<double>& x);

 private:
  // Factors the matrix again from the first row where it differs from the
  // kept one, so that the kept factorization is that of this matrix.
  void Refactor(const std::vector<double>& lower, const std::vector<double>& diag, const std::vector<double>& upper);
  void Eliminate(const std::vector<double>& lower, const std::vector<double>& rhs, std::vector<double>& x) const;

  std::vector<double> lower_, diag_, upper_;
  std::vector<double> sweep_;    // upper[i] / pivot[i]
  std::vector<double> inverse_;  // 1 / pivot[i]
};

}  // namespace zemra::engine

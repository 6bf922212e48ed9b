#include "Tridiagonal.h"

namespace zemra::engine {

void TridiagonalSystem::Factor(const std::vector<double>& lower, const std::vector<double>& diag,
                               const std::vector<double>& upper) {
  lower_ = lower;
  diag_ = diag;
  upper_ = upper;
  const std::size_t n = diag.size();
  sweep_.resize(n);
  inverse_.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double pivot = diag[i] - (i > 0 ? lower[i] * sweep_[i - 1] : 0.0);
    inverse_[i] = 1.0 / pivot;
    sweep_[i] = i + 1 < n ? upper[i] * inverse_[i] : 0.0;
  }
}

void TridiagonalSystem::Solve(const std::vector<double>& lower, const std::vector<double>& diag,
                              const std::vector<double>& upper, const std::vector<double>& rhs,
                              std::vector<double>& x) {
  if (diag != diag_ || lower != lower_ || upper != upper_) Factor(lower, diag, upper);
  const std::size_t n = diag.size();
  x.resize(n);
  x[0] = rhs[0] * inverse_[0];
  for (std::size_t i = 1; i < n; ++i) x[i] = (rhs[i] - lower[i] * x[i - 1]) * inverse_[i];
  for (std::size_t i = n - 1; i-- > 0;) x[i] -= sweep_[i] * x[i + 1];
}

}  // namespace zemra::engine

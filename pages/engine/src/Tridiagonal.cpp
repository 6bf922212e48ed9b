#include "Tridiagonal.h"

#include <algorithm>

namespace zemra::engine {

void TridiagonalSystem::Refactor(const std::vector<double>& lower, const std::vector<double>& diag,
                                 const std::vector<double>& upper) {
  const std::size_t n = diag.size();
  std::size_t from = 0;
  if (diag_.size() == n) {
    while (from < n && diag[from] == diag_[from] && lower[from] == lower_[from] && upper[from] == upper_[from]) ++from;
    if (from == n) return;
  } else {
    lower_.resize(n);
    diag_.resize(n);
    upper_.resize(n);
    sweep_.resize(n);
    inverse_.resize(n);
  }
  std::copy(lower.begin() + static_cast<std::ptrdiff_t>(from), lower.end(), lower_.begin() + static_cast<std::ptrdiff_t>(from));
  std::copy(diag.begin() + static_cast<std::ptrdiff_t>(from), diag.end(), diag_.begin() + static_cast<std::ptrdiff_t>(from));
  std::copy(upper.begin() + static_cast<std::ptrdiff_t>(from), upper.end(), upper_.begin() + static_cast<std::ptrdiff_t>(from));
  for (std::size_t i = from; i < n; ++i) {
    const double pivot = diag[i] - (i > 0 ? lower[i] * sweep_[i - 1] : 0.0);
    inverse_[i] = 1.0 / pivot;
    sweep_[i] = i + 1 < n ? upper[i] * inverse_[i] : 0.0;
  }
}

void TridiagonalSystem::Eliminate(const std::vector<double>& lower, const std::vector<double>& rhs,
                                  std::vector<double>& x) const {
  const std::size_t n = rhs.size();
  x.resize(n);
  x[0] = rhs[0] * inverse_[0];
  for (std::size_t i = 1; i < n; ++i) x[i] = (rhs[i] - lower[i] * x[i - 1]) * inverse_[i];
}

void TridiagonalSystem::Solve(const std::vector<double>& lower, const std::vector<double>& diag,
                              const std::vector<double>& upper, const std::vector<double>& rhs,
                              std::vector<double>& x) {
  Refactor(lower, diag, upper);
  Eliminate(lower, rhs, x);
  const std::size_t n = diag.size();
  for (std::size_t i = n - 1; i-- > 0;) x[i] -= sweep_[i] * x[i + 1];
}

}  // namespace zemra::engine

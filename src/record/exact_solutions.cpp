#include "record/exact_solutions.hpp"

namespace talvenor {

std::string exact_solution_values_text() {
  return "0 to " + std::to_string(kExactSolutions.size() - 1);
}

void ExactSolutionView::values(std::span<const double> x, double Re, std::span<double> u) const {
  const std::size_t N = x.size() - 1;
  if (typed_) {
    u_values(*typed_, x, Re, u);
    return;
  }
  visit_exact_solution(fonte_, [&](auto entry) {
    constexpr const ExactSolution& exact = kExactSolutions[entry.value];
    for (std::size_t i = 0; i <= N; ++i) u[i] = exact.u(x[i]);
    // The boundary values exactly, whatever the rounding of u(x) at x = 0 and 1.
    u[0] = 0.0;
    u[N] = 1.0;
  });
}

void ExactSolutionView::sources(std::span<const double> x, double Re, std::span<double> S) const {
  if (typed_) {
    burgers_sources(*typed_, x, Re, S);
    return;
  }
  visit_exact_solution(fonte_, [&](auto entry) {
    constexpr auto source = kExactSolutions[entry.value].source;
    for (std::size_t i = 0; i < x.size(); ++i) S[i] = source(x[i], Re);
  });
}

double ExactSolutionView::mean(double Re) const {
  return typed_ ? mean_over_unit_interval(*typed_, Re) : find_exact_solution(fonte_)->mean();
}

double ExactSolutionView::slope(double Re) const {
  return typed_ ? jet_at(*typed_, 1.0, Re).du : find_exact_solution(fonte_)->slope();
}

}  // namespace talvenor

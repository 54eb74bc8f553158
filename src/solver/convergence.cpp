#include "solver/convergence.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

#include "textio/number_format.hpp"

namespace talvenor {

std::optional<std::string> convergence_warning(const InterestValues& previous,
                                               const InterestValues& last, int iterations) {
  constexpr double kTolerance = 1e-8;
  if (iterations < 2) return std::nullopt;
  std::optional<std::size_t> worst;
  double worst_share = kTolerance;  // only a change above the tolerance qualifies
  for (std::size_t v = 0; v < kVariableCount; ++v) {
    const double share = std::abs(last[v] - previous[v]) / std::max(std::abs(last[v]), 1.0);
    if (share > worst_share) {
      worst = v;
      worst_share = share;
    }
  }
  if (!worst) return std::nullopt;
  // The files' scientific form, the same on every system (printf's %e is not).
  char change[10];
  format_scientific(change, last[*worst] - previous[*worst], sizeof change, 3);
  const std::string_view field(change, sizeof change);
  return "the iteration has not converged in " + std::to_string(iterations) +
         " iterations: " + std::string(kVariableNames[*worst].console) + " changed by " +
         std::string(field.substr(field.find_first_not_of(' '))) +
         " in the last one; the listing shows its last iterate";
}

}  // namespace talvenor

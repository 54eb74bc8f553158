#include "app/convergence_warning.hpp"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "textio/number_format.hpp"

namespace talvenor {
namespace {

/// The files' scientific form with four digits, the same on every system (printf's %e
/// is not): 1.472E-03.
std::string short_scientific(double value) {
  char text[10];
  format_scientific(text, value, sizeof text, 3);
  const std::string_view field(text, sizeof text);
  return std::string(field.substr(field.find_first_not_of(' ')));
}

}  // namespace

std::optional<std::string> convergence_warning(const LastIterates& iterates, std::int32_t N) {
  constexpr double kTolerance = 1e-8;
  if (iterates.count < 2) return std::nullopt;
  std::optional<std::size_t> worst;
  double worst_share = kTolerance;  // only a change above the tolerance qualifies
  for (std::size_t v = 0; v < kVariableCount; ++v) {
    const double last = iterates.last()[v];
    const double change = last - iterates.previous()[v];
    const double share = std::abs(change) / std::max(std::abs(last), 1.0);
    if (share > worst_share && !change_at_round_off(change, last, N)) {
      worst = v;
      worst_share = share;
    }
  }
  if (!worst) return std::nullopt;
  const std::string name(kVariableNames[*worst].console);
  const std::string change =
      short_scientific(iterates.last()[*worst] - iterates.previous()[*worst]);
  const std::string count = std::to_string(iterates.count);
  if (iteration_error(Method::successive_substitution, iterates, *worst, N).trend ==
      IterationTrend::not_contracting) {
    return "successive substitution is not converging at this Re: " + name + " changed by " +
           change + " in iteration " + count +
           ", no less than in the one before, and more iterations will not help; the listing"
           " shows the last iterate; talvenor-study with Newton's method (--solver newton)"
           " solves the same discrete equations";
  }
  return "the iteration has not converged in " + count + " iterations: " + name + " changed by " +
         change + " in the last one; the listing shows its last iterate";
}

}  // namespace talvenor

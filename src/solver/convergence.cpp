#include "solver/convergence.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
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

bool at_round_off(double difference, double scale, std::int32_t N) {
  return std::fabs(difference) <
         100.0 * static_cast<double>(N) * std::numeric_limits<double>::epsilon() * std::fabs(scale);
}

bool change_at_round_off(double change, double scale, std::int32_t N) {
  return at_round_off(change / 10.0, scale, N);
}

IterationError iteration_error(Method method, const LastIterates& iterates, std::size_t v,
                               std::int32_t N) {
  const double change = std::fabs(iterates.last()[v] - iterates.previous()[v]);
  if (change_at_round_off(change, iterates.last()[v], N)) return {};
  if (iterates.count < 3) return {IterationTrend::contracting, change};
  // Changes that shrink by less than 1 % an iteration do not shrink: a cycle of two
  // iterates has changes of one size, up to rounding.
  const double change_before = std::fabs(iterates.previous()[v] - iterates.older()[v]);
  if (change >= 0.99 * change_before) return {IterationTrend::not_contracting, change};
  if (method == Method::newton) return {IterationTrend::contracting, change};
  const double ratio = change / change_before;
  return {IterationTrend::contracting, change * ratio / (1.0 - ratio)};
}

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

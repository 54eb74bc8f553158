#include "solver/convergence.hpp"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

namespace talvenor {
bool at_round_off(double difference, double scale, std::int32_t N) {
  return std::fabs(difference) <
         100.0 * static_cast<double>(N) * std::numeric_limits<double>::epsilon() * std::fabs(scale);
}

bool change_at_round_off(double change, double scale, std::int32_t N) {
  return at_round_off(change / 10.0, scale, N);
}

bool newton_stopped_shrinking(double change, double change_before) {
  return change >= change_before;
}

std::optional<NewtonStop> newton_stop(double update, double previous, double field) {
  if (update <= kNewtonRoundOffUlps * DBL_EPSILON * field) return NewtonStop::round_off;
  if (newton_stopped_shrinking(update, previous)) return NewtonStop::stopped_shrinking;
  return std::nullopt;
}

IterationError iteration_error(Method method, const LastIterates& iterates, std::size_t v,
                               std::int32_t N) {
  const double change = std::fabs(iterates.last()[v] - iterates.previous()[v]);
  if (change_at_round_off(change, iterates.last()[v], N)) return {};
  if (iterates.count < 3) return {IterationTrend::contracting, change};
  const double change_before = std::fabs(iterates.previous()[v] - iterates.older()[v]);
  if (method == Method::newton) {
    return {newton_stopped_shrinking(change, change_before) ? IterationTrend::not_contracting
                                                            : IterationTrend::contracting,
            change};
  }
  // Changes that shrink by less than 1 % an iteration do not shrink: a cycle of two
  // iterates has changes of one size, up to rounding.
  if (change >= 0.99 * change_before) return {IterationTrend::not_contracting, change};
  const double ratio = change / change_before;
  return {IterationTrend::contracting, change * ratio / (1.0 - ratio)};
}

}  // namespace talvenor

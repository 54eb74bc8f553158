#pragma once

#include <optional>
#include <string>

#include "record/interest.hpp"

namespace talvenor {

/// The console warning for an iteration that still moves, or nothing. A variable
/// has settled when its change from `previous` to `last` is at most 1e-8 of its
/// last size, or at most 1e-8 when that size is below 1. The warning names the
/// variable that moved most against that bound. With fewer than two `iterations`
/// there is nothing to compare.
///   convergence_warning({0.5, 0.4, 1.2}, {0.5, 0.41, 1.2}, 50) ->
///   "the iteration has not converged in 50 iterations: u_media changed by
///    1.000E-02 in the last one; the listing shows its last iterate"
std::optional<std::string> convergence_warning(const InterestValues& previous,
                                               const InterestValues& last, int iterations);

}  // namespace talvenor

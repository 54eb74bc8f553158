#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "solver/convergence.hpp"

namespace talvenor {

/// talvenor's console warning for a successive substitution that still moves, or
/// nothing. A variable has settled when its last change is at most 1e-8 of its last
/// size (at most 1e-8 when that size is below 1), or at round-off level. The warning
/// names the variable that moved most against that bound; when its changes do not
/// shrink, it says that successive substitution is not converging at this Re. With
/// fewer than two iterates there is nothing to compare.
///   iterates 0.5, 0.4, 1.2 then 0.5, 0.41, 1.2 after 50 iterations, N = 20 ->
///   "the iteration has not converged in 50 iterations: u_media changed by
///    1.000E-02 in the last one; the listing shows its last iterate"
std::optional<std::string> convergence_warning(const LastIterates& iterates, std::int32_t N);

}  // namespace talvenor

#pragma once

#include "app/variaveis.hpp"

namespace talvenor {

/// The calculation stage: the exact solution and the iteration loop under the
/// wall-clock timer (tempo), then the editor on the iteration log.
void run_calculation(CaseData& data);

/// Fills ua and the exact mean and slope for data.fonte (0 to 4; any other value
/// writes nothing).
void compute_exact(CaseData& data);

/// Successive substitution: u = ua, then itmax times coefficients, tdma and the
/// variables of interest, one record of the iteration log (caso + ".itn") each.
void iterate(CaseData& data);

/// The numerical mean (trapezoidal rule) and slope at x = 1 (three-point
/// one-sided difference) of u.
void compute_variables(CaseData& data);

}  // namespace talvenor

#pragma once

#include <functional>

#include "record/variaveis.hpp"

namespace talvenor {

/// Fills ua and the exact mean and slope from the exact solution (exact_solution(data):
/// data.typed, else fonte's; none writes nothing).
void compute_exact(CaseData& data);

/// Called after each iteration, once its values are in the record: data.it is the
/// iteration's number, u, u_media_n and inclinacao_n its results.
using IterationObserver = std::function<void(const CaseData& data)>;

/// Successive substitution without files: u = ua, the scheme's preparation, then
/// itmax times coefficients, tdma and the variables of interest, observed after
/// each. A floating-point fault stops it (Error arithmetic) before the faulty
/// iteration is observed. An esquema with no scheme does nothing after u = ua.
void run_iterations(CaseData& data, const IterationObserver& observe);

/// Stops an iteration loop at a floating-point fault (Error arithmetic), naming the
/// iteration (data.it) and the operation:
///   "floating-point overflow in iteration 7 (coefficients)".
void check_iteration(const CaseData& data, const char* operation);

/// The numerical mean (trapezoidal rule) and slope at x = 1 (three-point
/// one-sided difference) of u.
void compute_variables(CaseData& data);

}  // namespace talvenor

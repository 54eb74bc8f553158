#pragma once

// The rows of each difference scheme, in the order of the scheme table
// (record/schemes.hpp): entry i is the arithmetic of esquema i.

#include <array>
#include <cstdint>

#include "record/schemes.hpp"
#include "record/variaveis.hpp"

namespace talvenor {

/// How the solver forms the rows of one scheme.
struct SchemeRows {
  /// Successive substitution, once before the iterations: the source S, and the
  /// right-hand side where it does not change (compute_source or compute_source_bp).
  void (*prepare)(CaseData& data);
  /// Successive substitution, each iteration: the interior rows at the previous iterate.
  void (*coefficients)(CaseData& data);
  /// Newton's method, each iteration: the Jacobian rows and the residual F at the
  /// current u (see newton.hpp).
  void (*newton_rows)(CaseData& data);
};

/// The rows of an esquema, or nullptr for a value with no scheme.
const SchemeRows* find_scheme_rows(std::int32_t esquema);

}  // namespace talvenor

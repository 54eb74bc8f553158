#pragma once

#include "record/variaveis.hpp"

namespace talvenor {

// The rows of the tridiagonal system ap(i) u(i) = aw(i) u(i-1) + ae(i) u(i+1) + bp(i),
// every equation multiplied by 2 h^2.

/// S at every node for data.fonte (0 to 4; any other value writes nothing).
void compute_source(CaseData& data);

/// compute_source, then the fixed interior right-hand side bp(i) = (S(i) h^2) 2.
void compute_source_bp(CaseData& data);

/// The Dirichlet rows: node 0 gives u = 0, node N gives u = 1.
void set_boundary_rows(CaseData& data);

/// Interior rows of esquema 0: upwind with the deferred correction weighted by beta.
void coefficients_upwind_deferred(CaseData& data);
/// Interior rows of esquema 1: upwind.
void coefficients_upwind(CaseData& data);
/// Interior rows of esquema 2: central differences.
void coefficients_central(CaseData& data);

}  // namespace talvenor

#pragma once

#include "record/variaveis.hpp"

namespace talvenor {

// The rows of the tridiagonal system ap(i) u(i) = aw(i) u(i-1) + ae(i) u(i+1) + bp(i),
// every equation multiplied by 2 h^2.

/// S at every node from the exact solution (exact_solution(data); none writes nothing).
void compute_source(CaseData& data);

/// compute_source, then the fixed interior right-hand side bp(i) = (S(i) h^2) 2.
void compute_source_bp(CaseData& data);

/// The Dirichlet rows: node 0 gives the exact u(0), node N u(1), from ua (0 and 1 for a
/// built-in solution).
void set_boundary_rows(CaseData& data);

/// The cell Reynolds number of node i, r = Re h u(i), formed as (u(i) h) Re.
inline double cell_reynolds(double u, double h, double Re) { return (u * h) * Re; }

/// The upwind row: the backward convection difference adds 2r to aw and to ap.
///   r = 1 -> aw = 4, ap = 6 (ae is 2 whatever r is)
inline void upwind_row(double r, double& aw, double& ap) {
  aw = (r + 1.0) * 2.0;
  ap = (r + 2.0) * 2.0;
}

/// The deferred correction at an interior node, beta times the central convection
/// difference less the backward one, from u(i-1), u(i), u(i+1), multiplied left to
/// right as written:
///   t(i) = ((((2 u(i)) - u(i+1)) - u(i-1)) u(i)) beta h Re;
/// zero up to rounding where u is locally linear.
inline double deferred_correction(double west, double middle, double east, double beta,
                                  double h, double Re) {
  return ((((2.0 * middle) - east) - west) * middle) * beta * h * Re;
}

/// Interior rows of esquema 0: upwind with the deferred correction weighted by beta.
void coefficients_upwind_deferred(CaseData& data);
/// Interior rows of esquema 1: upwind.
void coefficients_upwind(CaseData& data);
/// Interior rows of esquema 2: central differences.
void coefficients_central(CaseData& data);

}  // namespace talvenor

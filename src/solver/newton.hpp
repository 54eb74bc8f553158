#pragma once

#include "record/variaveis.hpp"
#include "solver/calculos.hpp"
#include "solver/convergence.hpp"

namespace talvenor {

// Newton's method for the discrete equations that successive substitution
// (run_iterations) iterates toward. At an interior node i, with r = Re h u(i) and
// every row multiplied by 2 h^2 as the coefficients are, the residual is the
// successive-substitution row evaluated at its own u:
//   upwind (esquema 1):  F(i) = 2(r+1) u(i-1) + 2 u(i+1) + 2h^2 S(i) - 2(r+2) u(i)
//   central (esquema 2): F(i) = (2+r) u(i-1) + (2-r) u(i+1) + 2h^2 S(i) - 4 u(i)
//   deferred correction (esquema 0): the upwind F(i) + t(i), where
//     t(i) = beta Re h u(i) (2u(i) - u(i+1) - u(i-1)) is the correction itself,
// with u(0) = 0 and u(N) = 1. F is a quadratic in u and its Jacobian is tridiagonal,
// so an iteration of Newton's method is one tdma solve, like one of successive
// substitution; unlike successive substitution it converges at any Re where the
// discrete solution exists and the start (the exact solution) lies near it.

/// The Jacobian rows and the residual F of one scheme at the current u, for the
/// interior nodes: aw = dF/du(i-1), ae = dF/du(i+1), ap = -dF/du(i), bp = F (the
/// rows of the update d, ap d(i) = aw d(i-1) + ae d(i+1) + F). Needs S.
void newton_rows_upwind_deferred(CaseData& data);
void newton_rows_upwind(CaseData& data);
void newton_rows_central(CaseData& data);

/// What solve_newton did.
struct NewtonResult {
  NewtonStop stop = NewtonStop::iteration_cap;
  int iterations = 0;        ///< iterations run; the final iterate is the last one's
  double last_update = 0.0;  ///< max-norm of the last iteration's update of u; 0 when none ran
};

/// Solves the discrete equations of data.esquema by Newton's method, without files:
/// u = ua, the source S, then up to itmax iterations, each the Jacobian rows and the
/// residual F at the current u into aw, ap, ae, bp, tdma for the update (into bp),
/// u += update, and the variables of interest (compute_variables), observed after
/// each with data.it the iteration's number. It stops at the first iteration that
/// newton_stop stops (NewtonStop), so that iteration's u is the final iterate;
/// the difference of the last two observed iterates is the last update's effect on
/// the variables, an estimate of their iteration error.
///   N = 320, Re = 20, fonte 0, esquema 2: max|update| 5.8e-7, 2.0e-13, 1.6e-14,
///   1.4e-14, 2.0e-14; the fifth is no smaller than the fourth, so stop =
///   stopped_shrinking, iterations = 5, last_update = 2.0e-14 (this mesh's
///   round-off floor); u(N/2) of the last two iterates differ by about 1e-14.
/// Needs the mesh and ua (compute_exact). A floating-point fault stops it (Error
/// arithmetic) before the faulty iteration is observed. Allocates the tdma work
/// arrays once, before the first iteration; the iterations allocate nothing. After
/// it returns, aw, ap, ae hold the last Jacobian and bp the last update.
NewtonResult solve_newton(CaseData& data, const IterationObserver& observe = {});

}  // namespace talvenor

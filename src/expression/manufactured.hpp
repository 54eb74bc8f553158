#pragma once

// A manufactured solution typed by the user: u(x) as an expression in x and Re, its
// first and second derivatives as simplified trees, what a run needs of it (u, the
// source, the mean, the slope at x = 1) and its source written out for other code.

#include <span>
#include <string>
#include <string_view>

#include "expression/expression.hpp"
#include "expression/tape.hpp"

namespace talvenor {

/// u, u' and u'' at one point.
struct Jet {
  double u = 0.0, du = 0.0, d2u = 0.0;
};

/// u as typed and its derivatives: "x^3" gives du "3*x^2" and d2u "6*x".
struct Manufactured {
  std::string formula;  ///< as typed
  Expr u, du, d2u;
  Tape tape;  ///< u, du and d2u compiled, in that order: u evaluates alone
};

/// Parses `formula` over x and Re (Error usage, headed by `where`, for bad input).
Manufactured manufacture(std::string_view formula, std::string_view where);

/// u, u' and u'' at x; Error (case_file) naming x and which one when one is not finite:
///   "u = log(x): u is not finite at x = 0 (Re = 1); choose a solution ...".
Jet jet_at(const Manufactured& m, double x, double Re);
/// u alone at each node of x into u, checked as jet_at checks u (Error at the first
/// node where it is not finite); the values of evaluate(*m.u, {x[i], Re}).
void u_values(const Manufactured& m, std::span<const double> x, double Re, std::span<double> u);
/// burgers_source(jet_at(m, x[i], Re), Re) at each node of x into S, checked node by
/// node as jet_at checks.
void burgers_sources(const Manufactured& m, std::span<const double> x, double Re,
                     std::span<double> S);

/// The Burgers source S = Re u u' - u'': jet_at(x^2, x = 1, Re = 20) gives 38.
inline double burgers_source(const Jet& j, double Re) {
  return ((Re * j.u) * j.du) - j.d2u;
}

/// The mean of u over [0, 1] by adaptive Gauss-Kronrod quadrature (7-point Gauss,
/// 15-point Kronrod): each interval is halved until the two rules agree to 1e-14 of
/// the integral of |u| over it; the intervals are summed with compensation. Within a
/// few units in the last place for smooth u, within 1e-14 of the integral of |u| for
/// one with a kink (checked against sympy's 30-digit means to 1e-13).
double mean_over_unit_interval(const Manufactured& m, double Re);

/// The operator of the steady Burgers equation: S = Re u u' - u''.
inline constexpr std::string_view kBurgersOperator = "Re*u*u_x - u_xx";

/// The source of a steady 1D operator for the user's own code: exact_u, exact_du and
/// source of (x, Re), `op` an expression in x, Re, u, u_x, u_xx (kOperatorNames):
///   source_code(x^2, "Re*u*u_x - u_xx", c) has "return Re*pow(x, 2.0)*(2.0*x) - 2.0;"
std::string source_code(const Manufactured& m, const Expr& op, Language language);

}  // namespace talvenor

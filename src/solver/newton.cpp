#include "solver/newton.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "solver/coeficientes.hpp"
#include "solver/scheme_rows.hpp"
#include "solver/tdma.hpp"
#include "system/fp_faults.hpp"

namespace talvenor {
namespace {

// The rows of the update d: ap(i) d(i) = aw(i) d(i-1) + ae(i) d(i+1) + F(i), that is
// J d = -F with aw = dF/du(i-1), ae = dF/du(i+1) and ap = -dF/du(i). Only F decides
// where the iteration ends; the Jacobian decides how fast it gets there.

/// Calls `row(i, west, middle, east, r)` for the interior nodes 1 to N - 1 in
/// increasing i, with u(i-1), u(i), u(i+1) of the current u and r its cell Reynolds
/// number at i; a mesh of one element has none. The stencil moves along in registers:
/// every row stores to arrays that the compiler must assume may hold u.
template <typename Row>
inline void for_interior(const CaseData& data, Row row) {
  const int N = data.N;
  const double Re = data.Re;
  const double h = data.h;
  const double* const u = data.u.data();
  double west = u[0];
  double middle = u[1];
  for (int i = 1; i <= N - 1; ++i) {
    const double east = u[i + 1];
    row(i, west, middle, east, cell_reynolds(middle, h, Re));
    west = middle;
    middle = east;
  }
}

/// The arrays and constants every scheme's rows use.
struct Rows {
  explicit Rows(CaseData& data)
      : S(data.S.data()), aw(data.aw.data()), ap(data.ap.data()), ae(data.ae.data()),
        bp(data.bp.data()), hh(data.h * data.h), c(data.h * data.Re) {}
  const double* S;
  double* aw;
  double* ap;
  double* ae;
  double* bp;
  double hh;  ///< h^2
  double c;   ///< dr/du(i) = h Re
};

/// u += update at every node; the max-norms of the update and of the new u.
struct Norms {
  double update = 0.0;
  double field = 0.0;
};
Norms apply_update(std::vector<double>& u, const std::vector<double>& update) {
  Norms norms;
  const std::size_t nodes = u.size();
  for (std::size_t i = 0; i < nodes; ++i) {
    u[i] += update[i];
    norms.update = std::max(norms.update, std::fabs(update[i]));
    norms.field = std::max(norms.field, std::fabs(u[i]));
  }
  return norms;
}

}  // namespace

// esquema 1: u(i) enters F through r too, so dF/du(i) = 2c u(i-1) - 2(r+2) - 2c u(i).
void newton_rows_upwind(CaseData& data) {
  const Rows a(data);
  for_interior(data, [&](int i, double west, double middle, double east, double r) {
    double aw = 0.0;
    double ap = 0.0;
    upwind_row(r, aw, ap);
    a.bp[i] = ((aw * west + 2.0 * east) + (a.S[i] * a.hh) * 2.0) - ap * middle;
    a.aw[i] = aw;
    a.ae[i] = 2.0;
    a.ap[i] = ap + (a.c * (middle - west)) * 2.0;
  });
}

// esquema 2: dF/du(i) = c (u(i-1) - u(i+1)) - 4.
void newton_rows_central(CaseData& data) {
  const Rows a(data);
  for_interior(data, [&](int i, double west, double middle, double east, double r) {
    const double aw = 2.0 + r;
    const double ae = 2.0 - r;
    a.bp[i] = ((aw * west + ae * east) + (a.S[i] * a.hh) * 2.0) - 4.0 * middle;
    a.aw[i] = aw;
    a.ae[i] = ae;
    a.ap[i] = 4.0 + a.c * (east - west);
  });
}

// esquema 0: the upwind rows with the derivatives of t(i): -beta r for each
// neighbour and beta c (4u(i) - u(i+1) - u(i-1)) for u(i).
void newton_rows_upwind_deferred(CaseData& data) {
  const Rows a(data);
  const double beta = data.beta;
  const double h = data.h;
  const double Re = data.Re;
  const double bc = beta * a.c;
  for_interior(data, [&](int i, double west, double middle, double east, double r) {
    double aw = 0.0;
    double ap = 0.0;
    upwind_row(r, aw, ap);
    const double t = deferred_correction(west, middle, east, beta, h, Re);
    a.bp[i] = ((aw * west + 2.0 * east) + (t + (a.S[i] * a.hh) * 2.0)) - ap * middle;
    const double br = beta * r;
    a.aw[i] = aw - br;
    a.ae[i] = 2.0 - br;
    a.ap[i] = (ap + (a.c * (middle - west)) * 2.0) - bc * ((4.0 * middle - east) - west);
  });
}

NewtonResult solve_newton(CaseData& data, const IterationObserver& observe) {
  std::copy(data.ua.begin(), data.ua.end(), data.u.begin());
  const SchemeRows* const rows = find_scheme_rows(data.esquema);
  if (!rows) return {};
  compute_source(data);
  // The Dirichlet rows, for the update: u(0) and u(N) already hold.
  set_boundary_rows(data);
  data.bp[0] = 0.0;
  data.bp[static_cast<std::size_t>(data.N)] = 0.0;
  check_fp_faults("the source term");
  NewtonResult result;
  if (data.itmax < 1) return result;
  TdmaWorkspace work(static_cast<std::size_t>(data.N) + 1);
  double previous = std::numeric_limits<double>::infinity();
  for (int k = 1; k <= data.itmax; ++k) {
    data.it = k;
    rows->newton_rows(data);
    check_iteration(data, "Jacobian and residual");
    tdma(data.N, data.aw, data.ap, data.ae, data.bp, data.bp, work);
    check_iteration(data, "tdma");
    const Norms norms = apply_update(data.u, data.bp);
    compute_variables(data);
    check_iteration(data, "variables of interest");
    if (observe) observe(data);
    result.iterations = k;
    result.last_update = norms.update;
    if (const std::optional<NewtonStop> stop = newton_stop(norms.update, previous, norms.field)) {
      result.stop = *stop;
      break;
    }
    previous = norms.update;
  }
  return result;
}

}  // namespace talvenor

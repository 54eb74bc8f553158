#include "solver/coeficientes.hpp"

#include "record/exact_solutions.hpp"

namespace talvenor {

void compute_source(CaseData& data) {
  const ExactSolutionView exact = exact_solution(data);
  if (exact.exists()) exact.sources(data.x, data.Re, data.S);
}

void compute_source_bp(CaseData& data) {
  compute_source(data);
  const double hh = data.h * data.h;
  for (int i = 1; i <= data.N - 1; ++i) data.bp[i] = (data.S[i] * hh) * 2.0;
}

void set_boundary_rows(CaseData& data) {
  const auto N = static_cast<std::size_t>(data.N);
  data.aw[0] = 0.0;
  data.ap[0] = 1.0;
  data.ae[0] = 0.0;
  data.bp[0] = data.ua[0];
  data.aw[N] = 0.0;
  data.ap[N] = 1.0;
  data.ae[N] = 0.0;
  data.bp[N] = data.ua[N];
}

// In each scheme r = Re h u(i) is the cell Reynolds number of the previous iterate,
// and every row is the equation multiplied by 2 h^2, so nothing divides.

void coefficients_upwind_deferred(CaseData& data) {
  const int N = data.N;
  if (N - 1 <= 0) return;
  const double Re = data.Re;
  const double beta = data.beta;
  const double h = data.h;
  const double hh = h * h;
  const double* const u = data.u.data();
  const double* const S = data.S.data();
  double* const aw = data.aw.data();
  double* const ap = data.ap.data();
  double* const ae = data.ae.data();
  double* const bp = data.bp.data();
  for (int i = 1; i <= N - 1; ++i) ae[i] = 2.0;
  for (int i = 1; i <= N - 1; ++i) {
    upwind_row(cell_reynolds(u[i], h, Re), aw[i], ap[i]);
    // The correction moves the backward convection difference toward the central
    // one, with the previous iterate.
    bp[i] = deferred_correction(u[i - 1], u[i], u[i + 1], beta, h, Re) + (S[i] * hh) * 2.0;
  }
}

void coefficients_upwind(CaseData& data) {
  const int N = data.N;
  if (N - 1 <= 0) return;
  const double Re = data.Re;
  const double h = data.h;
  const double* const u = data.u.data();
  double* const aw = data.aw.data();
  double* const ap = data.ap.data();
  double* const ae = data.ae.data();
  for (int i = 1; i <= N - 1; ++i) ae[i] = 2.0;
  for (int i = 1; i <= N - 1; ++i) {
    upwind_row(cell_reynolds(u[i], h, Re), aw[i], ap[i]);
  }
}

void coefficients_central(CaseData& data) {
  const int N = data.N;
  if (N - 1 <= 0) return;
  const double Re = data.Re;
  const double h = data.h;
  const double* const u = data.u.data();
  double* const aw = data.aw.data();
  double* const ap = data.ap.data();
  double* const ae = data.ae.data();
  for (int i = 1; i <= N - 1; ++i) ap[i] = 4.0;
  for (int i = 1; i <= N - 1; ++i) {
    const double r = cell_reynolds(u[i], h, Re);
    aw[i] = 2.0 + r;
    ae[i] = 2.0 - r;
  }
}

}  // namespace talvenor

#include "solver/calculos.hpp"

#include <algorithm>
#include <string>

#include "record/exact_solutions.hpp"
#include "record/interest.hpp"
#include "solver/coeficientes.hpp"
#include "solver/scheme_rows.hpp"
#include "solver/tdma.hpp"
#include "system/fp_faults.hpp"

namespace talvenor {

void check_iteration(const CaseData& data, const char* operation) {
  if (fp_faults_raised()) {
    check_fp_faults("iteration " + std::to_string(data.it) + " (" + operation + ")");
  }
}

void compute_exact(CaseData& data) {
  const ExactSolutionView exact = exact_solution(data);
  if (!exact.exists()) return;
  exact.values(data.x, data.Re, data.ua);
  data.u_media_a = exact.mean(data.Re);
  data.inclinacao_a = exact.slope(data.Re);
  check_fp_faults("the exact solution");
}

void compute_variables(CaseData& data) {
  const InterestValues values = field_variables(data.u, data.h);
  data.u_media_n = values[1];
  data.inclinacao_n = values[2];
}

void run_iterations(CaseData& data, const IterationObserver& observe) {
  std::copy(data.ua.begin(), data.ua.end(), data.u.begin());
  const SchemeRows* const rows = find_scheme_rows(data.esquema);
  if (!rows) return;
  rows->prepare(data);
  set_boundary_rows(data);
  check_fp_faults("the source term");
  data.it = 1;
  if (data.itmax < 1) return;
  TdmaWorkspace work(static_cast<std::size_t>(data.N) + 1);
  for (int k = 1; k <= data.itmax; ++k) {
    rows->coefficients(data);
    check_iteration(data, "coefficients");
    tdma(data.N, data.aw, data.ap, data.ae, data.bp, data.u, work);
    check_iteration(data, "tdma");
    compute_variables(data);
    check_iteration(data, "variables of interest");
    observe(data);
    ++data.it;
  }
}

}  // namespace talvenor

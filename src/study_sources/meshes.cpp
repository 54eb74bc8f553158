#include "study_sources/meshes.hpp"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <utility>

#include "input/dados.hpp"
#include "record/exact_solutions.hpp"
#include "record/schemes.hpp"
#include "solver/calculos.hpp"
#include "solver/convergence.hpp"
#include "solver/newton.hpp"
#include "system/error.hpp"
#include "system/fp_faults.hpp"

namespace talvenor {

void check_study_case(const CaseData& base) {
  const std::vector<IncompleteRun> parts = incomplete_run(base);
  if (parts.empty()) return;
  const IncompleteRun& first = parts.front();
  throw Error(
      Error::Kind::case_file,
      std::string(kCaseFile) + ": " + first.value +
          (first.no_iteration ? ", so nothing iterates" : ", so there is no exact solution") +
          "; a study needs esquema 0 to " + std::to_string(kSchemes.size() - 1) + ", fonte " +
          exact_solution_values_text() + " and itmax of at least 1");
}

namespace {

/// The iterations of `method` on `data` from its exact solution, each iterate's
/// variables pushed into `iterates`, the starting field's first; Newton's result.
std::optional<NewtonResult> iterate_from_exact(CaseData& data, Method method,
                                               LastIterates& iterates) {
  // Iteration 0 is the starting field, the exact solution, as the iterations see it.
  data.u = data.ua;
  compute_variables(data);
  check_fp_faults("the variables of the starting field");
  iterates.push(numerical_variables(data));
  const IterationObserver observe = [&](const CaseData& iterated) {
    iterates.push(numerical_variables(iterated));
  };
  if (method == Method::newton) return solve_newton(data, observe);
  run_iterations(data, observe);
  return std::nullopt;
}

}  // namespace

MeshRun run_mesh(const CaseData& base, std::int32_t N, Method method) {
  CaseData data = base;
  data.N = N;
  allocate_mesh(data);  // run_tasks checked the memory of the meshes that run together
  MeshRun run;
  run.N = N;
  run.h = data.h;
  // The flags are the calling thread's own: a fault of another mesh never shows here.
  clear_fp_faults();
  LastIterates iterates;
  std::optional<NewtonResult> newton;
  try {
    compute_exact(data);
    run.exact = exact_variables(data);
    newton = iterate_from_exact(data, method, iterates);
    run.numerical = iterates.last();
    run.norms = error_norms(data, data.h);
    run.scale = std::fabs(data.ua.back());
    for (std::size_t v = 0; v < kVariableCount; ++v) {
      run.iteration[v] = iteration_error(method, iterates, v, N);
    }
  } catch (const Error& error) {
    if (error.kind() != Error::Kind::arithmetic) throw;
    run.fault = error.what();
  }
  // Newton's own count; a fault stops either method before it returns, and the
  // iterates observed before the fault tell how many ran.
  run.iterations = newton ? newton->iterations : std::max(iterates.count - 1, 0);
  return run;
}

MeshRow mesh_row(const MeshRun& run, std::size_t v) {
  MeshRow row;
  row.N = run.N;
  row.h = run.h;
  row.exact = run.exact[v];
  row.iterations = run.iterations;
  if (run.fault) {
    row.fault = *run.fault;
    return row;
  }
  row.numerical = run.numerical[v];
  row.iteration_not_converging = run.iteration[v].trend == IterationTrend::not_contracting;
  row.iteration_estimate = run.iteration[v].estimate;
  row.round_off = at_round_off(*row.exact - *row.numerical, *row.exact, run.N);
  return row;
}

MeshRow norm_row(const MeshRun& run, std::size_t k) {
  MeshRow row;
  row.N = run.N;
  row.h = run.h;
  row.iterations = run.iterations;
  if (run.fault) {
    row.fault = *run.fault;
    return row;
  }
  const std::array<double, 3> norms = {run.norms.L1, run.norms.L2, run.norms.Linf};
  row.error = norms[k];
  row.iteration_not_converging =
      std::any_of(run.iteration.begin(), run.iteration.end(), [](const IterationError& error) {
        return error.trend == IterationTrend::not_contracting;
      });
  row.round_off = at_round_off(norms[k], run.scale, run.N);
  return row;
}

std::vector<VariableStudy> analyse(std::span<const MeshRun> runs, double formal) {
  std::vector<VariableStudy> studies;
  for (std::size_t v = 0; v < kVariableCount; ++v) {
    std::vector<MeshRow> rows;
    for (const MeshRun& run : runs) rows.push_back(mesh_row(run, v));
    studies.push_back(
        analyse_variable(std::string(kVariableNames[v].console), std::move(rows), formal));
  }
  for (std::size_t k = 0; k < kNormNames.size(); ++k) {
    std::vector<MeshRow> rows;
    for (const MeshRun& run : runs) rows.push_back(norm_row(run, k));
    studies.push_back(analyse_variable(std::string(kNormNames[k]), std::move(rows), formal));
  }
  return studies;
}

}  // namespace talvenor

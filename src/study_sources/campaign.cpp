#include "study_sources/campaign.hpp"

#include <utility>

#include "record/schemes.hpp"

namespace talvenor {
namespace {

template <typename T>
std::vector<T> values_or(const std::vector<T>& swept, T value) {
  return swept.empty() ? std::vector<T>{value} : swept;
}

}  // namespace

std::vector<CaseData> sweep_cases(const CaseData& base, const Sweep& sweep) {
  std::vector<CaseData> cases;
  for (const std::int32_t esquema : values_or(sweep.esquema, base.esquema)) {
    for (const std::int32_t fonte : values_or(sweep.fonte, base.fonte)) {
      for (const auto& typed : values_or(sweep.solution, base.typed)) {
        for (const double Re : values_or(sweep.Re, base.Re)) {
          const std::vector<double> betas = beta_matters(esquema) ? values_or(sweep.beta, base.beta)
                                                                  : std::vector<double>{base.beta};
          for (const double beta : betas) {
            CaseData data = base;
            data.esquema = esquema;
            data.fonte = fonte;
            data.typed = typed;
            data.Re = Re;
            data.beta = beta;
            check_study_case(data);
            cases.push_back(std::move(data));
          }
        }
      }
    }
  }
  return cases;
}

std::vector<Combination> run_combinations(std::span<const CaseData> cases,
                                          std::span<const std::int32_t> meshes, Method method,
                                          int jobs, const Progress& progress,
                                          const CombinationDone& done) {
  std::vector<MeshTask> tasks;
  std::vector<Combination> combinations(cases.size());
  for (std::size_t c = 0; c < cases.size(); ++c) {
    for (const std::int32_t N : meshes) tasks.push_back({&cases[c], N});
    combinations[c].case_values = cases[c];
    combinations[c].formal = formal_order(cases[c]);
  }
  // Each combination is analysed on the thread that ran its last mesh, in the pool.
  run_tasks(tasks, method, jobs, progress, [&](std::size_t c, std::span<const MeshRun> runs) {
    combinations[c].studies = analyse(runs, combinations[c].formal);
    if (done) done(c, combinations[c]);
  });
  return combinations;
}

}  // namespace talvenor

// The study's meshes on one thread and on two: six meshes from N = 31250 to
// 1000000 (five doublings), itmax 20, upwind with deferred correction, successive
// substitution. And a campaign of 1200 combinations on five meshes up to N = 640,
// on one thread and on two. And the study of fonte 0 against the same solution typed
// (--solution "(e^x-1)/(e-1)"), Newton's method on meshes up to N = 10^6.

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <memory>
#include <vector>

#include "study_sources/campaign.hpp"
#include "study_sources/solution_lint.hpp"
#include "study_sources/tasks.hpp"

namespace {

talvenor::CaseData bench_case() {
  talvenor::CaseData data;
  data.caso.assign("bench");
  data.esquema = 0;
  data.fonte = 0;
  data.Re = 1.0;
  data.beta = 1.0;
  data.itmax = 20;
  data.freq = 1;
  return data;
}

void BM_StudyMeshes(benchmark::State& state) {
  const talvenor::CaseData base = bench_case();
  const std::vector<std::int32_t> meshes = {31250, 62500, 125000, 250000, 500000, 1000000};
  const int jobs = static_cast<int>(state.range(0));
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        talvenor::run_meshes(base, meshes, talvenor::Method::successive_substitution, jobs));
  }
  state.SetLabel(std::to_string(jobs) + (jobs == 1 ? " thread" : " threads"));
}
BENCHMARK(BM_StudyMeshes)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

/// esquema 0 to 2, fonte 0 to 4, Re = 1 to 40, beta 0.25 to 1 for esquema 0:
/// 5 x 40 x (4 + 1 + 1) = 1200 combinations, Newton's method, itmax 50.
void BM_Campaign(benchmark::State& state) {
  talvenor::CaseData base = bench_case();
  base.itmax = 50;
  talvenor::Sweep sweep;
  sweep.esquema = {0, 1, 2};
  sweep.fonte = {0, 1, 2, 3, 4};
  for (int Re = 1; Re <= 40; ++Re) sweep.Re.push_back(Re);
  sweep.beta = {0.25, 0.5, 0.75, 1.0};
  const std::vector<talvenor::CaseData> cases = talvenor::sweep_cases(base, sweep);
  const std::vector<std::int32_t> meshes = {40, 80, 160, 320, 640};
  const int jobs = static_cast<int>(state.range(0));
  for (auto _ : state) {
    benchmark::DoNotOptimize(talvenor::run_combinations(cases, meshes, talvenor::Method::newton, jobs));
  }
  state.counters["combinations"] = static_cast<double>(cases.size());
  state.counters["combinations_per_s"] = benchmark::Counter(
      static_cast<double>(cases.size()), benchmark::Counter::kIsIterationInvariantRate);
  state.SetLabel(std::to_string(jobs) + (jobs == 1 ? " thread" : " threads"));
}
BENCHMARK(BM_Campaign)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

/// The study of a case on four meshes up to N = 10^6 (Re = 1, Newton's method, one
/// thread): fonte 0's, or with `typed` the formula as --solution gives it: parsed,
/// differentiated, compiled, linted on the finest mesh, then run.
constexpr std::int32_t kFinest = 1000000;
constexpr auto kTypedFormula = talvenor::kExactSolutions[0].formula;

std::vector<talvenor::MeshRun> study(bool typed) {
  talvenor::CaseData base = bench_case();
  const std::vector<std::int32_t> meshes = {kFinest / 8, kFinest / 4, kFinest / 2, kFinest};
  if (typed) {
    base.typed = std::make_shared<const talvenor::Manufactured>(
        talvenor::manufacture(kTypedFormula, "--solution"));
    benchmark::DoNotOptimize(talvenor::solution_lint(base, kFinest));
  }
  return talvenor::run_meshes(base, meshes, talvenor::Method::newton, 1);
}

void BM_StudyOfSolution(benchmark::State& state) {
  const bool typed = state.range(0) == 1;
  for (auto _ : state) benchmark::DoNotOptimize(study(typed));
  state.SetLabel(typed ? "--solution (e^x-1)/(e-1)" : "fonte 0");
}
BENCHMARK(BM_StudyOfSolution)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

/// The exact solution at the nodes of N = 10^6, as a mesh's run asks for it: u
/// (ExactSolutionView::values) and S (sources), fonte 0's or its formula typed; the
/// counter is nanoseconds a node for both.
void BM_ExactSolutionAtNodes(benchmark::State& state) {
  const bool typed = state.range(0) == 1;
  const talvenor::Manufactured m = talvenor::manufacture(kTypedFormula, "--solution");
  const talvenor::ExactSolutionView exact(0, typed ? &m : nullptr);
  std::vector<double> x(kFinest + 1), u(x.size()), S(x.size());
  for (std::size_t i = 0; i < x.size(); ++i) x[i] = static_cast<double>(i) / kFinest;
  for (auto _ : state) {
    exact.values(x, 1.0, u);
    exact.sources(x, 1.0, S);
    benchmark::DoNotOptimize(u.data());
    benchmark::DoNotOptimize(S.data());
  }
  state.counters["node_s"] = benchmark::Counter(static_cast<double>(x.size()),
                                                benchmark::Counter::kIsIterationInvariantRate |
                                                    benchmark::Counter::kInvert);
  state.SetLabel(typed ? "--solution (e^x-1)/(e-1)" : "fonte 0");
}
BENCHMARK(BM_ExactSolutionAtNodes)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

/// Both studies in each iteration, in turn first (fonte 0 first in even iterations,
/// the typed one in odd): a load on the machine weighs on both alike. The counters
/// are each one's mean wall seconds, their ratio (typed over fonte 0), and the ratio
/// of the process's processor time (std::clock, every thread), which a loaded
/// machine blurs less.
void BM_TypedOverBuiltIn(benchmark::State& state) {
  double wall[2] = {0.0, 0.0};
  double cpu[2] = {0.0, 0.0};
  long long pairs = 0;
  for (auto _ : state) {
    for (const bool first : {true, false}) {
      const bool typed = first == (pairs % 2 == 1);
      const std::clock_t cpu_start = std::clock();
      const auto start = std::chrono::steady_clock::now();
      benchmark::DoNotOptimize(study(typed));
      wall[typed] += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      cpu[typed] += static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
    }
    ++pairs;
  }
  state.counters["builtin_s"] = wall[0] / static_cast<double>(pairs);
  state.counters["typed_s"] = wall[1] / static_cast<double>(pairs);
  state.counters["ratio"] = wall[1] / wall[0];
  state.counters["cpu_ratio"] = cpu[1] / cpu[0];
}
BENCHMARK(BM_TypedOverBuiltIn)->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

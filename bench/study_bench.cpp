// The study's meshes on one thread and on two: six meshes from N = 31250 to
// 1000000 (five doublings), itmax 20, upwind with deferred correction, successive
// substitution. And a campaign of 1200 combinations on five meshes up to N = 640,
// on one thread and on two.

#include <benchmark/benchmark.h>

#include <vector>

#include "study_sources/campaign.hpp"
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

}  // namespace

BENCHMARK_MAIN();

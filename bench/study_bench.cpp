// The study's meshes on one thread and on two: six meshes from N = 31250 to
// 1000000 (five doublings), itmax 20, upwind with deferred correction, successive
// substitution.

#include <benchmark/benchmark.h>

#include <vector>

#include "study/study.hpp"

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

}  // namespace

BENCHMARK_MAIN();

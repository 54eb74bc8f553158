// Newton's method against successive substitution: the cost of one iteration per
// node, both timed in the same loop under the same load, and the time each takes
// from the exact solution to a converged solution.
//
//   newton_bench --benchmark_counters_tabular=true
//
// Counters: newton_ns and picard_ns are nanoseconds per node and iteration, ratio
// their quotient, allocs the allocations between the first and the last iteration
// of either loop (must be 0); iterations is how many the solve took.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include "bench_support.hpp"
#include "record/variaveis.hpp"
#include "solver/calculos.hpp"
#include "solver/newton.hpp"

namespace {

using talvenor::CaseData;

/// The observer of a loop that times its iterations from the end of the first to
/// the end of the last, so that the setup before the loop is left out.
struct IterationClock {
  std::chrono::steady_clock::time_point first;
  std::chrono::steady_clock::time_point last;
  unsigned long long allocations_at_first = 0;
  unsigned long long allocations_at_last = 0;
  int iterations = 0;

  talvenor::IterationObserver observer() {
    return [this](const CaseData&) {
      last = std::chrono::steady_clock::now();
      allocations_at_last = allocation_count();
      if (++iterations == 1) {
        first = last;
        allocations_at_first = allocations_at_last;
      }
    };
  }
  /// Seconds per iteration after the first.
  double seconds_per_iteration() const {
    return std::chrono::duration<double>(last - first).count() / (iterations - 1);
  }
  unsigned long long allocations() const { return allocations_at_last - allocations_at_first; }
};

constexpr int kIterationNodes = 1000000;
constexpr int kPicardIterations = 10;

/// One Newton iteration against one successive-substitution iteration, W1's case at
/// N = 10^6 (Re 10): per benchmark iteration, one Newton solve (it stops at round-off,
/// after two or three iterations) and kPicardIterations of successive substitution.
/// The manual time is Newton's. Argument: esquema.
void iteration_cost(benchmark::State& state) {
  const int esquema = static_cast<int>(state.range(0));
  CaseData newton = w1_case(esquema, kIterationNodes, 10.0, 50);
  CaseData picard = w1_case(esquema, kIterationNodes, 10.0, kPicardIterations);
  double newton_s = 0.0;
  double picard_s = 0.0;
  unsigned long long allocations = 0;
  for (auto _ : state) {
    IterationClock newton_clock;
    talvenor::solve_newton(newton, newton_clock.observer());
    IterationClock picard_clock;
    talvenor::run_iterations(picard, picard_clock.observer());
    if (newton_clock.iterations < 2) {
      state.SkipWithError("Newton's method stopped after one iteration: nothing to time");
      return;
    }
    state.SetIterationTime(newton_clock.seconds_per_iteration());
    newton_s += newton_clock.seconds_per_iteration();
    picard_s += picard_clock.seconds_per_iteration();
    allocations += newton_clock.allocations() + picard_clock.allocations();
  }
  const auto runs = static_cast<double>(state.iterations());
  state.counters["newton_ns"] = newton_s / runs / kIterationNodes * 1e9;
  state.counters["picard_ns"] = picard_s / runs / kIterationNodes * 1e9;
  state.counters["ratio"] = newton_s / picard_s;
  state.counters["allocs"] = static_cast<double>(allocations);
}

constexpr int kConvergedNodes = 100000;
/// Successive substitution has stopped shrinking its changes when this many
/// iterations bring no change smaller than the smallest so far: near convergence the
/// round-off of each solve makes single changes jitter up and down.
constexpr int kPatience = 20;
constexpr int kHorizon = 2000;

/// How many iterations successive substitution takes until its changes, max|u(k) -
/// u(k-1)|, stop shrinking (the iteration of the smallest change, kPatience later
/// still the smallest); 0 when that is not within kHorizon iterations.
int picard_iterations_to_converge(int esquema, double Re) {
  CaseData data = w1_case(esquema, kConvergedNodes, Re, kHorizon);
  std::vector<double> before = data.ua;
  std::vector<double> changes;
  talvenor::run_iterations(data, [&](const CaseData& now) {
    double change = 0.0;
    for (std::size_t i = 0; i < before.size(); ++i) {
      change = std::max(change, std::fabs(now.u[i] - before[i]));
    }
    changes.push_back(change);
    before = now.u;
  });
  std::size_t smallest = 0;
  for (std::size_t k = 1; k < changes.size(); ++k) {
    if (changes[k] < changes[smallest]) smallest = k;
    if (k - smallest >= kPatience) return static_cast<int>(smallest) + 1;
  }
  return 0;
}

/// Successive substitution from the exact solution to the iteration where its
/// changes stop shrinking, N = 10^5. Arguments: esquema, Re.
void picard_to_convergence(benchmark::State& state) {
  const int esquema = static_cast<int>(state.range(0));
  const double Re = static_cast<double>(state.range(1));
  const int iterations = picard_iterations_to_converge(esquema, Re);
  if (iterations == 0) {
    state.SkipWithError("successive substitution did not settle within the horizon");
    return;
  }
  CaseData data = w1_case(esquema, kConvergedNodes, Re, iterations);
  for (auto _ : state) {
    talvenor::run_iterations(data, [](const CaseData&) {});
    benchmark::DoNotOptimize(data.u_media_n);
  }
  state.counters["iterations"] = iterations;
}

/// Newton's method from the exact solution until it stops, N = 10^5. Arguments:
/// esquema, Re.
void newton_to_convergence(benchmark::State& state) {
  const int esquema = static_cast<int>(state.range(0));
  const double Re = static_cast<double>(state.range(1));
  CaseData data = w1_case(esquema, kConvergedNodes, Re, 50);
  talvenor::NewtonResult result;
  for (auto _ : state) {
    result = talvenor::solve_newton(data);
    benchmark::DoNotOptimize(data.u_media_n);
  }
  state.counters["iterations"] = result.iterations;
  state.counters["last_update"] = result.last_update;
}

BENCHMARK(iteration_cost)
    ->ArgName("esquema")
    ->DenseRange(0, 2)
    ->UseManualTime()
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(picard_to_convergence)
    ->ArgNames({"esquema", "Re"})
    ->ArgsProduct({{0, 1, 2}, {5, 9}})
    ->Iterations(10)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(newton_to_convergence)
    ->ArgNames({"esquema", "Re"})
    ->ArgsProduct({{0, 1, 2}, {5, 9}})
    ->Iterations(10)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

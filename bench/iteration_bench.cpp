// One iteration of successive substitution (coefficients, tdma, variables of
// interest) per scheme, timed inside the program's own loop, against a bare loop
// doing the same arithmetic, in the same order, on plain arrays.
//
//   iteration_bench --benchmark_counters_tabular=true
//
// The counter node_s is seconds per node and iteration (shown with an n prefix:
// nanoseconds); allocs counts the allocations made between the first and the last
// iteration of a timed loop, and must be 0.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <memory>

#include "bench_support.hpp"
#include "record/variaveis.hpp"
#include "solver/calculos.hpp"

namespace {

using talvenor::CaseData;

constexpr int kNodes = 1000000;  // N of the bare loop, W1's mesh
constexpr int kTimedIterations = 10;

/// The program's iteration loop: run_iterations with kTimedIterations iterations,
/// timed from the end of the first to the end of the last, so the setup before
/// the loop (u = ua, the source term) is left out. Arguments: esquema, N.
void program_iteration(benchmark::State& state) {
  const int esquema = static_cast<int>(state.range(0));
  const int N = static_cast<int>(state.range(1));
  CaseData data = w1_case(esquema, N, 10.0, kTimedIterations);
  unsigned long long loop_allocations = 0;
  for (auto _ : state) {
    std::chrono::steady_clock::time_point first;
    unsigned long long allocations_at_first = 0;
    double seconds = 0.0;
    talvenor::run_iterations(data, [&](const CaseData& now) {
      const auto at = std::chrono::steady_clock::now();
      if (now.it == 1) {
        first = at;
        allocations_at_first = allocation_count();
      } else if (now.it == now.itmax) {
        seconds = std::chrono::duration<double>(at - first).count();
        loop_allocations += allocation_count() - allocations_at_first;
      }
    });
    state.SetIterationTime(seconds);
    benchmark::DoNotOptimize(data.u_media_n);
  }
  state.counters["node_s"] = benchmark::Counter(
      static_cast<double>(N) * (kTimedIterations - 1),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["allocs"] = static_cast<double>(loop_allocations);
}

/// The arrays of the bare loop, allocated once, indexed 0 to N.
struct PlainArrays {
  explicit PlainArrays(const CaseData& data)
      : u(copy(data.u.data())),
        S(copy(data.S.data())),
        aw(copy(data.aw.data())),
        ap(copy(data.ap.data())),
        ae(copy(data.ae.data())),
        bp(copy(data.bp.data())),
        P(new double[kNodes + 1]()),
        Q(new double[kNodes + 1]()) {}

  static std::unique_ptr<double[]> copy(const double* from) {
    std::unique_ptr<double[]> to(new double[kNodes + 1]);
    std::memcpy(to.get(), from, sizeof(double) * (kNodes + 1));
    return to;
  }

  std::unique_ptr<double[]> u, S, aw, ap, ae, bp, P, Q;
  double mean = 0.0;
  double slope = 0.0;
};

/// One iteration in the order of the program, without the run record, the
/// fault checks or the observer.
void bare_iteration(PlainArrays& a, int esquema, double h, double Re, double beta) {
  constexpr int N = kNodes;
  double* const u = a.u.get();
  double* const aw = a.aw.get();
  double* const ap = a.ap.get();
  double* const ae = a.ae.get();
  double* const bp = a.bp.get();
  const double* const S = a.S.get();
  if (esquema == 2) {
    for (int i = 1; i <= N - 1; ++i) ap[i] = 4.0;
    for (int i = 1; i <= N - 1; ++i) {
      const double r = (u[i] * h) * Re;
      aw[i] = 2.0 + r;
      ae[i] = 2.0 - r;
    }
  } else {
    const double hh = h * h;
    for (int i = 1; i <= N - 1; ++i) ae[i] = 2.0;
    for (int i = 1; i <= N - 1; ++i) {
      const double r = (u[i] * h) * Re;
      aw[i] = (r + 1.0) * 2.0;
      ap[i] = (r + 2.0) * 2.0;
      if (esquema == 0) {
        const double t = ((((2.0 * u[i]) - u[i + 1]) - u[i - 1]) * u[i]) * beta * h * Re;
        bp[i] = t + (S[i] * hh) * 2.0;
      }
    }
  }
  double* const P = a.P.get();
  double* const Q = a.Q.get();
  double p = ae[0] / ap[0];
  double q = bp[0] / ap[0];
  P[0] = p;
  Q[0] = q;
  for (int i = 1; i <= N; ++i) {
    const double D = ap[i] - p * aw[i];
    p = ae[i] / D;
    q = (q * aw[i] + bp[i]) / D;
    P[i] = p;
    Q[i] = q;
  }
  double next = q;
  u[N] = next;
  for (int i = N - 1; i >= 0; --i) {
    next = P[i] * next + Q[i];
    u[i] = next;
  }
  a.slope = (((u[N - 1] * -4.0) + u[N - 2]) + u[N] * 3.0) / (h * 2.0);
  double sum = 0.0;
  for (int i = 1; i <= N; ++i) sum += u[i] + u[i - 1];
  a.mean = (sum * h) * 0.5;
}

/// The bare loop, started from the system the program builds before its first
/// iteration. Before timing, both take kTimedIterations iterations from the same
/// start and must agree bit for bit, or the comparison would be of different work.
void bare_loop(benchmark::State& state) {
  const int esquema = static_cast<int>(state.range(0));
  CaseData data = w1_case(esquema, kNodes, 10.0, 0);
  talvenor::run_iterations(data, [](const CaseData&) {});  // u = ua, the fixed rows
  PlainArrays plain(data);

  data.itmax = kTimedIterations;
  talvenor::run_iterations(data, [](const CaseData&) {});
  for (int k = 0; k < kTimedIterations; ++k) {
    bare_iteration(plain, esquema, data.h, data.Re, data.beta);
  }
  if (std::memcmp(plain.u.get(), data.u.data(), sizeof(double) * (kNodes + 1)) != 0 ||
      std::memcmp(&plain.mean, &data.u_media_n, sizeof(double)) != 0 ||
      std::memcmp(&plain.slope, &data.inclinacao_n, sizeof(double)) != 0) {
    state.SkipWithError("the bare loop does not reproduce the program's iterates");
    return;
  }

  for (auto _ : state) {
    bare_iteration(plain, esquema, data.h, data.Re, data.beta);
    benchmark::DoNotOptimize(plain.mean);
  }
  state.counters["node_s"] = benchmark::Counter(
      double{kNodes}, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Every scheme at W1's mesh, and esquema 0 over W3's meshes: the cost of a node
// should not depend on how many there are.
BENCHMARK(program_iteration)
    ->ArgNames({"esquema", "N"})
    ->ArgsProduct({{0, 1, 2}, {kNodes}})
    ->ArgsProduct({{0}, {100000, 10000000}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(bare_loop)->ArgName("esquema")->DenseRange(0, 2)->UseRealTime()->Unit(
    benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

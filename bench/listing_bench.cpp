// The two tables of the listing (coefficients, solutions) written to a file by
// the program's own table writers, against the bare conversion of the same
// numbers by the number-format functions into one reused buffer.
//
//   listing_bench --benchmark_counters_tabular=true
//
// The counter row_s is seconds per table row (shown with an n prefix: nanoseconds).

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "app/variaveis.hpp"
#include "input/dados.hpp"
#include "results/resultados.hpp"
#include "solver/calculos.hpp"
#include "system/fp_faults.hpp"
#include "textio/number_format.hpp"
#include "textio/text_file.hpp"

namespace {

using talvenor::CaseData;

constexpr int kNodes = 100000;  // N; every node is listed (freq 1)
constexpr double kRows = 2.0 * (kNodes + 1);

/// W2's case at N = kNodes after its one iteration: the numbers a listing holds.
const CaseData& solved_case() {
  static const CaseData data = [] {
    talvenor::clear_fp_faults();  // the flags that the benchmark library's own arithmetic left
    CaseData solved;
    solved.caso.assign("bench");
    solved.esquema = 0;
    solved.fonte = 0;
    solved.N = kNodes;
    solved.Re = 10.0;
    solved.beta = 0.5;
    solved.itmax = 1;
    solved.freq = 1;
    talvenor::prepare_mesh(solved);
    talvenor::compute_exact(solved);
    talvenor::run_iterations(solved, [](const CaseData&) {});
    return solved;
  }();
  return data;
}

void per_row(benchmark::State& state) {
  state.counters["row_s"] = benchmark::Counter(
      kRows, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void listing_tables(benchmark::State& state) {
  const CaseData& data = solved_case();
  const std::string path =
      (std::filesystem::temp_directory_path() / "talvenor_listing_bench").string();
  for (auto _ : state) {
    talvenor::TextFile listing(path, 10, "listing");
    talvenor::list_coefficients(data, listing);
    talvenor::list_solutions(data, listing);
    listing.close();
  }
  std::filesystem::remove(path);
  per_row(state);
}

void bare_conversion(benchmark::State& state) {
  const CaseData& data = solved_case();
  char row[8 + 5 * 23];
  for (auto _ : state) {
    for (int i = 0; i <= kNodes; ++i) {
      talvenor::format_integer(row, i, 8);
      const double numbers[] = {data.x[i], data.aw[i], data.ap[i], data.ae[i], data.bp[i]};
      for (int k = 0; k < 5; ++k) talvenor::format_scientific(row + 8 + 23 * k, numbers[k], 23, 14);
      benchmark::DoNotOptimize(row);
    }
    for (int i = 0; i <= kNodes; ++i) {
      talvenor::format_integer(row, i, 8);
      const double numbers[] = {data.x[i], data.ua[i], data.u[i], data.ua[i] - data.u[i]};
      for (int k = 0; k < 4; ++k) talvenor::format_scientific(row + 8 + 23 * k, numbers[k], 23, 14);
      benchmark::DoNotOptimize(row);
    }
  }
  per_row(state);
}

BENCHMARK(listing_tables)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(bare_conversion)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

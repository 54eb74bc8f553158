// talvenor-study --data's reader and analysis on a file of 10^6 rows in two shapes:
// 10 variables of 10^5 meshes and 10^5 variables of 10 meshes; h = 1/(10 + k) (no
// two ratios alike), value 1 + v + 0.5 h^2, exact 1 + v, rows shuffled, as in
// bench/README.md.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/mesh_study.hpp"
#include "study_sources/data_file.hpp"

namespace {

constexpr int kRows = 1000000;

/// The file's text for `variables` variables of kRows / variables meshes each:
/// "variable,h,value,exact" and the rows in a fixed shuffled order.
std::string data_text(int variables) {
  std::vector<std::string> rows;
  rows.reserve(kRows);
  for (int v = 0; v < variables; ++v) {
    for (int k = 0; k < kRows / variables; ++k) {
      const double h = 1.0 / (10 + k);
      std::ostringstream row;
      row.precision(17);
      row << "var" << v << "," << h << "," << 1.0 + v + 0.5 * h * h << "," << 1.0 + v << "\n";
      rows.push_back(row.str());
    }
  }
  std::shuffle(rows.begin(), rows.end(), std::mt19937(1));
  std::string all = "variable,h,value,exact\n";
  for (const std::string& row : rows) all += row;
  return all;
}

/// The text of each shape, built once.
const std::string& big_file(int variables) {
  static const std::string few = data_text(10);
  static const std::string many = data_text(100000);
  return variables == 10 ? few : many;
}

void BM_ReadDataFile(benchmark::State& state) {
  const std::string& text = big_file(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::istringstream in(text);
    benchmark::DoNotOptimize(talvenor::parse_data("big.csv", in, std::nullopt));
  }
}
BENCHMARK(BM_ReadDataFile)->ArgName("variables")->Arg(10)->Arg(100000)
    ->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_AnalyseDataFile(benchmark::State& state) {
  std::istringstream in(big_file(static_cast<int>(state.range(0))));
  const talvenor::DataFile file = talvenor::parse_data("big.csv", in, std::nullopt);
  for (auto _ : state) {
    for (const talvenor::DataSeries& series : file.series) {
      benchmark::DoNotOptimize(talvenor::analyse_variable(
          series.variable, talvenor::data_rows(series), std::nullopt, file.count));
    }
  }
}
BENCHMARK(BM_AnalyseDataFile)->ArgName("variables")->Arg(10)->Arg(100000)
    ->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

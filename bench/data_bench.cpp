// talvenor-study --data's reader and analysis on a file of 10^6 rows: 10 variables
// of 10^5 meshes each, h = 1/(10 + k) (no two ratios alike), rows shuffled, as in
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

/// The file's text: "variable,h,value,exact" and 10^6 rows in a fixed shuffled order.
const std::string& big_file() {
  static const std::string text = [] {
    std::vector<std::string> rows;
    for (int v = 0; v < 10; ++v) {
      for (int k = 0; k < 100000; ++k) {
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
  }();
  return text;
}

void BM_ReadDataFile(benchmark::State& state) {
  const std::string& text = big_file();
  for (auto _ : state) {
    std::istringstream in(text);
    benchmark::DoNotOptimize(talvenor::parse_data("big.csv", in, std::nullopt));
  }
}
BENCHMARK(BM_ReadDataFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_AnalyseDataFile(benchmark::State& state) {
  std::istringstream in(big_file());
  const talvenor::DataFile file = talvenor::parse_data("big.csv", in, std::nullopt);
  for (auto _ : state) {
    for (const talvenor::DataSeries& series : file.series) {
      benchmark::DoNotOptimize(talvenor::analyse_variable(
          series.variable, talvenor::data_rows(series), std::nullopt, file.count));
    }
  }
}
BENCHMARK(BM_AnalyseDataFile)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

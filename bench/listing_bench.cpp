// The two tables of the listing (coefficients, solutions) written to a file by
// the program's own table writers, against the bare conversion of the same
// numbers by the number-format functions into one reused buffer; and one million
// records of the table layout against std::to_chars on their numbers.
//
//   listing_bench --benchmark_counters_tabular=true
//
// The counters row_s and record_s are seconds per table row and per record (shown
// with an n prefix: nanoseconds).

#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "record/variaveis.hpp"
#include "input/dados.hpp"
#include "results/resultados.hpp"
#include "solver/calculos.hpp"
#include "system/fp_faults.hpp"
#include "textio/layout.hpp"
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

// One million records of the coefficient table's layout written to a file,
// against std::to_chars (scientific, 16 digits after the point) on the same five
// doubles of each record: the formatting layer's cost over the bare conversion.

constexpr int kRecords = 1000000;

const std::vector<double>& record_numbers() {
  static const std::vector<double> numbers = [] {
    std::mt19937_64 random(12345);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-30, 30);
    std::vector<double> values(5 * kRecords);
    for (double& value : values) value = std::ldexp(mantissa(random), exponent(random));
    return values;
  }();
  return numbers;
}

void per_record(benchmark::State& state) {
  state.counters["record_s"] = benchmark::Counter(
      kRecords, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void formatted_records(benchmark::State& state) {
  static const talvenor::Layout kRow(u8"(I8,5(1P,E23.14))");
  const std::vector<double>& v = record_numbers();
  const std::string path =
      (std::filesystem::temp_directory_path() / "talvenor_record_bench").string();
  for (auto _ : state) {
    talvenor::TextFile file(path, 10, "listing");
    for (int i = 0; i < kRecords; ++i) {
      const double* n = &v[5 * static_cast<std::size_t>(i)];
      talvenor::write_formatted(file, kRow, {i, n[0], n[1], n[2], n[3], n[4]});
    }
    file.close();
  }
  std::filesystem::remove(path);
  per_record(state);
}

void to_chars_conversion(benchmark::State& state) {
  const std::vector<double>& v = record_numbers();
  char text[32];
  for (auto _ : state) {
    for (const double value : v) {
      benchmark::DoNotOptimize(
          std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, 16));
    }
  }
  per_record(state);
}

BENCHMARK(formatted_records)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(to_chars_conversion)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(listing_tables)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(bare_conversion)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

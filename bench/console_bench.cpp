// The progress line's cost per iteration of the loop it watches, drawing at its
// ten times a second (into /dev/null) on the run's own clock, against the same
// line switched off as it is when standard error is not a terminal.

#include <benchmark/benchmark.h>

#include <cstdio>

#include "system/console.hpp"
#include "system/platform.hpp"

namespace {

void progress_updates(benchmark::State& state, bool enabled) {
  std::FILE* sink = std::fopen("/dev/null", "w");
  {
    talvenor::ProgressLine line(sink, enabled, talvenor::wall_seconds);
    long done = 0;
    for (auto _ : state) line.update(++done, 1'000'000'000'000L);
  }
  std::fclose(sink);
}

void BM_ProgressLineOnTerminal(benchmark::State& state) { progress_updates(state, true); }
void BM_ProgressLineOff(benchmark::State& state) { progress_updates(state, false); }

BENCHMARK(BM_ProgressLineOnTerminal)->MinTime(2.0);
BENCHMARK(BM_ProgressLineOff);

}  // namespace

BENCHMARK_MAIN();

// What run_command, quote_argument and the timer promise on every system.

#include "system/platform.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <string>
#include <thread>

#include "system/scratch_folder_test.hpp"

namespace talvenor {
namespace {

using RunCommandTest = ScratchFolderTest;

/// A command understood alike by sh and cmd.exe that creates the file "started":
/// `leading` blanks, then "echo xx...x>started" of `length` characters, then
/// `trailing` blanks.
std::string marker_command(std::size_t leading, std::size_t length, std::size_t trailing) {
  const std::string head = "echo ";
  const std::string tail = ">started";
  return std::string(leading, ' ') + head + std::string(length - head.size() - tail.size(), 'x') +
         tail + std::string(trailing, ' ');
}

TEST_F(RunCommandTest, ReturnsTheExitCodeOfTheCommand) {
  EXPECT_EQ(run_command("exit 3"), 3);
  EXPECT_EQ(run_command("exit 0"), 0);
}

TEST_F(RunCommandTest, RunsOnlyCommandsOfAtMost1024CharactersUpToTheLastNonBlank) {
  struct Case {
    std::size_t leading, length, trailing;
    bool runs;
  };
  const Case cases[] = {
      {0, 1024, 0, true},     // the longest command
      {0, 1025, 0, false},    // one more
      {0, 1024, 500, true},   // trailing blanks do not count
      {0, 1025, 500, false},  //
      {200, 824, 0, true},    // leading blanks are part of the command
      {200, 825, 0, false},   //
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.leading << " + " << c.length << " + " << c.trailing);
    std::filesystem::remove("started");
    EXPECT_EQ(run_command(marker_command(c.leading, c.length, c.trailing)), c.runs ? 0 : -1);
    EXPECT_EQ(std::filesystem::exists("started"), c.runs);
  }
}

TEST_F(RunCommandTest, AnAllBlankTextRunsTheInterpreterWithNothing) {
  EXPECT_EQ(run_command(std::string(90, ' ')), 0);
  EXPECT_EQ(run_command(""), 0);
}

TEST(QuoteArgument, LeavesPlainNamesAsTheyAre) {
  for (const char* name : {"Talvenor.in", "teste1.txt.itn", "res.txt", "a-b_c+d,e/f.g", "X9"}) {
    EXPECT_EQ(quote_argument(name), name);
  }
}

TEST(QuoteArgument, QuotesEveryOtherName) {
  for (const char* name : {"", "caso 1", "x;touch y", "50%", "a&b", "ação", "a\\b"}) {
    EXPECT_NE(quote_argument(name), name) << name;
  }
}

// The only test that calls wall_seconds: its first call must be the process's first.
TEST(WallSeconds, StartsAtZeroAndFollowsTheClockToTheMillisecond) {
  EXPECT_EQ(wall_seconds(), 0.0);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const double elapsed = wall_seconds();
  EXPECT_GE(elapsed, 0.299);  // the sleep lasts at least 300 ms; the origin may lag by < 1 ms
  EXPECT_LT(elapsed, 5.0);    // a busy machine may wake the test late
  EXPECT_NEAR(elapsed * 1000, std::round(elapsed * 1000), 1e-6) << "whole milliseconds";
}

TEST(ElapsedSeconds, ReckonsFromTheHalvesOfTheCounts) {
  constexpr std::uint64_t t = 133'500'000'000'000'000;  // a 100-ns count of the year 2024
  struct Case {
    std::uint64_t origin, now;
    double seconds;
  };
  const Case cases[] = {
      {t, t, 0.0},
      {t, t + 15'000'000, 1.5},
      {t, t + 10'000, 0.001},
      {t, t + 360'000'000'000, 36000.0},          // ten hours: many carries into the high half
      {0x1'FFFFFFF0, 0x2'00000010, 3.2e-6},       // the low half wraps: a borrow
      {0x1'00000010, 0x1'FFFFFFF0, 429.4967264},  // no borrow, the largest low difference
      {t + 10'000'000, t, -1.0},                  // the clock was set back
      {1, 10'001, 0.001},                         // the lowest bit of each count is dropped
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(elapsed_seconds(c.origin, c.now), c.seconds, 1e-9 * std::abs(c.seconds) + 1e-12)
        << std::hex << c.origin << " -> " << c.now;
  }
}

}  // namespace
}  // namespace talvenor

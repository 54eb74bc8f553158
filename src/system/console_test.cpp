#include "system/console.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "system/scratch_folder_test.hpp"

namespace talvenor {
namespace {

/// The test's clock: it tells `now` and counts how often it was read.
double now = 0.0;
int readings = 0;
double fake_clock() {
  ++readings;
  return now;
}

/// What the progress line wrote on its stream, a file in a scratch folder.
class ProgressLineTest : public ScratchFolderTest {
 protected:
  void SetUp() override {
    ScratchFolderTest::SetUp();
    stream_ = std::fopen("progress", "wb");
    now = 0.0;
    readings = 0;
  }
  void TearDown() override {
    std::fclose(stream_);
    ScratchFolderTest::TearDown();
  }

  /// Step `done` of `total` ends at `seconds`.
  static void step(ProgressLine& line, long done, long total, double seconds) {
    now = seconds;
    line.update(done, total);
  }

  std::string written() {
    std::fflush(stream_);
    return read("progress");
  }

  std::FILE* stream_ = nullptr;
};

TEST_F(ProgressLineTest, LongWorkIsDrawnAtMostTenTimesASecondThenErased) {
  {
    ProgressLine line(stream_, true, fake_clock);
    step(line, 1, 1000, 0.05);   // before the first tenth of a second
    step(line, 60, 1000, 0.12);  // 2 s expected
    step(line, 70, 1000, 0.21);  // within a tenth of a second of the last drawing
    step(line, 110, 1000, 0.23);
  }
  const std::string blanks(28, ' ');
  EXPECT_EQ(written(),
            "\riteration 60 of 1000, 0.1 s\riteration 110 of 1000, 0.2 s\r" + blanks + "\r");
}

TEST_F(ProgressLineTest, ShortWorkAndNoTerminalDrawNothing) {
  {
    ProgressLine quick(stream_, true, fake_clock);
    step(quick, 500, 1000, 0.12);  // 0.24 s expected
    step(quick, 1000, 1000, 0.25);
    quick.erase();
    ProgressLine off(stream_, false, fake_clock);
    step(off, 1, 1000, 0.5);
  }
  EXPECT_EQ(written(), "");
  EXPECT_EQ(readings, 2);  // none when there is no terminal
}

TEST_F(ProgressLineTest, EraseLeavesNothingForTheDestructor) {
  ProgressLine line(stream_, true, fake_clock);
  step(line, 1, 100, 0.5);
  line.erase();
  const std::string drawn = "\riteration 1 of 100, 0.5 s";
  EXPECT_EQ(written(), drawn + "\r" + std::string(drawn.size() - 1, ' ') + "\r");
  line.erase();
  EXPECT_EQ(written().size(), 2 * drawn.size() + 1);
}

TEST_F(ProgressLineTest, TheClockIsReadAboutOnceAMillisecond) {
  {
    // A million steps of 10 ns each: 10 ms in all.
    ProgressLine quick(stream_, true, fake_clock);
    for (long done = 1; done <= 1'000'000; ++done) step(quick, done, 100'000'000, done * 1e-8);
  }
  EXPECT_LT(readings, 100);
  EXPECT_GT(readings, 5);
  readings = 0;
  {
    // Steps of 5 ms each: every one of them.
    ProgressLine slow(stream_, true, fake_clock);
    for (long done = 1; done <= 100; ++done) step(slow, done, 1000, 0.005 * done);
  }
  EXPECT_EQ(readings, 100);
}

}  // namespace
}  // namespace talvenor

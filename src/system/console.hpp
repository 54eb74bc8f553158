#pragma once

#include <cstdio>
#include <string_view>

namespace talvenor {

/// A one-line progress indicator for a terminal: "iteration 120 of 5000, 2.3 s".
/// It appears only for work expected to take more than a second, is redrawn at
/// most ten times a second, and is wiped out with blanks by erase() and at
/// destruction, leaving the cursor where the line began.
class ProgressLine {
 public:
  /// Seconds since the work began.
  using Clock = double (*)();

  /// Draws on `stream` the time that `clock` tells; draws nothing ever when
  /// `enabled` is false. The line names the steps `what` and ends the count with
  /// `after`: ("meshes", " done") draws "meshes 2 of 5 done, 3.4 s".
  ProgressLine(std::FILE* stream, bool enabled, Clock clock, std::string_view what = "iteration",
               std::string_view after = "");
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  /// Step `done` (from 1) of `total` has ended. The clock is read about once a
  /// millisecond at most, however little a step takes, so that the line costs
  /// nothing that shows.
  ///   ten steps of a hundred in 0.2 s -> draws "iteration 10 of 100, 0.2 s"
  ///   (the hundred are expected to take 2 s)
  /// With no step done yet there is nothing to tell. `detail` goes after the count:
  /// ("meshes", " done") with ", combinations 3 of 32" draws
  /// "meshes 40 of 96 done, combinations 3 of 32, 2.1 s".
  void update(long done, long total, std::string_view detail = {});

  void erase();

 private:
  std::FILE* stream_;
  bool enabled_;
  Clock clock_;
  std::string_view what_;
  std::string_view after_;
  long stride_ = 1;     // steps from one clock reading to the next
  long countdown_ = 1;  // steps left to the next reading
  double last_reading_ = 0.0;
  double next_draw_;  // seconds; no drawing before
  int drawn_width_ = 0;
};

}  // namespace talvenor

#include "system/console.hpp"

#include <algorithm>

namespace talvenor {
namespace {

constexpr double kRedrawInterval = 0.1;     // seconds
constexpr double kLongWork = 1.0;           // seconds expected before a line is worth drawing
constexpr double kReadingInterval = 0.001;  // seconds between clock readings, about

}  // namespace

ProgressLine::ProgressLine(std::FILE* stream, bool enabled, Clock clock, std::string_view what,
                           std::string_view after)
    : stream_(stream),
      enabled_(enabled),
      clock_(clock),
      what_(what),
      after_(after),
      next_draw_(kRedrawInterval) {}

ProgressLine::~ProgressLine() {
  erase();
}

void ProgressLine::update(long done, long total, std::string_view detail) {
  if (!enabled_ || done <= 0 || --countdown_ > 0) return;
  const double seconds = clock_();
  // Steps of even cost (the iterations of one run) settle the stride at about a
  // millisecond's worth of them.
  const double since = seconds - last_reading_;
  if (since < kReadingInterval) {
    stride_ *= 2;
  } else {
    stride_ =
        std::max(static_cast<long>(static_cast<double>(stride_) * kReadingInterval / since), 1L);
  }
  countdown_ = stride_;
  last_reading_ = seconds;
  if (seconds < next_draw_) return;
  next_draw_ = seconds + kRedrawInterval;
  const double expected = seconds / static_cast<double>(done) * static_cast<double>(total);
  if (drawn_width_ == 0 && expected <= kLongWork) return;
  // Steps and seconds only grow from one drawing to the next, so each text covers
  // the one before it.
  const int written = std::fprintf(stream_, "\r%.*s %ld of %ld%.*s%.*s, %.1f s",
                                   static_cast<int>(what_.size()), what_.data(), done, total,
                                   static_cast<int>(after_.size()), after_.data(),
                                   static_cast<int>(detail.size()), detail.data(), seconds);
  drawn_width_ = std::max(written - 1, 0);
  std::fflush(stream_);
}

void ProgressLine::erase() {
  if (drawn_width_ == 0) return;
  std::fprintf(stream_, "\r%*s\r", drawn_width_, "");
  std::fflush(stream_);
  drawn_width_ = 0;
}

}  // namespace talvenor

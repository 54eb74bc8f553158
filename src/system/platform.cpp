// The parts of the operating-system services that every system shares.

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>

#include "system/platform.hpp"

namespace talvenor {
namespace {

/// The longest command, counted after trimming, that run_command starts.
constexpr std::size_t kLongestCommand = 1024;

/// True for the characters that no interpreter treats specially.
bool is_plain(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '_' || c == '-' || c == '+' || c == '/' || c == ',';
}

/// The origin of wall_seconds: zero until the first call. It is tested once
/// without the lock, so it is atomic.
std::atomic<std::uint64_t> timer_origin{0};

/// Where `name` leads: its symbolic links followed (a link may lead to a file not
/// yet created), then made absolute with every folder resolved.
std::filesystem::path location(std::string_view name) {
  namespace fs = std::filesystem;
  constexpr int kMostLinks = 40;  // as many as the systems follow before they give up
  std::error_code error;
  fs::path path{std::string(name)};
  for (int link = 0; link < kMostLinks && fs::is_symlink(fs::symlink_status(path, error)); ++link) {
    const fs::path target = fs::read_symlink(path, error);
    if (error) break;
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  // Absolute first: of a relative name none of whose steps exists, weakly_canonical
  // would resolve nothing.
  path = fs::absolute(path, error).lexically_normal();
  const fs::path resolved = fs::weakly_canonical(path, error);
  return error ? path : resolved;
}

}  // namespace

bool same_file(std::string_view a, std::string_view b) {
  namespace fs = std::filesystem;
  const fs::path first = location(a);
  const fs::path second = location(b);
  std::error_code error;
  const bool first_exists = fs::exists(first, error);
  const bool second_exists = fs::exists(second, error);
  if (first_exists || second_exists) {
    return first_exists && second_exists && fs::equivalent(first, second, error);
  }
  return os::same_place(first, second);
}

Error busy_folder_error() {
  std::error_code error;
  return Error(Error::Kind::busy, "another run is working in the folder '" +
                                      std::filesystem::current_path(error).string() +
                                      "'; wait until it ends");
}

std::optional<Error> interruption() {
  const char* const name = os::noted_interruption();
  if (name == nullptr) return std::nullopt;
  return Error(Error::Kind::interrupted, "interrupted by " + std::string(name) +
                                             "; every file ends with its last whole record");
}

int run_command(std::string_view command) {
  const std::string_view text = command.substr(0, command.find_last_not_of(' ') + 1);
  if (text.size() > kLongestCommand) return -1;
  // What the run wrote so far must reach the console before the child writes to it.
  std::fflush(nullptr);
  return os::run_interpreter(text);
}

std::string quote_argument(std::string_view name) {
  if (!name.empty() && std::all_of(name.begin(), name.end(), is_plain)) return std::string(name);
  return os::quote_for_interpreter(name);
}

std::string file_argument(std::string_view name) {
  return quote_argument(os::option_proof(name));
}

void assign_zeros(std::vector<double>& array, std::size_t count) {
  std::vector<double> fresh;
  fresh.reserve(count);
  os::prepare_pages(fresh.data(), count * sizeof(double));
  fresh.assign(count, 0.0);
  array.swap(fresh);
}

double wall_seconds() {
  const std::uint64_t now = os::system_time_100ns();
  std::uint64_t origin = timer_origin.load(std::memory_order_acquire);
  if (origin == 0) {
    const os::TimerOriginLock lock;
    origin = timer_origin.load(std::memory_order_relaxed);
    if (origin == 0) {
      timer_origin.store(now, std::memory_order_release);
      return 0.0;
    }
  }
  return elapsed_seconds(origin, now);
}

double elapsed_seconds(std::uint64_t origin, std::uint64_t now) {
  constexpr std::int64_t kHalfSpan = 2147483648;  // 2^31, the span of a shifted low half
  const auto high = [](std::uint64_t count) { return static_cast<std::int64_t>(count >> 32); };
  const auto low_shifted = [](std::uint64_t count) {
    return static_cast<std::int64_t>((count & 0xFFFFFFFF) >> 1);
  };
  std::int64_t high_difference = high(now) - high(origin);
  std::int64_t low_difference = low_shifted(now) - low_shifted(origin);
  if (low_difference < 0) {
    high_difference -= 1;
    low_difference += kHalfSpan;  // clears the sign bit of the 32-bit difference
  }
  return (static_cast<double>(high_difference) * static_cast<double>(kHalfSpan) +
          static_cast<double>(low_difference)) *
         2E-7;
}

}  // namespace talvenor

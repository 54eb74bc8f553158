// The operating-system services on POSIX systems: /bin/sh stands for the command
// interpreter, and the Windows program names of the run map to programs here.

#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>

#include "system/platform.hpp"
#include "system/program.hpp"

extern char** environ;

namespace talvenor {
namespace {

/// The editor when no variable names one, as Debian chooses it: the first of
/// sensible-editor and editor found on PATH, else vi. A run without a terminal has
/// nothing to edit on: no editor (empty), and one note says so, once per process.
std::string default_editor() {
  if (isatty(STDIN_FILENO) != 1 || isatty(STDOUT_FILENO) != 1) {
    static std::atomic<bool> noted{false};
    if (!noted.exchange(true)) {
      note(
          "no editor is started: TALVENOR_EDITOR, VISUAL and EDITOR are unset and there is"
          " no terminal");
    }
    return {};
  }
  const char* const path = std::getenv("PATH");
  for (std::string_view name : {"sensible-editor", "editor"}) {
    std::string_view folders = path != nullptr ? path : "";
    for (;;) {
      const std::size_t colon = folders.find(':');
      const std::string_view folder = folders.substr(0, colon);
      // An empty entry is the working folder.
      const std::string candidate =
          std::string(folder.empty() ? std::string_view(".") : folder) + "/" + std::string(name);
      if (access(candidate.c_str(), X_OK) == 0) return std::string(name);
      if (colon == std::string_view::npos) break;
      folders.remove_prefix(colon + 1);
    }
  }
  return "vi";
}

std::string default_plotter() {
  return "gnuplot -persist";
}

/// A command name of the run that stands for a program chosen by the environment:
/// the value of the first variable that is set, else what `fallback` gives.
struct StandIn {
  std::string_view word;
  std::array<const char*, 3> variables;  // unused places are null
  std::string (*fallback)();
  bool input_from_null;  // for programs that must never wait for a terminal
};

const std::array<StandIn, 2> kStandIns{{
    {"notepad", {"TALVENOR_EDITOR", "VISUAL", "EDITOR"}, default_editor, false},
    {"wgnuplot", {"TALVENOR_PLOTTER", nullptr, nullptr}, default_plotter, true},
}};

/// The program command line that `stand_in` names now (may be empty: launch nothing).
std::string program_of(const StandIn& stand_in) {
  for (const char* variable : stand_in.variables) {
    if (variable == nullptr) break;
    if (const char* value = std::getenv(variable)) return value;
  }
  return stand_in.fallback();
}

/// True when the first word of `text` (after its leading blanks) is exactly `word`.
bool leads_with(std::string_view text, std::string_view word) {
  const std::size_t start = text.find_first_not_of(' ');
  if (start == std::string_view::npos) return false;
  const std::string_view head = text.substr(start);
  return head.starts_with(word) && (head.size() == word.size() || head[word.size()] == ' ');
}

/// Runs "/bin/sh -c text" and waits; the child's standard input is /dev/null
/// when `input_from_null`, else it inherits the run's (and thus its terminal).
int run_shell(const std::string& text, bool input_from_null) {
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return -1;
  if (input_from_null &&
      posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0) != 0) {
    posix_spawn_file_actions_destroy(&actions);
    return -1;
  }
  // posix_spawn takes its arguments as char* for the sake of C; it never writes them.
  const std::array<char*, 4> arguments{const_cast<char*>("sh"), const_cast<char*>("-c"),
                                       const_cast<char*>(text.c_str()), nullptr};
  pid_t child = 0;
  const int refused = posix_spawn(&child, "/bin/sh", &actions, nullptr, arguments.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (refused != 0) return -1;

  int status = 0;
  while (waitpid(child, &status, 0) == -1) {
    if (errno != EINTR) return -1;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

std::mutex timer_origin_mutex;

/// The signal that asked the run to stop, 0 for none; written by the handler.
std::atomic<int> noted_signal{0};
static_assert(std::atomic<int>::is_always_lock_free,
              "a signal handler may only touch lock-free atomics");

extern "C" void note_signal(int signal_number) {
  noted_signal.store(signal_number, std::memory_order_relaxed);
}

}  // namespace

namespace os {

int run_interpreter(std::string_view command) {
  for (const StandIn& stand_in : kStandIns) {
    if (!leads_with(command, stand_in.word)) continue;
    const std::string program = program_of(stand_in);
    if (program.empty()) return 0;
    const std::size_t start = command.find_first_not_of(' ');
    std::string text(command.substr(0, start));
    text += program;
    text += command.substr(start + stand_in.word.size());
    return run_shell(text, stand_in.input_from_null);
  }
  return run_shell(std::string(command), false);
}

std::string quote_for_interpreter(std::string_view name) {
  std::string quoted = "'";
  for (char c : name) {
    if (c == '\'') {
      quoted += "'\\''";  // end the quotes, an escaped quote, quotes again
    } else {
      quoted += c;
    }
  }
  quoted += '\'';
  return quoted;
}

std::string option_proof(std::string_view name) {
  if (name.starts_with('-') || name.starts_with('+')) return "./" + std::string(name);
  return std::string(name);
}

bool same_place(const std::filesystem::path& a, const std::filesystem::path& b) {
  return a == b;
}

void prepare_pages(void* start, std::size_t bytes) {
  // The advice covers whole pages: those wholly inside the array.
  const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto first = (reinterpret_cast<std::uintptr_t>(start) + page - 1) / page * page;
  const auto end = (reinterpret_cast<std::uintptr_t>(start) + bytes) / page * page;
  if (first >= end) return;
  [[maybe_unused]] void* const pages = reinterpret_cast<void*>(first);
  [[maybe_unused]] const std::size_t length = end - first;
#ifdef MADV_HUGEPAGE
  madvise(pages, length, MADV_HUGEPAGE);
#endif
#ifdef MADV_POPULATE_WRITE
  // Refused (an older kernel, or no memory now), the pages are mapped one fault at
  // a time as they are written.
  madvise(pages, length, MADV_POPULATE_WRITE);
#endif
}

std::uint64_t system_time_100ns() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  const auto milliseconds = static_cast<std::uint64_t>(now.tv_sec) * 1000 +
                            static_cast<std::uint64_t>(now.tv_nsec / 1000000);
  return milliseconds * 10000;
}

const char* noted_interruption() {
  switch (noted_signal.load(std::memory_order_relaxed)) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    default:
      return nullptr;
  }
}

TimerOriginLock::TimerOriginLock() {
  timer_origin_mutex.lock();
}
TimerOriginLock::~TimerOriginLock() {
  timer_origin_mutex.unlock();
}

}  // namespace os

// The editor's command line is a shell command line like any other.
std::string editor_argument(std::string_view file) {
  return file_argument(file);
}

void defer_interruptions() {
  struct sigaction action {};
  action.sa_handler = note_signal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a read of the console returns, the run goes on to stop
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

FolderGuard::FolderGuard() : handle_(open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
  // A folder that cannot be opened is not guarded: its files fail on their own.
  if (handle_ < 0 || flock(static_cast<int>(handle_), LOCK_EX | LOCK_NB) == 0) return;
  const int error = errno;
  close(static_cast<int>(handle_));
  handle_ = -1;
  if (error == EWOULDBLOCK) throw busy_folder_error();
}

FolderGuard::~FolderGuard() {
  if (handle_ >= 0) close(static_cast<int>(handle_));  // the lock goes with the descriptor
}

std::optional<std::uint64_t> available_memory() {
  std::ifstream meminfo("/proc/meminfo");
  std::string line;
  while (std::getline(meminfo, line)) {
    std::istringstream fields(line);
    std::string key;
    std::uint64_t kibibytes = 0;
    std::string unit;
    if (fields >> key >> kibibytes >> unit && key == "MemAvailable:" && unit == "kB") {
      return kibibytes * 1024;
    }
  }
  return std::nullopt;
}

bool stderr_is_terminal() {
  return isatty(STDERR_FILENO) == 1;
}

}  // namespace talvenor

// Commands run in folders on POSIX systems: /bin/sh -c in a process group of its own.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <thread>

#include "system/platform.hpp"
#include "system/subprocess.hpp"

extern char** environ;

namespace talvenor {
namespace {

using Clock = std::chrono::steady_clock;

/// How long a group asked to end (SIGTERM) has before it is killed (SIGKILL).
constexpr auto kGrace = std::chrono::seconds(1);
/// The longest pause between two looks at a running command.
constexpr auto kLongestPause = std::chrono::milliseconds(20);
constexpr mode_t kFileMode = 0644;

/// The file actions and attributes of a spawn, released however the spawn goes.
struct SpawnSetup {
  posix_spawn_file_actions_t actions{};
  posix_spawnattr_t attributes{};
  SpawnSetup() {
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;
};

/// Starts the interpreter in `launch.folder`, the leader of a new process group whose
/// id is its process id; returns that id, or -1 with `error` set.
pid_t spawn(const CommandLaunch& launch, int& error) {
  SpawnSetup setup;
  constexpr int kWrite = O_WRONLY | O_CREAT | O_TRUNC;
  // The folder first: the files are opened in it.
  error = posix_spawn_file_actions_addchdir_np(&setup.actions, launch.folder.c_str());
  if (error == 0) error = posix_spawn_file_actions_addopen(&setup.actions, STDIN_FILENO,
                                                           "/dev/null", O_RDONLY, 0);
  if (error == 0) error = posix_spawn_file_actions_addopen(
                      &setup.actions, STDOUT_FILENO, launch.output_file.c_str(), kWrite, kFileMode);
  if (error == 0) error = posix_spawn_file_actions_addopen(
                      &setup.actions, STDERR_FILENO, launch.error_file.c_str(), kWrite, kFileMode);
  // The handlers of the study's interruptions are not the command's.
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGTERM);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&setup.attributes, &defaults);
  posix_spawnattr_setsigmask(&setup.attributes, &none);
  posix_spawnattr_setpgroup(&setup.attributes, 0);
  posix_spawnattr_setflags(&setup.attributes,
                           POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  if (error != 0) return -1;
  // posix_spawn takes its arguments as char* for the sake of C; it never writes them.
  const std::array<char*, 4> arguments{const_cast<char*>("sh"), const_cast<char*>("-c"),
                                       const_cast<char*>(launch.command.c_str()), nullptr};
  pid_t child = -1;
  error = posix_spawn(&child, "/bin/sh", &setup.actions, &setup.attributes, arguments.data(),
                      environ);
  return error == 0 ? child : -1;
}

/// The status of `child` when it has ended (reaped), else nothing.
std::optional<int> reap(pid_t child, bool block) {
  int status = 0;
  for (;;) {
    const pid_t ended = waitpid(child, &status, block ? 0 : WNOHANG);
    if (ended == child) return status;
    if (ended == 0 || errno != EINTR) return std::nullopt;
  }
}

CommandEnd end_of(int status) {
  if (WIFSIGNALED(status)) return {CommandEnd::Kind::signalled, WTERMSIG(status)};
  return {CommandEnd::Kind::exited, WEXITSTATUS(status)};
}

/// Ends the group of `leader`: SIGTERM, then SIGKILL to whatever is left after the
/// leader has ended or the grace has passed; the leader is reaped.
void end_group(pid_t leader) {
  kill(-leader, SIGTERM);
  const Clock::time_point limit = Clock::now() + kGrace;
  bool reaped = false;
  while (!(reaped = reap(leader, false).has_value()) && Clock::now() < limit) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  kill(-leader, SIGKILL);
  if (!reaped) reap(leader, true);
}

}  // namespace

CommandEnd run_in_folder(const CommandLaunch& launch) {
  int error = 0;
  const pid_t leader = spawn(launch, error);
  if (leader < 0) return {CommandEnd::Kind::not_started, error};
  const Clock::time_point start = Clock::now();
  auto pause = std::chrono::milliseconds(1);
  for (;;) {
    if (const std::optional<int> status = reap(leader, false)) {
      kill(-leader, SIGKILL);  // what the command left running in the background
      return end_of(*status);
    }
    if (interruption()) {
      end_group(leader);
      return {CommandEnd::Kind::interrupted, 0};
    }
    if (launch.timeout &&
        std::chrono::duration<double>(Clock::now() - start).count() > *launch.timeout) {
      end_group(leader);
      return {CommandEnd::Kind::timed_out, 0};
    }
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, kLongestPause);
  }
}

}  // namespace talvenor

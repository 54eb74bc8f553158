#pragma once

// A command line run through the command interpreter in a folder of its own, its
// output kept in files there, in a process group of its own that can be ended whole.

#include <filesystem>
#include <optional>
#include <string>

namespace talvenor {

/// How a command ended.
struct CommandEnd {
  enum class Kind {
    exited,       ///< `code` is its exit status
    signalled,    ///< killed by signal `code` (POSIX)
    timed_out,    ///< ran longer than its timeout; its process group was ended
    interrupted,  ///< the study was interrupted; its process group was ended
    not_started,  ///< no process could be created; `code` is the system's error number
  };
  Kind kind = Kind::not_started;
  int code = 0;

  bool succeeded() const { return kind == Kind::exited && code == 0; }
};

/// "status 3", "signal 11", "timed out after 2 s", "interrupted", "not started
/// (error 2)": how a note names the end.
std::string describe(const CommandEnd& end, std::optional<double> timeout);

/// What to run and where.
struct CommandLaunch {
  std::string command;           ///< given to the interpreter as it is
  std::filesystem::path folder;  ///< the working folder; it must exist
  /// The command's standard output and error go to these files of `folder`
  /// (created, or emptied); its standard input is the null device.
  std::string output_file = "stdout.txt";
  std::string error_file = "stderr.txt";
  std::optional<double> timeout;  ///< seconds; none: no limit
};

/// Runs `launch.command` through the interpreter and waits for it: POSIX
/// "/bin/sh -c COMMAND", Windows "%COMSPEC% /c COMMAND" ("cmd.exe" when COMSPEC is
/// unset or empty). The command runs in a process group of its own (POSIX: its own
/// group, ended with kill(-group); Windows: a job object that ends every process
/// of it when closed), so that the whole group ends when the command times out,
/// when the study is interrupted (an interruption noted after defer_interruptions),
/// and also when the interpreter itself ends: a process the command left in the
/// background does not outlive it. POSIX ends a group with SIGTERM, then SIGKILL
/// after a second's grace. Several threads may each run a command at once.
///   run_in_folder({"exit 3", "runs/N20"}) -> {exited, 3}, runs/N20/stdout.txt empty
///   run_in_folder({"sleep 9", "runs/N20", ..., 0.5}) -> {timed_out, 0} after 0.5 s
CommandEnd run_in_folder(const CommandLaunch& launch);

}  // namespace talvenor

#pragma once

// The operating-system services of the run. What every system shares (trimming
// and the length limit of commands, the plain-name test, the timer arithmetic)
// lives in platform.cpp; the few primitives below it are implemented once for
// POSIX (platform_posix.cpp) and once for Windows (platform_windows.cpp). No
// other source file includes a platform header.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "system/error.hpp"

namespace talvenor {

/// Runs `command` through the command interpreter and waits for it to end.
/// Only the text up to its last non-blank character is the command; leading
/// blanks stay. Returns the interpreter's exit code, or -1 when nothing could be
/// started: a trimmed command longer than 1024 characters, an interpreter name
/// longer than 260 characters, or a process that cannot be created. Prints
/// nothing but the note below.
///
/// Windows: "%COMSPEC% /c command" (COMSPEC missing or empty: "cmd.exe").
/// POSIX: "/bin/sh -c command", where a leading word "notepad" stands for the
/// editor (TALVENOR_EDITOR, else VISUAL, else EDITOR) and "wgnuplot" for the
/// plotter (TALVENOR_PLOTTER, else "gnuplot -persist"), which reads its standard
/// input from /dev/null. The first of those variables that is set decides; one
/// that is set but empty launches nothing and returns 0. With none of the editor's
/// set, the editor is Debian's choice (sensible-editor, else editor, else vi) when
/// standard input and output are a terminal; without one nothing is launched, 0 is
/// returned and the first such launch writes one note line on standard error. A
/// child killed by a signal gives 128 + the signal number.
///   run_command("notepad teste1.txt.itn" + 68 blanks) -> runs "$EDITOR teste1.txt.itn"
int run_command(std::string_view command);

/// `name` ready to stand as one argument of a command line: unchanged when it holds
/// only letters, digits and . _ - + / , (so plain names give plain commands), else
/// quoted for the interpreter so that no character of it is interpreted.
///   quote_argument("teste1.txt") -> "teste1.txt"
///   quote_argument("caso 1") -> "'caso 1'" (POSIX), "\"caso 1\"" (Windows)
std::string quote_argument(std::string_view name);

/// The file `name` as one argument of a command line that no program reads as an
/// option: on POSIX a name beginning with - or + is written ./name (vim takes
/// "+cmd" as a command to run); Windows command lines keep the name as it is. Then
/// quote_argument.
///   file_argument("teste1.txt") -> "teste1.txt"
///   file_argument("+!touch X") -> "'./+!touch X'" (POSIX), "\"+!touch X\"" (Windows)
std::string file_argument(std::string_view name);

/// True when `a` and `b` name the same file, however each is written: through
/// symbolic links, ".." steps, an absolute or a relative path. Files that exist are
/// the same when they are one file of the system (device and inode on POSIX); a
/// file that does not exist yet is where it would be created: its folder, resolved,
/// and its final name (on Windows without regard to case). In the folder /w:
///   same_file("../w/Talvenor.in", "Talvenor.in") -> true
///   same_file("/w/Talvenor_u.png", "Talvenor_u.png") -> true, before the picture exists
bool same_file(std::string_view a, std::string_view b);

/// `file` as the editor's command line takes it. POSIX: file_argument(file), as for
/// any program. Windows: notepad takes its whole tail as the one name, so the name
/// stays as written unless it holds a character that cmd.exe acts on
/// (& | < > ^ ( ) % "), which could start another program; then it is quoted.
///   editor_argument("caso 1.itn") -> "'caso 1.itn'" (POSIX), "caso 1.itn" (Windows)
///   editor_argument("a&calc") -> "'a&calc'" (POSIX), "\"a&calc\"" (Windows)
///   editor_argument("-x") -> "./-x" (POSIX), "-x" (Windows)
std::string editor_argument(std::string_view file);

/// Wall-clock seconds since the first call, which returns exactly 0 and fixes the
/// origin. UTC at millisecond resolution; setting the clock back gives smaller,
/// possibly negative, results. Safe to call from several threads.
double wall_seconds();

/// The seconds from `origin` to `now`, both counts of 100-ns units, as wall_seconds
/// reckons them: from the 32-bit halves, each low half shifted right by one bit,
/// a borrow taken from the high difference when the low difference is negative,
/// then (high difference * 2147483648 + low difference) * 2E-7.
///   elapsed_seconds(0x1'FFFFFFF0, 0x2'00000010) -> 3.2e-06 (a borrow)
///   elapsed_seconds(t, t + 15'000'000) -> 1.5
double elapsed_seconds(std::uint64_t origin, std::uint64_t now);

/// Bytes of memory the system can give the process now without swapping
/// (Linux: MemAvailable; Windows: available physical memory), or nothing when
/// the system does not say.
std::optional<std::uint64_t> available_memory();

/// Makes `array` hold `count` zeros, in fresh storage that the system is first
/// asked to back with large pages and to map at once, where it offers that (Linux:
/// transparent huge pages, populating madvise): written for the first time one
/// 4 KiB page fault at a time, the arrays of a mesh of 10^6 nodes cost 20,000
/// faults, a large share of a short run. Throws what the vector's allocation throws.
void assign_zeros(std::vector<double>& array, std::size_t count);

/// True when the standard error stream is a terminal (progress lines are drawn only then).
bool stderr_is_terminal();

/// Holds the working folder for this process from construction to destruction: a
/// run started there meanwhile stops at once, Error (busy):
///   "another run is working in the folder '/w'; wait until it ends"
/// The guard creates no file and locks no file, so it leaves nothing behind and an
/// editor may still save the case file. POSIX: an advisory lock (flock) on the
/// folder itself, never handed to the commands the run starts; a file system that
/// keeps no such locks leaves the run unguarded. Windows: a mutex named after the
/// folder's full path.
class FolderGuard {
 public:
  FolderGuard();
  ~FolderGuard();
  FolderGuard(const FolderGuard&) = delete;
  FolderGuard& operator=(const FolderGuard&) = delete;

 private:
  std::intptr_t handle_;  // the folder's descriptor, the mutex's handle; -1 for none
};

/// The Error of a folder that another run holds (see FolderGuard).
Error busy_folder_error();

/// From now on an interruption (POSIX: SIGINT, SIGTERM; Windows: Ctrl+C,
/// Ctrl+Break) no longer ends the process in the middle of whatever it writes: it
/// is noted, and the run stops at its next record (TextFile) or when its program
/// ends (run_program), with the Error of interruption(). A read of the console
/// that the interruption breaks fails at once rather than waiting on.
void defer_interruptions();

/// The Error (interrupted) of the interruption noted since defer_interruptions, or nothing:
///   "interrupted by SIGTERM; every file ends with its last whole record"
std::optional<Error> interruption();

/// The primitives each platform file provides for platform.cpp; nothing else calls them.
namespace os {

/// Runs `command` (already trimmed, at most 1024 characters) through the
/// interpreter, waits for it and returns its exit code, or -1 when no process
/// could be run.
int run_interpreter(std::string_view command);

#ifdef _WIN32
/// The interpreter of command lines: COMSPEC, or "cmd.exe" when it is unset or
/// empty; nothing when COMSPEC is longer than 260 characters.
std::optional<std::string> interpreter_name();
#endif

/// `name`, which is not a plain name, quoted so that the interpreter takes every
/// character of it literally and the program receives it as one argument.
std::string quote_for_interpreter(std::string_view name);

/// `name` unchanged, or written so that it no longer begins like an option
/// (POSIX: ./ in front of a leading - or +).
std::string option_proof(std::string_view name);

/// True when `a` and `b`, absolute and resolved, are one place of the file system:
/// equal, on Windows without regard to case.
bool same_place(const std::filesystem::path& a, const std::filesystem::path& b);

/// Asks the system to back the `bytes` bytes at `start`, not yet written, with
/// large pages and to map them all now rather than one page fault at a time; only
/// advice: nothing happens where the system has no such advice.
void prepare_pages(void* start, std::size_t bytes);

/// The system time (UTC) as a count of 100-ns units since the system's epoch,
/// moving in whole milliseconds (steps of 10,000 units).
std::uint64_t system_time_100ns();

/// The name of the interruption noted since defer_interruptions ("SIGINT",
/// "Ctrl+C"), or null when there was none. Safe from any thread.
const char* noted_interruption();

/// Holds the lock that guards the timer origin from construction to destruction.
/// The lock itself exists from the start of the program.
class TimerOriginLock {
 public:
  TimerOriginLock();
  ~TimerOriginLock();
  TimerOriginLock(const TimerOriginLock&) = delete;
  TimerOriginLock& operator=(const TimerOriginLock&) = delete;
};

}  // namespace os

}  // namespace talvenor

#pragma once

// The operating-system services of the run. Implemented once for POSIX
// (platform_posix.cpp) and once for Windows (platform_windows.cpp); no other
// source file includes a platform header.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace talvenor {

/// Runs `command` through the command interpreter and waits for it to end.
/// Only the text up to its last non-blank character is the command; leading
/// blanks stay. Returns the interpreter's exit code, or -1 when nothing could be
/// started: a trimmed command longer than 1024 characters, an interpreter name
/// longer than 260 characters, or a process that cannot be created. Prints nothing.
///
/// Windows: "%COMSPEC% /c command" (COMSPEC missing or empty: "cmd.exe").
/// POSIX: "/bin/sh -c command", where a leading word "notepad" stands for the
/// editor (TALVENOR_EDITOR, else VISUAL, else EDITOR, else notepad) and
/// "wgnuplot" for the plotter (TALVENOR_PLOTTER, else gnuplot). A variable that
/// is set but empty launches nothing and returns 0.
///   run_command("notepad teste1.txt.itn" + 68 blanks) -> runs "$EDITOR teste1.txt.itn"
int run_command(std::string_view command);

/// `name` ready to stand as one argument of a command line: unchanged when it holds
/// only letters, digits and . _ - + / , (so plain names give plain commands), else
/// quoted for the interpreter so that no character of it is interpreted.
///   quote_argument("teste1.txt") -> "teste1.txt"
///   quote_argument("caso 1") -> "'caso 1'" (POSIX), "\"caso 1\"" (Windows)
std::string quote_argument(std::string_view name);

/// Wall-clock seconds since the first call, which returns exactly 0 and fixes the
/// origin. UTC at millisecond resolution; setting the clock back gives smaller,
/// possibly negative, results. Safe to call from several threads.
double wall_seconds();

/// Bytes of memory the system can give the process now without swapping
/// (Linux: MemAvailable; Windows: available physical memory), or nothing when
/// the system does not say.
std::optional<std::uint64_t> available_memory();

/// True when the standard error stream is a terminal (progress lines are drawn only then).
bool stderr_is_terminal();

}  // namespace talvenor

#pragma once

#include <functional>
#include <string_view>

namespace talvenor {

/// The shell of each of the project's programs: runs `body`, the whole program,
/// and returns the process's exit status. Every failure that reaches it ends as one
/// line on the standard error stream, "name: " and what failed, and a status:
///   Error (see error.hpp) -> its message and its kind's status, e.g.
///     "talvenor: Talvenor.in (unit 7) line 4 (N): expected an integer, found 'abc'", 1
///   an allocation that fails -> "talvenor: out of memory", 4
///   anything else thrown -> "talvenor: unexpected failure: " + what(), 6
///   an interruption noted meanwhile (defer_interruptions) -> interruption(), whatever
///     else failed, e.g. "talvenor: interrupted by SIGINT; every file ends with its
///     last whole record", 8
/// `body` returning is status 0. Warnings (warn) carry the same name.
int run_program(std::string_view name, const std::function<void()>& body);

/// Writes name + ": warning: " + text as one line on the standard error stream,
/// with the name of the program that run_program runs ("talvenor" before it runs).
///   warn("itmax = 0 is below 1") -> "talvenor: warning: itmax = 0 is below 1"
void warn(std::string_view text);

/// Writes name + ": note: " + text as one line on the standard error stream: news
/// that changes nothing of the run, such as a launch that does not happen.
///   note("no editor is started: ...") -> "talvenor: note: no editor is started: ..."
void note(std::string_view text);

}  // namespace talvenor

#pragma once

#include <stdexcept>
#include <string>

namespace talvenor {

/// The one way a run fails. Raised where the failure happens and caught once, in
/// main, which prints "talvenor: " + what() as a single line on the standard error
/// stream and exits with status(). The message names what failed and what a person
/// can do about it: "Talvenor.in (unit 7) line 4 (N): expected an integer, found 'abc'".
/// Files close through their destructors while the error travels, so every record
/// written before the failure is complete on disk.
class Error : public std::runtime_error {
 public:
  /// What kind of failure ended the run; the kind is the exit status.
  enum class Kind {
    case_file = 1,    ///< the case file could not be read, or holds a value the run cannot use
    usage = 2,        ///< a bad command-line option (the study program)
    file = 3,         ///< an output file or plot template could not be opened, read or written
    memory = 4,       ///< the mesh does not fit in memory
    arithmetic = 5,   ///< a floating-point division by zero, invalid operation or overflow
    unexpected = 6,   ///< any other exception that reaches main: a failure not foreseen
    busy = 7,         ///< another run is working in the same folder
    interrupted = 8,  ///< the run was asked to stop (Ctrl+C, SIGINT, SIGTERM)
    /// a verification campaign of the study program found a cell FAILED: its files are
    /// complete, and the status lets a CI job use the campaign as a gate
    verification = 9,
  };

  Error(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}

  Kind kind() const { return kind_; }
  int status() const { return static_cast<int>(kind_); }

 private:
  Kind kind_;
};

}  // namespace talvenor

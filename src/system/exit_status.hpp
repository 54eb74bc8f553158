#pragma once

// The exit statuses of the project's programs: the one list that the help texts, the
// manual pages and the user guide's status table are checked against
// (tests/docs/exit_status_docs_test.cpp). A status a program starts to use is marked
// here first; the test then asks for it in that program's help and manual page.

#include <array>
#include <string_view>
#include <utility>

#include "system/error.hpp"

namespace talvenor {

/// Which programs end with a status (bits, so one status may belong to both).
enum ProgramBits : unsigned {
  kTalvenorBit = 1,
  kStudyBit = 2,
  kBothBits = kTalvenorBit | kStudyBit,
};

/// One exit status: its number, its name (the Error::Kind it ends, "success" for 0),
/// what it means and the programs that end with it.
struct ExitStatus {
  int number;
  std::string_view name;
  std::string_view meaning;
  unsigned programs;
};

/// Every status in number order: kExitStatuses[n].number == n.
///   kExitStatuses[2].name -> "usage", a talvenor-study status only
inline constexpr std::array<ExitStatus, 10> kExitStatuses = {{
    {0, "success", "the run or study completed (a campaign: with no FAILED cell)", kBothBits},
    {1, "case_file", "the case file could not be read, or holds a value that cannot be used",
     kBothBits},
    {2, "usage", "a bad command-line option or value", kStudyBit},
    {3, "file", "a file could not be opened, read or written", kBothBits},
    {4, "memory", "the mesh, or the meshes run at once, do not fit in memory", kBothBits},
    {5, "arithmetic", "a floating-point division by zero, invalid operation or overflow",
     kTalvenorBit},
    {6, "unexpected", "a failure not foreseen; the files are complete up to it", kBothBits},
    {7, "busy", "another run is working in the same folder; nothing was touched", kBothBits},
    {8, "interrupted", "interrupted (SIGINT, SIGTERM); every file ends with a whole record",
     kBothBits},
    {9, "verification", "a verification gate found a cell FAILED (or, under --require verified, one"
     " not verified); its files are complete",
     kStudyBit},
}};

/// The status of each kind of Error is its entry's number.
constexpr bool statuses_match_kinds() {
  constexpr std::pair<Error::Kind, std::string_view> kKinds[] = {
      {Error::Kind::case_file, "case_file"},
      {Error::Kind::usage, "usage"},
      {Error::Kind::file, "file"},
      {Error::Kind::memory, "memory"},
      {Error::Kind::arithmetic, "arithmetic"},
      {Error::Kind::unexpected, "unexpected"},
      {Error::Kind::busy, "busy"},
      {Error::Kind::interrupted, "interrupted"},
      {Error::Kind::verification, "verification"}};
  for (std::size_t n = 0; n < kExitStatuses.size(); ++n) {
    if (kExitStatuses[n].number != static_cast<int>(n)) return false;
  }
  for (const auto& [kind, name] : kKinds) {
    if (kExitStatuses[static_cast<std::size_t>(kind)].name != name) return false;
  }
  return true;
}
static_assert(statuses_match_kinds(), "one entry per status, in number order, named by its kind");

}  // namespace talvenor

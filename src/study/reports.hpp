#pragma once

// The one road out of every study: the list of its reports, each checked before the
// study computes, written from the StudyOutcome, named on the "written:" line, and the
// FAILED gate once at the end. A new report is one entry in that list.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "study/outcome.hpp"
#include "textio/text_file.hpp"

namespace talvenor {

/// One report: the file PREFIX + suffix (the --junit file where the suffix is empty),
/// the role failure reports name, the studies that write it, what it holds (the help
/// lists it), whether this study wants it, and its records; no records: the picture,
/// drawn by the plotter from the script before it.
struct Report {
  std::string_view suffix;
  std::string_view role;
  unsigned modes;
  std::string_view description;
  bool (*wanted)(const StudyOutcome& outcome);
  std::vector<std::string> (*records)(const StudyOutcome& outcome);
  /// Written by a streamed study (StudyOutcome::streamed) as its variables pass, through
  /// open_streamed, rather than from the outcome at the end: PREFIX.csv.
  bool streams = false;
};

/// Every report, in the order they are written and named.
std::span<const Report> reports();

/// What combination number `index` (from 0) of a campaign gives the reports, made on
/// the thread that analysed it: its verdicts (judge_group, set in `group`), its graded
/// values, its block of the CSV file and its section of the HTML report.
FinishedGroup finish_group(const StudyOutcome& outcome, std::size_t index, Combination& group);

/// Checks every file that `outcome` (its mode, prefix and options set, nothing
/// computed) would write, before any mesh runs: none may be a fixed file of talvenor or
/// `source` (the data file, when there is one), and each must be possible to create.
/// Throws Error (usage, file) for the first that fails.
void check_reports(const StudyOutcome& outcome, const std::string& source = {});

/// The report that a streamed study writes as its variables pass, opened to be put
/// in place whole by close() (nothing is left of it when the study stops before).
TextFile open_streamed(const StudyOutcome& outcome);

/// The terminal's table (a streamed study's end of it: its blocks went out as the
/// variables passed), then every report wanted, then the line "written: ..." naming
/// the files; Error (verification) after them when a variable or cell is FAILED, or,
/// under --require verified, not verified or exact.
void deliver(const StudyOutcome& outcome);

}  // namespace talvenor

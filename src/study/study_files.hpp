#pragma once

// The files a study writes, checked before it computes anything, and its picture.

#include <string>
#include <string_view>

namespace talvenor {

/// Checks a file the study will write before any mesh runs: it may not be a fixed file
/// of talvenor (the case file, a template, the data file, a picture), and, when it is
/// written by the study itself (`create`), it must be possible to create.
void check_study_file(const std::string& name, std::string_view role, bool create);

/// The kinds of study, and the one run that is none (--source), as bits: an option or
/// a report names the kinds it belongs to.
enum StudyMode : unsigned {
  kCaseStudy = 1,  ///< talvenor's case on a sequence of meshes
  kCampaign = 2,   ///< --sweep, or two --solution: every combination of the values
  kDataStudy = 4,  ///< --data: a file's numbers
  kRunStudy = 8,   ///< --run: a user's command on each mesh, each combination of its --sweep
  kEveryStudy = kCaseStudy | kCampaign | kDataStudy | kRunStudy,
  kTalvenorCase = kCaseStudy | kCampaign,  ///< the studies of Talvenor.in
  kUsersValues = kDataStudy | kRunStudy,   ///< the studies of a user's own numbers
  kSourceCode = 16,  ///< --source: a solution's code printed, no study
};

/// How --table writes the study's table for a paper: PREFIX.md or PREFIX.tex.
enum class PaperTable { none, markdown, latex };

/// Draws PREFIX.png from the script when a plotter can be run; says whether it exists.
bool draw_plot(const std::string& script, const std::string& png);

/// Threads when --jobs does not say: one per core.
int default_jobs();

}  // namespace talvenor

#pragma once

// The files a study writes, checked before it computes anything, and its picture.

#include <string>
#include <string_view>

namespace talvenor {

/// Checks a file the study will write before any mesh runs: it may not be a fixed file
/// of talvenor (the case file, a template, the data file, a picture), and, when it is
/// written by the study itself (`create`), it must be possible to create.
void check_study_file(const std::string& name, std::string_view role, bool create);

/// The files a study writes: PREFIX.csv, PREFIX-estimators.csv, PREFIX.gnu and the
/// PREFIX.png it draws.
struct StudyFiles {
  std::string csv, estimators, script, png;
};
inline constexpr std::string_view kTableRole = "study table";
inline constexpr std::string_view kEstimatorsTable = "estimators table";
inline constexpr std::string_view kEstimatorsSuffix = "-estimators.csv";
inline constexpr std::string_view kScriptRole = "study plot script";
inline constexpr std::string_view kJunitRole = "JUnit report";

/// The study's files, checked before any mesh runs.
StudyFiles study_files(const std::string& prefix);

/// Draws PREFIX.png from the script when a plotter can be run; says whether it exists.
bool draw_plot(const std::string& script, const std::string& png);

/// Threads when --jobs does not say: one per core.
int default_jobs();

}  // namespace talvenor

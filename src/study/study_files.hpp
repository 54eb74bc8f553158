#pragma once

// The files a study writes, checked before it computes anything, and its picture.

#include <array>
#include <string>
#include <string_view>

namespace talvenor {

/// Checks a file the study will write before any mesh runs: it may not be a fixed file
/// of talvenor (the case file, a template, the data file, a picture), and, when it is
/// written by the study itself (`create`), it must be possible to create.
void check_study_file(const std::string& name, std::string_view role, bool create);

/// The kinds of study, as bits: an option or a file names the kinds it belongs to.
enum StudyMode : unsigned {
  kCaseStudy = 1,  ///< talvenor's case on a sequence of meshes
  kCampaign = 2,   ///< --sweep: every combination of the swept values
  kDataStudy = 4,  ///< --data: a file's numbers
  kEveryStudy = kCaseStudy | kCampaign | kDataStudy,
};

/// A file a study writes as PREFIX + suffix: the role that failure reports name, the
/// studies that write it and what it holds (the help lists them from here).
struct OutputFile {
  std::string_view suffix;
  std::string_view role;
  unsigned modes;
  std::string_view description;
};

inline constexpr std::array<OutputFile, 6> kOutputFiles = {{
    {".csv", "study table", kCaseStudy | kDataStudy,
     "the table with full 17-digit numbers and the notes"},
    {".csv", "campaign table", kCampaign,
     "every row of every study, the combination first and the verdict last"},
    {"-estimators.csv", "estimators table", kEveryStudy,
     "the audit of the estimators against the exact errors (a data study: with exact values)"},
    {".gnu", "study plot script", kCaseStudy | kDataStudy,
     "a gnuplot script of |E| (or of the differences) against h on log-log axes, reference"
     " slopes 1 and 2, flagged points hollow"},
    {".png", "study plot", kCaseStudy | kDataStudy,
     "the picture of the script, drawn when gnuplot can be run"},
    {".html", "campaign report", kCampaign,
     "the verdict matrix and a log-log plot per combination, for any browser, offline"},
}};

/// The files a study writes: PREFIX.csv, PREFIX-estimators.csv, PREFIX.gnu and the
/// PREFIX.png it draws.
struct StudyFiles {
  std::string csv, estimators, script, png;
};
inline constexpr std::string_view kTableRole = kOutputFiles[0].role;
inline constexpr std::string_view kEstimatorsTable = kOutputFiles[2].role;
inline constexpr std::string_view kEstimatorsSuffix = kOutputFiles[2].suffix;
inline constexpr std::string_view kScriptRole = kOutputFiles[3].role;
inline constexpr std::string_view kJunitRole = "JUnit report";

/// The study's files, checked before any mesh runs.
StudyFiles study_files(const std::string& prefix);

/// Draws PREFIX.png from the script when a plotter can be run; says whether it exists.
bool draw_plot(const std::string& script, const std::string& png);

/// Threads when --jobs does not say: one per core.
int default_jobs();

}  // namespace talvenor

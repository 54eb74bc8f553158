#pragma once

// The names of the files a run reads and writes in its working folder.

#include <array>
#include <string>
#include <string_view>

#include "record/variaveis.hpp"

namespace talvenor {

/// The case file of every run.
inline constexpr std::string_view kCaseFile = "Talvenor.in";
/// The column data file of the plots.
inline constexpr std::string_view kDataFile = "Talvenor_u.dat";

/// A plot: its script template, stamped by the run, and the picture the template
/// draws when there is no screen.
struct PlotFiles {
  std::string_view script;
  std::string_view picture;
};
inline constexpr PlotFiles kSolutionPlot = {"Talvenor_u.gnu", "Talvenor_u.png"};
inline constexpr PlotFiles kErrorPlot = {"Talvenor_E.gnu", "Talvenor_E.png"};

/// Every file of the working folder whose name is fixed: none of them may be
/// replaced by a listing, a log or a study's output.
inline constexpr std::array<std::string_view, 6> kFixedFiles = {
    kCaseFile,         kDataFile, kSolutionPlot.script, kErrorPlot.script, kSolutionPlot.picture,
    kErrorPlot.picture};

/// The iteration log: caso without its trailing blanks, then ".itn".
///   log_name(caso "teste1.txt") -> "teste1.txt.itn"
inline std::string log_name(const CaseData& data) {
  return std::string(data.caso.trimmed()) + ".itn";
}

}  // namespace talvenor

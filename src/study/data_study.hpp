#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/verdict.hpp"
#include "study/options.hpp"
#include "study/study_files.hpp"

namespace talvenor {

/// A study of variables from anyone's values (a data file, a user's command).
struct VariableReport {
  std::string subject;  ///< whose values: "runs.csv", the command, printable
  std::string head;     ///< the first line of the table
  std::vector<VariableStudy> studies;
  std::vector<Verdict> verdicts;  ///< one per study, or none
  std::optional<double> formal;   ///< the one formal order, when there is one
  bool formal_known = false;      ///< every study had a formal order
  bool has_errors = false;        ///< exact values or errors exist
  std::vector<std::string> notes; ///< lines after the table
};

/// The table and `notes` on the standard output, the audit where errors exist,
/// PREFIX.csv, PREFIX.gnu, the PREFIX.png it draws and the --junit file; Error
/// (verification) after writing them when a variable is FAILED.
void report_variables(const VariableReport& report, const StudyFiles& files,
                      const StudyOptions& options);

/// The study of --data FILE: the file read whole first (a bad one stops the study
/// with nothing written), then the table on the standard output, PREFIX.csv,
/// PREFIX.gnu, the PREFIX.png it draws and the --junit file; with --formal-order,
/// Error (verification) after writing them when a variable is FAILED. PREFIX is
/// --output, else the file's name without folder and extension, then "-study".
void run_data_study(const StudyOptions& options);

}  // namespace talvenor

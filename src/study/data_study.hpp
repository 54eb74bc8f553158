#pragma once

#include "study/options.hpp"

namespace talvenor {

/// The study of --data FILE: the file read whole first (a bad one stops the study
/// with nothing written), then the table on the standard output, PREFIX.csv,
/// PREFIX.gnu, the PREFIX.png it draws and the --junit file; with --formal-order,
/// Error (verification) after writing them when a variable is FAILED. PREFIX is
/// --output, else the file's name without folder and extension, then "-study".
void run_data_study(const StudyOptions& options);

}  // namespace talvenor

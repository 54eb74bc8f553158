#pragma once

#include "study/options.hpp"

namespace talvenor {

/// The study of --data FILE: the file read whole first (a bad one stops the study
/// with nothing written), then each variable analysed and written in turn (its block
/// of the table on the standard output, its rows into PREFIX.csv, put in place whole
/// at the end), then PREFIX.gnu (the first kPlottedVariables), the PREFIX.png it
/// draws and the --junit file; an interruption stops it within a row of a variable,
/// every file complete or as it was. With --formal-order,
/// Error (verification) after writing them when a variable is FAILED. PREFIX is
/// --output, else the file's name without folder and extension, then "-study".
void run_data_study(const StudyOptions& options);

}  // namespace talvenor

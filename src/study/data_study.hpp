#pragma once

#include "study/options.hpp"

namespace talvenor {

/// The study of --data FILE: the file read whole first (a bad one stops the study
/// with nothing written), then each variable analysed, judged and graded in turn and
/// written at once (its block of the table on the standard output, its rows into
/// PREFIX.csv, put in place whole at the end), then the reports of the one road from
/// what was kept (deliver): the estimators' table, PREFIX.gnu (the first
/// kPlottedVariables), the PREFIX.png it draws, PREFIX.html, the --table and --junit
/// files. An interruption stops it within a row of a variable, every file complete or
/// as it was. With --formal-order, Error (verification) after writing them when a
/// variable is FAILED (or, under --require verified, not verified). PREFIX is
/// --output, else the file's name without folder and extension, then "-study".
void run_data_study(const StudyOptions& options);

}  // namespace talvenor

#pragma once

#include "study/options.hpp"

namespace talvenor {

/// The study of --run COMMAND: the command on each of --meshes (run_command_study),
/// every combination of its own --sweep options a study, then one table on the
/// standard output (a variable of a combination named "scheme=upwind: u(0.5)"), the
/// notes of the meshes that gave nothing, PREFIX.csv, PREFIX.gnu, the picture and the
/// --junit file as a data study writes them (report_variables). Verdicts when every
/// combination has a formal order (--formal-order P, or NAME=VALUE:P,... for each
/// value of a swept option) and the results give errors. PREFIX is --output, else
/// "run-study"; the runs are kept in PREFIX-runs/.
void run_command_study(const StudyOptions& options);

}  // namespace talvenor

#pragma once

#include "study/options.hpp"

namespace talvenor {

/// The study of --run COMMAND: the command on each of --meshes (run_command_study),
/// every combination of its own --sweep options a group of the StudyOutcome, its
/// label "scheme=upwind" and the notes of the meshes that gave nothing, then the one
/// analysis and every report a data study writes (a variable of a combination named
/// "scheme=upwind: u(0.5)" in the table, PREFIX.csv and the plot). Verdicts when every
/// combination has a formal order (--formal-order P, or NAME=VALUE:P,... for each
/// value of a swept option) and the results give errors. PREFIX is --output, else
/// "run-study"; the runs are kept in PREFIX-runs/.
void run_command_study(const StudyOptions& options);

}  // namespace talvenor

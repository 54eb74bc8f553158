#pragma once

// The one analysis of every study, after its source has analysed each variable's
// meshes: the verdicts and the audit of the estimators.

#include "study/outcome.hpp"

namespace talvenor {

/// Sets the verdicts of `group` when `outcome.judged` and gives its values as the
/// audit grades them (see judge_and_audit): one group's part of the analysis, that a
/// campaign does in the pool.
std::vector<AuditRow> judge_group(const StudyOutcome& outcome, Combination& group);

/// Sets each group's verdicts when `outcome.judged` (against the group's formal order;
/// talvenor's cases also give their Reynolds number to the advice), and the audit of
/// every value with an exact error: talvenor's values grouped by scheme and by the cell
/// Reynolds number of the finest mesh and, in a campaign, labelled by combination; a
/// data file's in no group but "all". Groups judged in the pool (`outcome.finished`)
/// give the values graded there.
void judge_and_audit(StudyOutcome& outcome);

}  // namespace talvenor

#pragma once

// The one analysis of every study, after its source has analysed each variable's
// meshes: the verdicts and the audit of the estimators.

#include <vector>

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
/// data file's or a command's in no group but "all", a command's labelled by its
/// combination. Groups judged in the pool (`outcome.finished`) give the values graded
/// there.
void judge_and_audit(StudyOutcome& outcome);

/// The part of judge_and_audit for one variable `study` of `group`: its verdict
/// appended to group.verdicts when `outcome.judged`, its graded values to `graded`
/// (the label kept only where U fails to cover |E|: the audit names no other, and
/// 10^6 labels would hold some 150 MB). A data study calls it as each variable passes.
void judge_and_grade(const StudyOutcome& outcome, Combination& group,
                     const VariableStudy& study, std::vector<AuditRow>& graded);

}  // namespace talvenor

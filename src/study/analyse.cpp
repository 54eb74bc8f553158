#include "study/analyse.hpp"

#include <cmath>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "study_reports/campaign_report.hpp"

namespace talvenor {
namespace {

/// Where the values of `group` (one of outcome.groups) come from, as the audit groups
/// them: a user's values (a data file, a command) in no scheme and no band of Re*h, in
/// a band of P only with --formal-order, labelled by the group's own label if any.
AuditSource source_of(const StudyOutcome& outcome, const Combination& group) {
  if (outcome.mode & kUsersValues) {
    const auto c = static_cast<std::size_t>(&group - outcome.groups.data());
    return {"", std::nullopt,
            outcome.formal_known ? std::optional<double>(group.formal) : std::nullopt,
            c < outcome.labels.size() ? outcome.labels[c] : ""};
  }
  const std::string label = outcome.mode == kCampaign ? combination_label(group.case_values) : "";
  return {"esquema " + std::to_string(group.case_values.esquema), group.case_values.Re,
          group.formal, label};
}

}  // namespace

void judge_and_grade(const StudyOutcome& outcome, Combination& group,
                     const VariableStudy& study, std::vector<AuditRow>& graded) {
  if (outcome.judged) {
    const std::optional<double> reynolds = (outcome.mode & kUsersValues)
                                               ? std::nullopt
                                               : std::optional<double>(group.case_values.Re);
    group.verdicts.push_back(judge(study, group.formal, reynolds));
  }
  for (AuditRow& row : audit_rows(std::span(&study, 1), source_of(outcome, group))) {
    if (!row.uncertainty || *row.uncertainty >= std::fabs(row.error)) std::string().swap(row.label);
    graded.push_back(std::move(row));
  }
}

std::vector<AuditRow> judge_group(const StudyOutcome& outcome, Combination& group) {
  std::vector<AuditRow> graded;
  for (const VariableStudy& study : group.studies) judge_and_grade(outcome, group, study, graded);
  return graded;
}

void judge_and_audit(StudyOutcome& outcome) {
  AuditTally tally;
  for (std::size_t c = 0; c < outcome.groups.size(); ++c) {
    std::vector<AuditRow> graded = outcome.finished.empty()
                                       ? judge_group(outcome, outcome.groups[c])
                                       : std::move(outcome.finished[c].graded);
    for (AuditRow& row : graded) tally.add(std::move(row));
  }
  outcome.audit = std::move(tally).result();
}

}  // namespace talvenor

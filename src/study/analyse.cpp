#include "study/analyse.hpp"

#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "study_reports/campaign_report.hpp"

namespace talvenor {
namespace {

/// The values of `group` as the audit grades them.
std::vector<AuditRow> graded_values(const StudyOutcome& outcome, const Combination& group) {
  if (outcome.mode == kDataStudy) return audit_rows(group.studies, "", std::nullopt, "");
  const std::string label = outcome.mode == kCampaign ? combination_label(group.case_values) : "";
  return audit_rows(group.studies, "esquema " + std::to_string(group.case_values.esquema), group.case_values.Re,
                    label);
}

}  // namespace

std::vector<AuditRow> judge_group(const StudyOutcome& outcome, Combination& group) {
  if (outcome.judged) {
    const std::optional<double> reynolds =
        outcome.mode == kDataStudy ? std::nullopt : std::optional<double>(group.case_values.Re);
    for (const VariableStudy& study : group.studies) {
      group.verdicts.push_back(judge(study, group.formal, reynolds));
    }
  }
  return graded_values(outcome, group);
}

void judge_and_audit(StudyOutcome& outcome) {
  std::vector<AuditRow> rows;
  for (std::size_t c = 0; c < outcome.groups.size(); ++c) {
    std::vector<AuditRow> graded = outcome.finished.empty()
                                       ? judge_group(outcome, outcome.groups[c])
                                       : std::move(outcome.finished[c].graded);
    rows.insert(rows.end(), std::make_move_iterator(graded.begin()),
                std::make_move_iterator(graded.end()));
  }
  outcome.audit = audit_estimators(rows);
}

}  // namespace talvenor

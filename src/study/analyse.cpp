#include "study/analyse.hpp"

#include <optional>
#include <string>
#include <vector>

#include "study_reports/campaign_report.hpp"

namespace talvenor {
namespace {

/// The values of group `c` as the audit grades them.
std::vector<AuditRow> graded_values(const StudyOutcome& outcome, std::size_t c) {
  const Combination& group = outcome.groups[c];
  if (outcome.mode & kUsersValues) {
    return audit_rows(group.studies, "", std::nullopt,
                      c < outcome.labels.size() ? outcome.labels[c] : "");
  }
  const std::string label = outcome.mode == kCampaign ? combination_label(group.case_values) : "";
  return audit_rows(group.studies, "esquema " + std::to_string(group.case_values.esquema), group.case_values.Re,
                    label);
}

}  // namespace

void judge_and_audit(StudyOutcome& outcome) {
  std::vector<AuditRow> rows;
  for (std::size_t c = 0; c < outcome.groups.size(); ++c) {
    Combination& group = outcome.groups[c];
    if (outcome.judged) {
      const std::optional<double> reynolds = (outcome.mode & kUsersValues)
                                                 ? std::nullopt
                                                 : std::optional<double>(group.case_values.Re);
      for (const VariableStudy& study : group.studies) {
        group.verdicts.push_back(judge(study, group.formal, reynolds));
      }
    }
    const std::vector<AuditRow> graded = graded_values(outcome, c);
    rows.insert(rows.end(), graded.begin(), graded.end());
  }
  outcome.audit = audit_estimators(rows);
}

}  // namespace talvenor

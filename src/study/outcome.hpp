#pragma once

// What a study found, whatever its source (talvenor's meshes, a campaign's
// combinations, a data file, a user's command): the one thing every report reads.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/audit.hpp"
#include "analysis/combination.hpp"
#include "record/solver_method.hpp"
#include "record/variaveis.hpp"
#include "study/study_files.hpp"
#include "study_reports/plot_script.hpp"

namespace talvenor {

/// What a group gives the reports, made on the thread that analysed it (a campaign's
/// combinations, in the pool): its values as the audit grades them and its blocks of
/// the campaign's CSV file and of the HTML report (record_block: lines joined).
struct FinishedGroup {
  std::vector<AuditRow> graded;
  std::string csv;
  std::string html;
};

/// A study analysed: its groups of variables (a campaign's combinations; one group for
/// a study of talvenor's case or of a data file), the audit of its estimators, and what
/// the reports need to name it.
struct StudyOutcome {
  StudyMode mode = kCaseStudy;
  std::string prefix;  ///< of the files: PREFIX.csv, ...
  std::string
      title;  ///< UTF-8: "Verification campaign of ...", "Mesh-refinement study of runs.csv"
  std::string subject;  ///< the case's caso in UTF-8, the data file's name or the command (printable)
  CaseData base;        ///< talvenor's case as read (a study, a campaign)
  std::vector<std::int32_t> meshes;
  Method method = Method::newton;
  std::vector<Combination> groups;
  /// One per group when the groups were judged and their blocks made in the pool (a
  /// campaign), else empty: judge_and_audit judges them, the reports make the blocks.
  std::vector<FinishedGroup> finished;
  Audit audit;
  bool has_errors = true;  ///< exact values exist: errors, the audit, verdicts
  /// A study of a user's numbers (--data, --run): its head line, and whether every group
  /// has a formal order (--formal-order).
  std::string head;
  bool formal_known = true;
  /// A --run study: a label per group ("scheme=upwind, grid=fine"; empty without
  /// --sweep), and a line per mesh that gave nothing ("scheme=upwind: N = 40: status 3").
  std::vector<std::string> labels;
  std::vector<std::string> notes;
  /// Whether the groups carry verdicts (a campaign; a data study with --formal-order and
  /// exact values).
  bool judged = false;
  std::optional<std::string> junit;  ///< the --junit file
  Requirement require = Requirement::order;  ///< what the gate asks (--require)
  /// A data study's variables streamed through the analysis (run_data_study): each
  /// variable's block of the terminal table and its rows of PREFIX.csv were written as
  /// it passed, and its group keeps of each study only its name and the rows the HTML
  /// plot and the paper table draw on; the gnuplot script's curves are kept apart.
  bool streamed = false;
  std::vector<PlotCurve> curves;  ///< when streamed: of the first kPlottedVariables
  bool any_errors = false;        ///< when streamed: some variable has an error
  PaperTable table = PaperTable::none;
};

}  // namespace talvenor

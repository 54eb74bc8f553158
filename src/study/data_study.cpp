#include "study/data_study.hpp"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/audit.hpp"
#include "study/analyse.hpp"
#include "study/reports.hpp"
#include "study_reports/report.hpp"
#include "study_sources/data_file.hpp"
#include "system/error.hpp"
#include "system/platform.hpp"
#include "textio/shortest_text.hpp"
#include "textio/text_file.hpp"
#include "textio/text_helpers.hpp"

namespace talvenor {
namespace {

/// The rows of `file`, all variables together.
std::size_t row_count(const DataFile& file) {
  std::size_t rows = 0;
  for (const DataSeries& series : file.series) rows += series.points.size();
  return rows;
}

/// "Mesh-refinement study of runs.csv: 6 rows of 2 variables, cells in 2-D (h =
/// cells^(-1/2)); formal order 2".
std::string data_head(const std::string& path, const DataFile& file, const StudyOptions& options) {
  const std::size_t variables = file.series.size();
  const std::string dimension = options.dimension ? std::to_string(*options.dimension) : "";
  return "Mesh-refinement study of " + printable(path) + ": " + std::to_string(row_count(file)) +
         " rows of " + std::to_string(variables) + (variables == 1 ? " variable" : " variables") +
         (file.count == MeshCount::cells
              ? ", cells in " + dimension + "-D (h = cells^(-1/" + dimension + "))"
              : ", h as given") +
         (options.formal_order ? "; formal order " + shortest(*options.formal_order) : "");
}

void stop_if_interrupted() {
  if (std::optional<Error> stop = interruption()) throw std::move(*stop);
}

/// What the reports after the stream draw of variable number `v`: the first
/// kPlottedVariables keep every ceil(meshes / kPlottedMeshes)-th row from the coarsest
/// and the finest (the HTML plot), the others the finest row when --table asks for it
/// (the paper's table). Some 250 bytes a row are never kept for all.
std::vector<MeshRow> kept_rows(const VariableStudy& study, std::size_t v, bool table) {
  std::vector<MeshRow> rows;
  if (v < kPlottedVariables) {
    const std::size_t stride = (study.rows.size() + kPlottedMeshes - 1) / kPlottedMeshes;
    for (std::size_t k = 0; k + 1 < study.rows.size(); k += std::max<std::size_t>(stride, 1)) {
      rows.push_back(study.rows[k]);
    }
  }
  if ((v < kPlottedVariables || table) && !study.rows.empty()) rows.push_back(study.rows.back());
  return rows;
}

/// The data study's variables through the one analysis, a variable at a time: each
/// judged and graded (judge_and_grade) into the tally it gives back, its block of the
/// table printed and its rows written into `csv` at once, then only what the other
/// reports need kept: in `outcome` the studies that keep rows (kept_rows), the first
/// ones; in `names` the names of the others, which join the group once the tally is
/// let go.
AuditTally stream_variables(DataFile file, StudyOutcome& outcome, TextFile& csv,
                            std::vector<std::string>& names) {
  AuditTally tally;
  std::vector<AuditRow> graded;  // one variable's, tallied at once
  Combination& group = outcome.groups.front();
  const bool table = outcome.table != PaperTable::none;
  if (outcome.judged) group.verdicts.reserve(file.series.size());
  csv.write_record(csv_header());
  data_studies(
      std::move(file), outcome.formal_known ? std::optional<double>(group.formal) : std::nullopt,
      [&](VariableStudy&& study) {
        judge_and_grade(outcome, group, study, graded);
        for (AuditRow& row : graded) tally.add(std::move(row));
        graded.clear();
        std::fputs(variable_block(study).c_str(), stdout);
        for (const MeshRow& row : study.rows) csv.write_record(csv_record(study.name, row));
        outcome.any_errors = outcome.any_errors || has_errors(study);
        const std::size_t v = group.studies.size() + names.size();
        if (v < kPlottedVariables) outcome.curves.push_back(plot_curve(study));
        if (v >= kPlottedVariables && !table) {
          names.push_back(std::move(study.name));
          return;
        }
        study.rows = kept_rows(study, v, table);
        group.studies.push_back(std::move(study));
      },
      stop_if_interrupted);
  return tally;
}

}  // namespace

void run_data_study(const StudyOptions& options) {
  const std::string& path = *options.data;
  DataFile file = read_data_file(path, options.dimension);
  StudyOutcome outcome;
  outcome.mode = kDataStudy;
  outcome.prefix = options.output.value_or(std::filesystem::path(path).stem().string() + "-study");
  outcome.subject = printable(path);
  outcome.title = "Mesh-refinement study of " + outcome.subject;
  outcome.has_errors = file.has_errors;
  outcome.formal_known = options.formal_order.has_value();
  // Without exact values the formal order still serves u_fs and the two-mesh GCI.
  outcome.judged = outcome.formal_known && file.has_errors;
  outcome.junit = options.junit;
  outcome.require = options.require;
  outcome.table = options.table;
  outcome.streamed = true;
  check_reports(outcome, path);
  outcome.head = data_head(path, file, options);
  outcome.groups.push_back({CaseData{}, options.formal_order.value_or(0.0), {}, {}});
  std::fputs((outcome.head + "\n").c_str(), stdout);
  // Written as the variables are analysed, and put in place whole once all are.
  TextFile csv = open_streamed(outcome);
  // The tally of the graded values is let go once the audit is drawn from it; only
  // then do the variables that keep no rows take the room of a study each.
  std::vector<std::string> names;
  outcome.audit = stream_variables(std::move(file), outcome, csv, names).result();
  csv.close();
  std::vector<VariableStudy>& studies = outcome.groups.front().studies;
  for (std::string& name : names) studies.emplace_back().name = std::move(name);
  deliver(outcome);
}

}  // namespace talvenor

#include "study/data_study.hpp"

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "study/analyse.hpp"
#include "study/reports.hpp"
#include "study_sources/data_file.hpp"
#include "textio/shortest_text.hpp"
#include "textio/text_helpers.hpp"

namespace talvenor {
namespace {

/// "runs.csv: 3 meshes of 2 variables, cells in 2-D (h = cells^(-1/2))".
std::string data_head(const std::string& path, const std::vector<VariableStudy>& studies,
                      MeshCount count, const StudyOptions& options) {
  std::size_t meshes = 0;
  for (const VariableStudy& study : studies) meshes += study.rows.size();
  const std::string dimension = options.dimension ? std::to_string(*options.dimension) : "";
  return "Mesh-refinement study of " + printable(path) + ": " + std::to_string(meshes) +
         " rows of " + std::to_string(studies.size()) +
         (studies.size() == 1 ? " variable" : " variables") +
         (count == MeshCount::cells
              ? ", cells in " + dimension + "-D (h = cells^(-1/" + dimension + "))"
              : ", h as given") +
         (options.formal_order ? "; formal order " + shortest(*options.formal_order) : "");
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
  outcome.table = options.table;
  check_reports(outcome, path);
  const MeshCount count = file.count;
  Combination group;
  group.formal = options.formal_order.value_or(0.0);
  group.studies = data_studies(std::move(file), options.formal_order);
  outcome.head = data_head(path, group.studies, count, options);
  outcome.groups.push_back(std::move(group));
  judge_and_audit(outcome);
  deliver(outcome);
}

}  // namespace talvenor

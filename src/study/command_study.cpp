#include "study/command_study.hpp"

#include <string>
#include <vector>

#include "input/value_reader.hpp"
#include "study/data_study.hpp"
#include "study/study_files.hpp"
#include "study_sources/command_runs.hpp"
#include "system/console.hpp"
#include "system/error.hpp"
#include "system/platform.hpp"
#include "textio/shortest_text.hpp"

namespace talvenor {
namespace {

CommandSettings command_settings(const StudyOptions& options, const std::string& prefix) {
  CommandSettings settings;
  settings.command = *options.run;
  settings.meshes = options.meshes;
  settings.dimension = options.dimension;
  settings.runs = prefix + "-runs";
  settings.result = options.result;
  settings.timeout = options.timeout;
  settings.points = options.points;
  settings.sweep = options.own_sweep;
  settings.formal = options.formal_by_value ? formal_orders(*options.formal_by_value)
                                            : FormalOrders{options.formal_order, {}, {}};
  settings.jobs = options.jobs.value_or(default_jobs());
  return settings;
}

bool has_errors(const std::vector<VariableStudy>& studies) {
  for (const VariableStudy& study : studies) {
    for (const MeshRow& row : study.rows) {
      if (row.exact || row.error) return true;
    }
  }
  return false;
}

/// The studies of every combination as one report: each variable named after its
/// combination, verdicts when every combination has a formal order.
VariableReport command_report(const StudyOptions& options,
                              std::vector<CommandCombination>& combinations) {
  VariableReport report;
  report.subject = printable(*options.run);
  report.formal_known = true;
  for (CommandCombination& combination : combinations) {
    const std::string label = combination.label.empty() ? "" : printable(combination.label) + ": ";
    for (VariableStudy& study : combination.studies) {
      study.name = label + study.name;
      report.studies.push_back(std::move(study));
    }
    for (const std::string& note : combination.notes) report.notes.push_back(label + note);
    report.formal_known = report.formal_known && combination.formal.has_value();
  }
  report.has_errors = has_errors(report.studies);
  if (report.formal_known && report.has_errors) {
    std::size_t s = 0;
    for (const CommandCombination& combination : combinations) {
      for (std::size_t v = 0; v < combination.studies.size(); ++v, ++s) {
        report.verdicts.push_back(judge(report.studies[s], *combination.formal));
      }
    }
  }
  report.formal = options.formal_order;
  report.head = "Mesh-refinement study of '" + report.subject + "': " +
                std::to_string(options.meshes.size()) + " meshes, " +
                std::to_string(combinations.size()) +
                (combinations.size() == 1 ? " combination" : " combinations") +
                (options.formal_order ? "; formal order " + shortest(*options.formal_order) : "");
  return report;
}

}  // namespace

void run_command_study(const StudyOptions& options) {
  if (options.meshes.empty()) {
    throw Error(Error::Kind::usage, "--run: --meshes N1,N2,... names the meshes to run it on");
  }
  const std::string prefix = options.output.value_or("run-study");
  const StudyFiles files = study_files(prefix);
  if (options.junit) check_study_file(*options.junit, kJunitRole, true);
  const CommandSettings settings = command_settings(options, prefix);
  std::vector<CommandCombination> combinations;
  {
    ProgressLine progress(stderr, stderr_is_terminal(), wall_seconds, "meshes", " done");
    std::size_t total = settings.meshes.size();
    for (const OwnOption& option : settings.sweep) total *= option.values.size();
    combinations = run_command_study(settings, [&](std::size_t done, std::size_t) {
      progress.update(static_cast<long>(done), static_cast<long>(total));
    });
  }
  report_variables(command_report(options, combinations), files, options);
}

}  // namespace talvenor

#include "study/command_study.hpp"

#include <span>
#include <string>
#include <utility>
#include <vector>

#include "expression/manufactured.hpp"
#include "study/analyse.hpp"
#include "study/reports.hpp"
#include "study_sources/command_runs.hpp"
#include "system/console.hpp"
#include "system/platform.hpp"
#include "system/program.hpp"
#include "textio/shortest_text.hpp"
#include "textio/text_helpers.hpp"

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
  settings.formal = options.formal_by_value.value_or(FormalOrders{options.formal_order, {}, {}});
  settings.jobs = options.jobs.value_or(default_jobs());
  if (!options.sweep.solution.empty()) {
    // One solution of x alone (parse_options refuses Re with --run): Re is bound to 0.
    settings.exact = [solution = options.sweep.solution.front()](std::span<const double> x,
                                                                 std::span<double> u) {
      u_values(*solution, x, 0.0, u);
    };
  }
  return settings;
}

/// Every mesh of every combination run, with the progress line on the standard error.
std::vector<CommandCombination> run_with_progress(const CommandSettings& settings) {
  ProgressLine progress(stderr, stderr_is_terminal(), wall_seconds, "meshes", " done");
  std::size_t total = settings.meshes.size();
  for (const OwnOption& option : settings.sweep) total *= option.values.size();
  return run_command_study(settings, [&](std::size_t done, std::size_t) {
    progress.update(static_cast<long>(done), static_cast<long>(total));
  });
}

bool has_errors(const std::vector<Combination>& groups) {
  for (const Combination& group : groups) {
    for (const VariableStudy& study : group.studies) {
      for (const MeshRow& row : study.rows) {
        if (row.exact || row.error) return true;
      }
    }
  }
  return false;
}

/// Each combination a group of the outcome, its label and the notes of its meshes that
/// gave nothing ("scheme=upwind: N = 40: timed out after 1 s"); verdicts when every
/// combination has a formal order and the results give errors.
void add_groups(std::vector<CommandCombination> combinations, StudyOutcome& outcome) {
  outcome.formal_known = true;
  for (CommandCombination& combination : combinations) {
    const std::string label = printable(combination.label);
    for (const std::string& note : combination.notes) {
      outcome.notes.push_back(label.empty() ? note : label + ": " + note);
    }
    outcome.formal_known = outcome.formal_known && combination.formal.has_value();
    outcome.labels.push_back(label);
    outcome.groups.push_back(
        {{}, combination.formal.value_or(0.0), std::move(combination.studies), {}});
  }
  if (outcome.groups.front().studies.empty()) {
    warn("no mesh of any combination gave a value: nothing to judge; the notes say why");
  }
  outcome.has_errors = has_errors(outcome.groups);
  outcome.judged = outcome.formal_known && outcome.has_errors;
}

/// "Mesh-refinement study of 'solve {N}': 4 meshes, 2 combinations; formal order 2;
/// exact u = sin(pi*x)" (the last with --solution).
std::string command_head(const StudyOptions& options, const StudyOutcome& outcome) {
  const std::size_t count = outcome.groups.size();
  const auto& solution = options.sweep.solution;
  return "Mesh-refinement study of '" + outcome.subject + "': " +
         std::to_string(options.meshes.size()) + " meshes, " + std::to_string(count) +
         (count == 1 ? " combination" : " combinations") +
         (options.formal_order ? "; formal order " + shortest(*options.formal_order) : "") +
         (solution.empty() ? "" : "; exact u = " + printable(solution.front()->formula));
}

}  // namespace

void run_command_study(const StudyOptions& options) {
  StudyOutcome outcome;
  outcome.mode = kRunStudy;
  outcome.prefix = options.output.value_or("run-study");
  outcome.subject = printable(*options.run);
  outcome.title = "Mesh-refinement study of " + outcome.subject;
  outcome.meshes = options.meshes;
  outcome.junit = options.junit;
  outcome.table = options.table;
  check_reports(outcome);
  add_groups(run_with_progress(command_settings(options, outcome.prefix)), outcome);
  outcome.head = command_head(options, outcome);
  judge_and_audit(outcome);
  deliver(outcome);
}

}  // namespace talvenor

// talvenor-study: the case of Talvenor.in on a sequence of meshes, and how its
// variables of interest converge.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "expression/manufactured.hpp"
#include "input/dados.hpp"
#include "input/run_names.hpp"
#include "record/schemes.hpp"
#include "study/analyse.hpp"
#include "study/command_study.hpp"
#include "study/data_study.hpp"
#include "study/options.hpp"
#include "study/reports.hpp"
#include "study/study_files.hpp"
#include "study_sources/campaign.hpp"
#include "study_sources/meshes.hpp"
#include "study_sources/solution_lint.hpp"
#include "study_sources/tasks.hpp"
#include "system/about.hpp"
#include "system/console.hpp"
#include "system/error.hpp"
#include "system/platform.hpp"
#include "system/program.hpp"
#include "textio/code_page.hpp"

namespace talvenor {
namespace {

/// The prefix of a study's files: --output, else caso followed by "-study"; a blank
/// caso gives "study", never "-study", which gnuplot would read as an option.
std::string study_prefix(const StudyOptions& options, const CaseData& base) {
  const std::string_view caso = base.caso.trimmed();
  return options.output.value_or(caso.empty() ? "study" : std::string(caso) + "-study");
}

/// The notes on each case's typed solution (solution_lint), before any mesh runs.
void note_lint(std::span<const CaseData> cases, std::int32_t finest) {
  for (const CaseData& data : cases) {
    for (const std::string& line : solution_lint(data, finest)) note(line);
  }
}

/// The combinations of --sweep, each a study of `outcome.meshes`, on the pool's threads,
/// each judged and its blocks of the reports made there (`outcome.finished`).
std::vector<Combination> sweep_groups(const StudyOptions& options, StudyOutcome& outcome) {
  const std::vector<CaseData> cases = sweep_cases(outcome.base, options.sweep);
  note_lint(cases, outcome.meshes.back());
  outcome.finished.resize(cases.size());
  // Meshes are the steps: the first is done long before the first combination.
  const bool drawn = stderr_is_terminal();
  ProgressLine line(stderr, drawn, wall_seconds, "meshes", " done");
  const auto total = static_cast<long>(cases.size() * outcome.meshes.size());
  const std::string case_total = " of " + std::to_string(cases.size());
  // Without a line to draw the pool is given none: each of thousands of small meshes
  // would wake the waiting thread for nothing.
  Progress progress;
  if (drawn) {
    progress = [&](std::size_t meshes_done, std::size_t cases_done) {
      line.update(static_cast<long>(meshes_done), total,
                  ", combinations " + std::to_string(cases_done) + case_total);
    };
  }
  return run_combinations(cases, outcome.meshes, options.solver,
                          options.jobs.value_or(default_jobs()), progress,
                          [&](std::size_t c, Combination& group) {
                            outcome.finished[c] = finish_group(outcome, c, group);
                          });
}

/// The one group of a study of talvenor's case: its meshes run on the pool's threads.
std::vector<Combination> case_group(const StudyOptions& options, const StudyOutcome& outcome) {
  note_lint({&outcome.base, 1}, outcome.meshes.back());
  std::vector<MeshRun> runs;
  {
    ProgressLine progress(stderr, stderr_is_terminal(), wall_seconds, "meshes", " done");
    const auto total = static_cast<long>(outcome.meshes.size());
    runs = run_meshes(
        outcome.base, outcome.meshes, options.solver, options.jobs.value_or(default_jobs()),
        [&](std::size_t done, std::size_t) { progress.update(static_cast<long>(done), total); });
  }
  Combination group{outcome.base, formal_order(outcome.base), {}, {}};
  group.studies = analyse(runs, group.formal);
  return {std::move(group)};
}

/// A study of Talvenor.in, or a campaign of it (--sweep, several --solution): its files
/// checked, its meshes run and analysed, then its reports.
void run_study(const StudyOptions& options) {
  StudyOutcome outcome;
  load_case(outcome.base, std::string(kCaseFile));
  // A typed solution takes fonte's place; a campaign's each in turn (sweep_cases).
  if (!options.sweep.solution.empty()) outcome.base.typed = options.sweep.solution.front();
  outcome.mode = study_mode(options);
  // A campaign checks each of its cases: the swept values replace the case's.
  if (outcome.mode == kCaseStudy) check_study_case(outcome.base);
  outcome.meshes = options.meshes.empty() ? default_meshes(outcome.base.N) : options.meshes;
  outcome.prefix = study_prefix(options, outcome.base);
  // The reports in UTF-8 name the case so; the case's own bytes are Windows-1252.
  outcome.subject = utf8_from_windows_1252(outcome.base.caso.trimmed());
  outcome.title = "Verification campaign of " + outcome.subject;
  outcome.method = options.solver;
  outcome.judged = outcome.mode == kCampaign;
  outcome.junit = options.junit;
  outcome.require = options.require;
  outcome.table = options.table;
  check_reports(outcome);
  outcome.groups =
      outcome.mode == kCampaign ? sweep_groups(options, outcome) : case_group(options, outcome);
  judge_and_audit(outcome);
  deliver(outcome);
}

/// --source: exact_u, exact_du and source of the solution for the user's own code, alone
/// on the standard output.
void print_source(const StudyOptions& options) {
  const Expr op = options.operator_expr
                      ? options.operator_expr
                      : parse_expression(kBurgersOperator, "--operator", kOperatorNames);
  const std::string code = source_code(*options.source, op, *options.language);
  std::fwrite(code.data(), 1, code.size(), stdout);
}

}  // namespace
}  // namespace talvenor

int main(int argc, char** argv) {
  if (talvenor::answer_help_or_version(argc, argv, "talvenor-study", talvenor::help_text())) {
    return 0;
  }
  return talvenor::run_program("talvenor-study", [&] {
    const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const talvenor::StudyOptions options = talvenor::parse_options(arguments);
    if (options.help) {
      std::fwrite(talvenor::help_text().data(), 1, talvenor::help_text().size(), stdout);
      return;
    }
    if (talvenor::study_mode(options) == talvenor::kSourceCode) {
      talvenor::print_source(options);
      return;
    }
    // Interruptions are deferred first: once the folder is seen held, a signal stops the
    // study at a mesh boundary, never in the middle of a file.
    talvenor::defer_interruptions();
    const talvenor::FolderGuard guard;  // one run at a time in a folder, talvenor's or a study's
    if (options.data) {
      talvenor::run_data_study(options);
    } else if (options.run) {
      talvenor::run_command_study(options);
    } else {
      talvenor::run_study(options);
    }
  });
}

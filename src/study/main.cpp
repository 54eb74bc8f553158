// talvenor-study: the case of Talvenor.in on a sequence of meshes, and how its
// variables of interest converge.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "expression/manufactured.hpp"
#include "input/dados.hpp"
#include "input/run_names.hpp"
#include "input/value_reader.hpp"
#include "study/data_study.hpp"
#include "study/options.hpp"
#include "study/study_files.hpp"
#include "study_reports/audit_report.hpp"
#include "study_reports/campaign_report.hpp"
#include "study_reports/html_report.hpp"
#include "study_reports/junit.hpp"
#include "study_reports/plot_script.hpp"
#include "study_reports/report.hpp"
#include "study_sources/campaign.hpp"
#include "study_sources/meshes.hpp"
#include "study_sources/solution_lint.hpp"
#include "study_sources/tasks.hpp"
#include "system/about.hpp"
#include "system/console.hpp"
#include "system/error.hpp"
#include "system/platform.hpp"
#include "system/program.hpp"

namespace talvenor {
namespace {

/// The prefix of a study's files: --output, else caso followed by "-study"; a blank
/// caso gives "study", never "-study", which gnuplot would read as an option.
std::string study_prefix(const StudyOptions& options, const CaseData& base) {
  const std::string_view caso = base.caso.trimmed();
  return options.output.value_or(caso.empty() ? "study" : std::string(caso) + "-study");
}

/// The JUnit cells of a campaign: each combination's variables.
std::vector<JunitCell> campaign_cells(const std::vector<Combination>& combinations) {
  std::vector<JunitCell> cells;
  for (const Combination& combination : combinations) {
    for (std::size_t v = 0; v < combination.studies.size(); ++v) {
      cells.push_back({combination_label(combination.data) + ": " + combination.studies[v].name,
                       combination.verdicts[v], combination.formal, {}});
    }
  }
  return cells;
}

/// The typed solutions of --solution, each parsed and differentiated once, named
/// solutions replaced by their formulas (Error usage for a bad one).
std::vector<std::shared_ptr<const Manufactured>> typed_solutions(const StudyOptions& options) {
  std::vector<std::shared_ptr<const Manufactured>> typed;
  for (const std::string& text : options.solutions) {
    typed.push_back(
        std::make_shared<const Manufactured>(manufacture(solution_formula(text), "--solution")));
  }
  return typed;
}

/// The cases of a campaign: the sweep of each typed solution, or of the case's fonte;
/// the lint of each typed one as a note.
std::vector<CaseData> campaign_cases(const StudyOptions& options, const CaseData& base,
                                     std::int32_t finest) {
  std::vector<CaseData> cases;
  for (const auto& typed : typed_solutions(options)) {
    CaseData solution = base;
    solution.typed = typed;
    for (CaseData& data : sweep_cases(solution, options.sweep)) {
      for (const std::string& line : solution_lint(data, finest)) note(line);
      cases.push_back(std::move(data));
    }
  }
  return options.solutions.empty() ? sweep_cases(base, options.sweep) : cases;
}

/// The campaign of --sweep: a table and a tally on the standard output, PREFIX.csv and
/// PREFIX.html and the --junit file (all checked before any mesh runs); Error
/// (verification) after writing them when a cell is FAILED.
void run_campaign(const StudyOptions& options, const CaseData& base,
                  const std::vector<std::int32_t>& meshes, const std::string& prefix) {
  const std::string csv = prefix + ".csv";
  const std::string html = prefix + ".html";
  const std::string estimators = prefix + std::string(kEstimatorsSuffix);
  constexpr std::string_view kCampaignTable = "campaign table";
  constexpr std::string_view kCampaignReport = "campaign report";
  check_study_file(csv, kCampaignTable, true);
  check_study_file(estimators, kEstimatorsTable, true);
  check_study_file(html, kCampaignReport, true);
  if (options.junit) check_study_file(*options.junit, kJunitRole, true);
  const std::vector<CaseData> cases = campaign_cases(options, base, meshes.back());
  std::vector<Combination> combinations;
  {
    // Meshes are the steps: the first is done long before the first combination.
    ProgressLine progress(stderr, stderr_is_terminal(), wall_seconds, "meshes", " done");
    const auto total = static_cast<long>(cases.size() * meshes.size());
    const std::string case_total = " of " + std::to_string(cases.size());
    combinations = talvenor::run_campaign(
        cases, meshes, options.solver, options.jobs.value_or(default_jobs()),
        [&](std::size_t meshes_done, std::size_t cases_done) {
          progress.update(static_cast<long>(meshes_done), total,
                          ", combinations " + std::to_string(cases_done) + case_total);
        });
  }
  const Audit audit = campaign_audit(combinations);
  std::fputs((campaign_table(base, meshes, options.solver, combinations) + audit_text(audit, html))
                 .c_str(),
             stdout);
  write_records(csv, kCampaignTable, campaign_csv_records(combinations));
  write_records(estimators, kEstimatorsTable, audit_csv_records(audit));
  write_records(html, kCampaignReport,
                html_report_records(base, meshes, options.solver, combinations));
  if (options.junit) {
    write_records(*options.junit, kJunitRole,
                  junit_records("Verification campaign of " + std::string(base.caso.trimmed()),
                                campaign_cells(combinations)));
  }
  std::printf("\nwritten: %s, %s, %s%s%s\n", csv.c_str(), estimators.c_str(), html.c_str(),
              options.junit ? ", " : "", options.junit ? options.junit->c_str() : "");
  std::fflush(stdout);
  const VerdictCounts counts = tally(combinations);
  const std::size_t failed = count_of(counts, VerdictKind::failed);
  if (failed > 0) {
    std::size_t cells = 0;
    for (const std::size_t count : counts) cells += count;
    throw Error(Error::Kind::verification,
                std::to_string(failed) + " of the " + std::to_string(cells) +
                    " cells FAILED: their orders do not approach the formal order; the"
                    " table gives each reason, " +
                    html + " the plots");
  }
}

/// --source: exact_u, exact_du and source of u = EXPR, for the user's own code, alone
/// on the standard output.
void print_source(const StudyOptions& options) {
  const Manufactured m = manufacture(solution_formula(*options.source), "--source");
  const Expr op = parse_expression(options.operator_text.value_or(std::string(kBurgersOperator)),
                                   "--operator", kOperatorNames);
  std::fputs(source_code(m, op, *options.language).c_str(), stdout);
}

void run_study(const StudyOptions& options) {
  CaseData base;
  load_case(base, std::string(kCaseFile));
  const bool campaign = !options.sweep.empty() || options.solutions.size() > 1;
  // A campaign checks each of its cases: the swept values replace the case's.
  if (!campaign) check_study_case(base);
  const std::vector<std::int32_t> meshes =
      options.meshes.empty() ? default_meshes(base.N) : options.meshes;
  const std::string prefix = study_prefix(options, base);
  if (campaign) {
    run_campaign(options, base, meshes, prefix);
    return;
  }
  if (!options.solutions.empty()) base.typed = typed_solutions(options).front();
  for (const std::string& line : solution_lint(base, meshes.back())) note(line);
  const StudyFiles files = study_files(prefix);

  std::vector<MeshRun> runs;
  {
    ProgressLine progress(stderr, stderr_is_terminal(), wall_seconds, "meshes", " done");
    const auto total = static_cast<long>(meshes.size());
    runs = run_meshes(
        base, meshes, options.solver, options.jobs.value_or(default_jobs()),
        [&](std::size_t done, std::size_t) { progress.update(static_cast<long>(done), total); });
  }
  const std::vector<VariableStudy> studies = analyse(runs, formal_order(base));
  const Audit audit = talvenor::audit(audit_rows(base, "", studies));
  std::fputs((study_table(base, options.solver, studies) + audit_text(audit, "")).c_str(),
             stdout);
  const std::size_t troubled = troubled_meshes(studies);
  if (troubled > 0) {
    warn(std::to_string(troubled) + " of the " + std::to_string(meshes.size()) +
         " meshes diverged or are not iteratively converged; the table ends with the details");
  }

  write_records(files.csv, kTableRole, csv_records(studies));
  write_records(files.estimators, kEstimatorsTable, audit_csv_records(audit));
  write_records(files.script, kScriptRole,
                plot_script_records(case_plot_titles(base, options.solver), studies, files.png));
  std::fflush(stdout);
  const bool drawn = draw_plot(files.script, files.png);
  std::printf("\nwritten: %s, %s, %s%s%s\n", files.csv.c_str(), files.estimators.c_str(),
              files.script.c_str(), drawn ? ", " : "", drawn ? files.png.c_str() : "");
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
      std::fputs(talvenor::help_text().data(), stdout);
      return;
    }
    if (options.source) {
      talvenor::print_source(options);
      return;
    }
    // Interruptions are deferred first: once the folder is seen held, a signal stops the
    // study at a mesh boundary, never in the middle of a file.
    talvenor::defer_interruptions();
    const talvenor::FolderGuard guard;  // one run at a time in a folder, talvenor's or a study's
    if (options.data) {
      talvenor::run_data_study(options);
    } else {
      talvenor::run_study(options);
    }
  });
}

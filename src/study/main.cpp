// talvenor-study: the case of Talvenor.in on a sequence of meshes, and how its
// variables of interest converge.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "input/dados.hpp"
#include "input/run_names.hpp"
#include "input/value_reader.hpp"
#include "study/options.hpp"
#include "study/report.hpp"
#include "study/study.hpp"
#include "system/about.hpp"
#include "system/console.hpp"
#include "system/error.hpp"
#include "system/platform.hpp"
#include "system/program.hpp"

namespace talvenor {
namespace {

int default_jobs() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(cores);
}

/// Draws PREFIX.png from the script when a plotter can be run; says whether it exists.
bool draw_plot(const std::string& script, const std::string& png) {
  std::error_code ignored;
  std::filesystem::remove(png, ignored);  // a PNG of an earlier study must not pass for this one's
  const int status = run_command("wgnuplot " + file_argument(script));
  const bool drawn = std::filesystem::exists(png, ignored);
  if (status != 0 && !drawn) {
    warn(png + " was not drawn: the plotter ended with status " + std::to_string(status));
  }
  return drawn;
}

/// The files a study writes: PREFIX.csv, PREFIX.gnu and the PREFIX.png it draws.
struct StudyFiles {
  std::string csv, script, png;
};
constexpr std::string_view kTableRole = "study table";
constexpr std::string_view kScriptRole = "study plot script";

/// The study's files, checked before any mesh runs: none may be a fixed file of
/// talvenor (the case file, a template, the data file, a picture), and the table
/// and the script must be possible to create.
StudyFiles study_files(const StudyOptions& options, const CaseData& base) {
  const std::string_view caso = base.caso.trimmed();
  // A blank caso must not give "-study", which gnuplot would read as an option.
  const std::string prefix =
      options.output.value_or(caso.empty() ? "study" : std::string(caso) + "-study");
  StudyFiles files{prefix + ".csv", prefix + ".gnu", prefix + ".png"};
  for (const auto& [name, role] :
       {std::pair{files.csv, kTableRole}, std::pair{files.script, kScriptRole},
        std::pair{files.png, std::string_view("study plot")}}) {
    if (const std::optional<std::string> fault = output_name_fault(name, role)) {
      throw Error(Error::Kind::usage, "the study file '" + printable(name) + "' " + *fault +
                                          "; choose another --output prefix");
    }
  }
  check_records_file(files.csv, kTableRole);
  check_records_file(files.script, kScriptRole);
  return files;
}

void run_study(const StudyOptions& options) {
  CaseData base;
  load_case(base, std::string(kCaseFile));
  check_study_case(base);
  const std::vector<std::int32_t> meshes =
      options.meshes.empty() ? default_meshes(base.N) : options.meshes;
  const StudyFiles files = study_files(options, base);

  std::vector<MeshRun> runs;
  {
    ProgressLine progress(stderr, stderr_is_terminal(), wall_seconds, "meshes", " done");
    const auto total = static_cast<long>(meshes.size());
    runs = run_meshes(base, meshes, options.solver, options.jobs.value_or(default_jobs()),
                      [&](std::size_t done) { progress.update(static_cast<long>(done), total); });
  }
  const std::vector<VariableStudy> studies = analyse(runs, formal_order(base));
  std::fputs(study_table(base, options.solver, studies).c_str(), stdout);
  const std::size_t troubled = study_warnings(base, options.solver, studies).size();
  if (troubled > 0) {
    warn(std::to_string(troubled) + " of the " + std::to_string(meshes.size()) +
         " meshes diverged or are not iteratively converged; the table ends with the details");
  }

  write_records(files.csv, kTableRole, csv_records(studies));
  write_records(files.script, kScriptRole,
                plot_script_records(base, options.solver, studies, files.png));
  std::fflush(stdout);
  const bool drawn = draw_plot(files.script, files.png);
  std::printf("\nwritten: %s, %s%s%s\n", files.csv.c_str(), files.script.c_str(), drawn ? ", " : "",
              drawn ? files.png.c_str() : "");
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
    talvenor::run_study(options);
  });
}

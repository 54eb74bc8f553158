// talvenor-study: the case of Talvenor.in on a sequence of meshes, and how its
// variables of interest converge.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <new>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "input/dados.hpp"
#include "study/options.hpp"
#include "study/report.hpp"
#include "study/study.hpp"
#include "system/about.hpp"
#include "system/error.hpp"
#include "system/platform.hpp"

namespace talvenor {
namespace {

/// Draws "meshes 2 of 5 done, 3.4 s" over itself on the standard error stream
/// while the meshes run, when that stream is a terminal; erased at the end.
class ProgressLine {
 public:
  explicit ProgressLine(std::size_t total) : total_(total), shown_(stderr_is_terminal()) {}
  ~ProgressLine() {
    if (shown_) std::fprintf(stderr, "\r%*s\r", static_cast<int>(width_), "");
  }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  void draw(std::size_t done) {
    if (!shown_) return;
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start_;
    const int written =
        std::fprintf(stderr, "\rmeshes %zu of %zu done, %.1f s", done, total_, elapsed.count());
    if (written > 0) width_ = std::max(width_, static_cast<std::size_t>(written));
    std::fflush(stderr);
  }

 private:
  std::size_t total_;
  bool shown_;
  std::size_t width_ = 0;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

int default_jobs() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(cores);
}

/// Draws PREFIX.png from the script when a plotter can be run; says whether it exists.
bool draw_plot(const std::string& script, const std::string& png) {
  std::error_code ignored;
  std::filesystem::remove(png, ignored);  // a PNG of an earlier study must not pass for this one's
  const int status = run_command("wgnuplot " + quote_argument(script));
  const bool drawn = std::filesystem::exists(png, ignored);
  if (status != 0 && !drawn) {
    std::fprintf(stderr,
                 "talvenor-study: warning: %s was not drawn: the plotter ended with status %d\n",
                 png.c_str(), status);
  }
  return drawn;
}

void run_study(const StudyOptions& options) {
  CaseData base;
  load_case(base, std::string(kCaseFile));
  check_study_case(base);
  const std::vector<std::int32_t> meshes =
      options.meshes.empty() ? default_meshes(base.N) : options.meshes;
  const std::string prefix = options.output.value_or(std::string(base.caso.trimmed()) + "-study");

  std::vector<MeshRun> runs;
  {
    ProgressLine progress(meshes.size());
    runs = run_meshes(base, meshes, options.jobs.value_or(default_jobs()),
                      [&progress](std::size_t done) { progress.draw(done); });
  }
  const std::vector<VariableStudy> studies = analyse(runs, formal_order(base));
  std::fputs(study_table(base, studies).c_str(), stdout);
  const std::size_t troubled = study_warnings(base, studies).size();
  if (troubled > 0) {
    std::fprintf(stderr,
                 "talvenor-study: warning: %zu of the %zu meshes diverged or are not iteratively"
                 " converged; the table ends with the details\n",
                 troubled, meshes.size());
  }

  const std::string csv = prefix + ".csv";
  const std::string script = prefix + ".gnu";
  const std::string png = prefix + ".png";
  write_records(csv, "study table", csv_records(studies));
  write_records(script, "study plot script", plot_script_records(base, studies, png));
  std::fflush(stdout);
  const bool drawn = draw_plot(script, png);
  std::printf("\nwritten: %s, %s%s%s\n", csv.c_str(), script.c_str(), drawn ? ", " : "",
              drawn ? png.c_str() : "");
}

}  // namespace
}  // namespace talvenor

int main(int argc, char** argv) {
  if (talvenor::answer_help_or_version(argc, argv, "talvenor-study", talvenor::help_text())) {
    return 0;
  }
  try {
    const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const talvenor::StudyOptions options = talvenor::parse_options(arguments);
    if (options.help) {
      std::fputs(talvenor::help_text().data(), stdout);
      return 0;
    }
    talvenor::run_study(options);
    return 0;
  } catch (const talvenor::Error& error) {
    std::fprintf(stderr, "talvenor-study: %s\n", error.what());
    return error.status();
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "talvenor-study: out of memory\n");
    return static_cast<int>(talvenor::Error::Kind::memory);
  }
}

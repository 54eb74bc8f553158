// talvenor-study --run with the example solver (examples/own-solver, a Poisson solver
// of second order): orders verified or FAILED, of its values or of its nodes against
// --solution, a mesh that fails or hangs, a
// campaign over the solver's own option, and SIGTERM in the middle of a run.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "e2e_support.hpp"

namespace {

using namespace e2e;

const fs::path kStudy = TALVENOR_STUDY;
const std::string kSolver = "'" + std::string(TALVENOR_POISSON) + "' --n {N}";

fs::path fresh(const std::string& name) {
  const fs::path folder = kScratch / name;
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Each line: the solver's options, the study's, the status and the tally.
TEST(RunStudy, JudgesTheOrdersOfTheUsersSolver) {
  struct Case {
    std::string solver, study;
    int status;
    std::string tally;
  };
  const std::vector<Case> cases = {
      {"--print values", "--formal-order 2", 0, "2 verified, 0 exact, 0 refine, 0 FAILED of 2"},
      {"--print values --scheme shifted", "--formal-order 2", 9, "0 refine, 2 FAILED of 2"},
      {"--print values --scheme wrong", "--formal-order 2", 9, "0 refine, 2 FAILED of 2"},
      {"--print values --to r.csv", "--result r.csv --formal-order 2", 0, "2 verified"},
      // The nodes against the solver's manufactured solution: L1, L2, Linf and u(0.5).
      {"--print nodes", "--solution 'sin(pi*x)+x^3' --point 0.5 --formal-order 2", 0,
       "4 verified, 0 exact, 0 refine, 0 FAILED of 4"},
      {"--print nodes --scheme shifted", "--solution 'sin(pi*x)+x^3' --point 0.5 --formal-order 2",
       9, "0 refine, 4 FAILED of 4"},
      {"--print values --scheme {scheme}",
       "--sweep scheme=central,shifted --formal-order scheme=central:2,shifted:1", 0, "4 verified, 0 exact, 0 refine, 0 FAILED of 4"},
      {"--print values --scheme {scheme}",
       "--sweep scheme=central,wrong --formal-order 2 --jobs 4", 9, "2 verified, 0 exact, "
       "0 refine, 2 FAILED of 4"},
  };
  for (const Case& c : cases) {
    const fs::path folder = fresh("run_orders");
    const Outcome outcome = run_program(
        kStudy, folder,
        "--run \"" + kSolver + " " + c.solver + "\" --meshes 10,20,40,80 " + c.study);
    EXPECT_EQ(outcome.status, c.status) << c.solver << c.study << outcome.stderr_text;
    EXPECT_TRUE(has(outcome.stdout_text, c.tally)) << c.solver << c.study << outcome.stdout_text;
    EXPECT_TRUE(fs::exists(folder / "run-study.csv"));
  }
  // The campaign's runs, one folder per combination and mesh, kept.
  EXPECT_TRUE(fs::exists(kScratch / "run_orders/run-study-runs/scheme=wrong/N80/stdout.txt"));
}

// A mesh whose command fails or hangs is a diverged mesh with a note; the others are
// judged, and the study ends with status 0.
TEST(RunStudy, AFailingMeshIsNotedAndTheOthersJudged) {
  struct Case {
    std::string solver, study, note;
  };
  const std::vector<Case> cases = {
      {"--fail-at 40", "--formal-order 2",
       "N = 40: status 3: poisson: the matrix of n = 40 is singular (on purpose)"},
      {"--sleep-at 40", "--timeout 1 --formal-order 2", "N = 40: timed out after 1 s"},
  };
  for (const Case& c : cases) {
    const fs::path folder = fresh("run_failing");
    const auto start = std::chrono::steady_clock::now();
    const Outcome outcome = run_program(kStudy, folder,
                                        "--run \"" + kSolver + " --print values " + c.solver +
                                            "\" --meshes 10,20,40,80,160 " + c.study);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(outcome.status, 0) << outcome.stderr_text;
    EXPECT_TRUE(has(outcome.stdout_text, c.note + "\n")) << outcome.stdout_text;
    EXPECT_TRUE(has(outcome.stdout_text, "2 diverged of 2 cells")) << outcome.stdout_text;
    // u(0.5) on N = 160: read and judged beside the mesh that failed.
    EXPECT_TRUE(has(read_bytes(folder / "run-study.csv"), "u(0.5),160,6.2500000000000003e-03,1.1250321282378011e+00,"))
        << read_bytes(folder / "run-study.csv");
  }
}

/// The processes whose command line holds `marker`.
std::vector<std::string> processes_with(const std::string& marker) {
  std::vector<std::string> found;
  for (const fs::directory_entry& entry : fs::directory_iterator("/proc")) {
    const std::string cmdline = read_bytes(entry.path() / "cmdline");
    if (has(cmdline, marker)) found.push_back(entry.path().filename().string());
  }
  return found;
}

// SIGTERM while a mesh's command runs: the command's whole group ends, nothing is
// written but the runs folder, status 8.
TEST(RunStudy, SigtermEndsEveryCommandItStarted) {
  if (!fs::exists("/proc/self/cmdline")) GTEST_SKIP() << "no /proc here";
  const fs::path folder = fresh("run_signal");
  const std::string marker = "marker-" + std::to_string(std::rand());
  const std::string script =
      "cd '" + folder.string() + "' && { '" + kStudy.string() + "' --run \"" + kSolver +
      " --sleep-at 40 --to " + marker + "\" --result " + marker +
      " --meshes 10,20,40 --jobs 3 >out.txt 2>err.txt & pid=$!; "
      "while [ ! -e run-study-runs/N40/stderr.txt ]; do sleep 0.05; done; sleep 0.3; "
      "kill -TERM $pid; wait $pid; echo $? >status.txt; }";
  ASSERT_EQ(std::system(script.c_str()), 0);
  EXPECT_EQ(read_bytes(folder / "status.txt"), "8\n");
  EXPECT_EQ(read_bytes(folder / "err.txt"),
            "talvenor-study: interrupted by SIGTERM; every file ends with its last whole record\n");
  EXPECT_EQ(processes_with(marker), std::vector<std::string>{});
  EXPECT_FALSE(fs::exists(folder / "run-study.csv"));
}

}  // namespace

namespace {

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t found = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++found;
  }
  return found;
}

// A campaign over the solver's option takes the road of every study: each combination
// a group of the HTML matrix, the JUnit file and the paper table, its variables named
// after it in the table and the CSV file.
TEST(RunStudy, ACampaignWritesEveryReport) {
  const fs::path folder = fresh("run_reports");
  const Outcome outcome = run_program(
      kStudy, folder,
      "--run \"" + kSolver + " --print values --scheme {scheme}\" --meshes 10,20,40,80 "
      "--sweep scheme=central,shifted --formal-order scheme=central:2,shifted:1 "
      "--table markdown --junit j.xml --output r");
  ASSERT_EQ(outcome.status, 0) << outcome.stderr_text;
  EXPECT_TRUE(has(outcome.stdout_text, "written: r.csv, r-estimators.csv, r.gnu, "))
      << outcome.stdout_text;
  EXPECT_TRUE(has(outcome.stdout_text, ", r.html, r.md, j.xml\n")) << outcome.stdout_text;
  EXPECT_TRUE(has(read_bytes(folder / "r.csv"), "\nscheme=shifted: u(0.5),80,"));
  const std::string junit = read_bytes(folder / "j.xml");
  EXPECT_EQ(count(junit, "<testcase "), 4u) << junit;
  EXPECT_TRUE(has(junit, "scheme=shifted: slope(1)")) << junit;
  const std::string table = read_bytes(folder / "r.md");
  EXPECT_EQ(count(table, "| scheme=central | "), 2u) << table;
  EXPECT_EQ(count(table, "| verified |"), 4u) << table;
  // A plot per combination, and the audit's coverage against P.
  EXPECT_EQ(count(read_bytes(folder / "r.html"), "<svg"), 3u);
}

// A combination whose every mesh fails still has the variables of the others, each
// mesh diverged with its note: cells not judged, never cells left out.
TEST(RunStudy, ACombinationThatGivesNothingHasItsCellsNotJudged) {
  const fs::path folder = fresh("run_nothing");
  const Outcome outcome = run_program(
      kStudy, folder,
      "--run \"" + kSolver + " --print values --scheme {scheme}\" --meshes 10,20,40,80 "
      "--sweep scheme=central,none --formal-order 2 --junit j.xml --table latex");
  ASSERT_EQ(outcome.status, 0) << outcome.stderr_text;
  EXPECT_TRUE(has(outcome.stdout_text, "\nscheme=none: N = 80: status 2: usage: poisson"))
      << outcome.stdout_text;
  const std::string junit = read_bytes(folder / "j.xml");
  EXPECT_EQ(count(junit, "<testcase "), 4u) << junit;
  EXPECT_EQ(count(junit, "<skipped message=\"diverged: "), 2u) << junit;
}

}  // namespace

// Runs the built talvenor in a scratch folder per case, editor and plotter off,
// and compares every file the run leaves there with the case's expected files,
// byte for byte. A case is a folder under cases/: in/ is copied into the
// scratch folder before the run, out/ is the whole folder expected after it.

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "e2e_support.hpp"

namespace {

using namespace e2e;

void expect_folder_matches(const fs::path& folder, const fs::path& expected_folder) {
  const auto actual = folder_files(folder);
  const auto expected = folder_files(expected_folder);
  for (const auto& [name, bytes] : expected) {
    const auto found = actual.find(name);
    if (found == actual.end()) {
      ADD_FAILURE() << name << " was not written";
      continue;
    }
    EXPECT_EQ(mask_time(found->second), mask_time(bytes)) << name << " differs";
  }
  for (const auto& [name, bytes] : actual) {
    EXPECT_TRUE(expected.count(name)) << name << " was written but is not expected";
  }
}

/// One case: its folder under cases/, how often it is run in the same scratch
/// folder, and the status and standard error of the last run.
struct Case {
  std::string name;
  int runs;
  int status;
  std::string stderr_text;
};

class WholeRun : public testing::TestWithParam<Case> {};

TEST_P(WholeRun, LeavesExactlyTheExpectedFiles) {
  const Case& c = GetParam();
  const fs::path folder = prepare(c.name);
  Outcome outcome{};
  for (int run = 0; run < c.runs; ++run) outcome = run_talvenor(folder);
  EXPECT_EQ(outcome.status, c.status);
  EXPECT_EQ(outcome.stderr_text, c.stderr_text);
  expect_folder_matches(folder, kCases / c.name / "out");
}

INSTANTIATE_TEST_SUITE_P(Cases, WholeRun, testing::ValuesIn(std::vector<Case>{
    // The sample case: the echo, both tables, the report and the iteration log.
    {"example", 1, 0, ""},
    // Plots over templates that are present, run twice: the scripts keep their first
    // lines and carry one title and one redraw.
    {"plots", 2, 0, ""},
    // Templates missing from the folder are written from the samples first.
    {"missing_templates", 1, 0, ""},
    // Every flag off: the echo is followed directly by the report.
    {"flags_off", 1, 0, ""},
    // Negative coefficients, solutions and errors keep their digits in place.
    {"negative", 1, 0, ""},
    // A missing case file is left behind empty, and the first value is named.
    {"missing_case_file", 1, 1,
     "talvenor: Talvenor.in (unit 7) line 1 (caso): end of file, expected the value of caso\n"},
}),
                         [](const auto& param_info) { return param_info.param.name; });

}  // namespace

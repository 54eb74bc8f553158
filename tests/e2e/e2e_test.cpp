// Runs the built talvenor in a scratch folder per case, editor and plotter off,
// and compares every file the run leaves there with the case's expected files,
// byte for byte. A case is a folder under cases/: in/ is copied into the
// scratch folder before the run, out/ is the whole folder expected after it; a
// case without out/ expects the folder left exactly as in/ put it.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <ostream>
#include <regex>
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

/// No file of a run holds an infinity or a NaN, in any spelling, nor a number field
/// filled with asterisks because its value did not fit.
void expect_no_infinity(const fs::path& folder) {
  static const std::regex kWord(R"(\b(inf|infinity|nan)\b)", std::regex::icase);
  static const std::regex kStars(R"(\*{8})");
  for (const auto& [name, bytes] : folder_files(folder)) {
    EXPECT_FALSE(std::regex_search(bytes, kWord)) << name << " holds an infinity or a NaN";
    EXPECT_FALSE(std::regex_search(bytes, kStars)) << name << " holds a field of asterisks";
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

/// Test names show the case's folder, not the bytes of the record.
void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}

/// Runs the case in a fresh scratch folder, after `arrange` has added to it what a
/// folder of files cannot hold, and checks the status, the standard error and every
/// file left there.
void check_case(const Case& c, const std::function<void(const fs::path&)>& arrange = {}) {
  const fs::path folder = prepare(c.name);
  if (arrange) arrange(folder);
  Outcome outcome{};
  for (int run = 0; run < c.runs; ++run) outcome = run_talvenor(folder);
  EXPECT_EQ(outcome.status, c.status);
  EXPECT_EQ(outcome.stderr_text, c.stderr_text);
  const fs::path out = kCases / c.name / "out";
  expect_folder_matches(folder, fs::exists(out) ? out : kCases / c.name / "in");
  expect_no_infinity(folder);
}

class WholeRun : public testing::TestWithParam<Case> {};

TEST_P(WholeRun, LeavesExactlyTheExpectedFiles) {
  check_case(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Cases, WholeRun, testing::ValuesIn(std::vector<Case>{
    // The sample case: the echo, both tables, the report and the iteration log; its
    // iteration oscillates.
    {"example", 1, 0,
     "talvenor: warning: the iteration has not converged in 50 iterations: inclinacao(1) "
     "changed by 1.472E-03 in the last one; the listing shows its last iterate\n"},
    // Plots over templates that are present, run twice: the scripts keep their first
    // lines and carry one title and one redraw.
    {"plots", 2, 0, ""},
    // Templates missing from the folder are written from the samples first.
    {"missing_templates", 1, 0, ""},
    // Every flag off: the echo is followed directly by the report.
    {"flags_off", 1, 0, ""},
    // Negative coefficients, solutions and errors keep their digits in place; four
    // iterations are not enough.
    {"negative", 1, 0,
     "talvenor: warning: the iteration has not converged in 4 iterations: u(1/2) changed by "
     "8.469E-03 in the last one; the listing shows its last iterate\n"},
    // A missing case file is left behind empty, and the first value is named.
    {"missing_case_file", 1, 1,
     "talvenor: Talvenor.in (unit 7) line 1 (caso): end of file, expected the value of caso\n"},
    // Failures of the case file name the line, the value and what was expected, and
    // leave the folder as it was.
    {"case_file_ends_early", 1, 1,
     "talvenor: Talvenor.in (unit 7) line 6 (beta): end of file, expected the value of beta\n"},
    {"text_for_a_number", 1, 1,
     "talvenor: Talvenor.in (unit 7) line 4 (N): expected an integer, found 'abc'\n"},
    {"malformed_real", 1, 1,
     "talvenor: Talvenor.in (unit 7) line 5 (Re): expected a real number, found '1.5E'\n"},
    {"no_elements", 1, 1,
     "talvenor: Talvenor.in (unit 7) line 4 (N): expected at least 2 elements, found 0\n"},
    // A listing that cannot be opened stops the run before the calculation.
    {"listing_in_missing_folder", 1, 3,
     "talvenor: cannot open the listing 'nowhere/falha.txt' (unit 10): No such file or "
     "directory\n"},
    // A plot template too short to keep its lines stops the run after the data file
    // and the first script; the listing lacks the report.
    {"template_too_short", 1, 3,
     "talvenor: warning: the iteration has not converged in 3 iterations: inclinacao(1) changed "
     "by -3.601E-04 in the last one; the listing shows its last iterate\n"
     "talvenor: cannot use the plot template 'Talvenor_E.gnu' (unit 11): expected at least 6 "
     "lines, found 4\n"},
    // A diverging iteration stops at the overflow: the log holds every iteration
    // before the faulty one, the listing holds the echo.
    {"diverging", 1, 5, "talvenor: floating-point overflow in iteration 6 (tdma)\n"},
    {"diverging_at_once", 1, 5,
     "talvenor: floating-point invalid operation and overflow in iteration 1 (tdma)\n"},
}),
                         [](const auto& param_info) { return param_info.param.name; });

// Faults that a folder of files cannot hold: a device, or a folder where a file goes.

TEST(Faults, ListingOnAFullDisk) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
  check_case({"listing_on_full_disk", 1, 3,
              "talvenor: cannot write the listing '/dev/full' (unit 10): No space left on "
              "device\n"});
}

TEST(Faults, FolderWhereTheLogGoes) {
  check_case({"log_unwritable", 1, 3,
              "talvenor: cannot open the iteration log 'falha.itn' (unit 11): Is a directory\n"},
             [](const fs::path& folder) { fs::create_directory(folder / "falha.itn"); });
  EXPECT_TRUE(fs::is_directory(kScratch / "log_unwritable" / "falha.itn"));
}

TEST(Faults, FolderWhereAPlotTemplateGoes) {
  check_case({"template_unopenable", 1, 3,
              "talvenor: warning: the iteration has not converged in 3 iterations: "
              "inclinacao(1) changed by -3.601E-04 in the last one; the listing shows its "
              "last iterate\n"
              "talvenor: cannot open the plot template 'Talvenor_u.gnu' (unit 11): Is a "
              "directory\n"},
             [](const fs::path& folder) { fs::create_directory(folder / "Talvenor_u.gnu"); });
  EXPECT_TRUE(fs::is_directory(kScratch / "template_unopenable" / "Talvenor_u.gnu"));
}

}  // namespace

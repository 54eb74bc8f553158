// How single case values and names steer a run: flags other than 1, a run without
// iterations, the listing's name from the argument or the console, and a plot
// template that cannot be examined.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "e2e_support.hpp"

namespace {

using namespace e2e;

TEST(Flags, OnlyOneSwitchesAnOutputOn) {
  // graficos, lista_coef and lista_sol are lines 8 to 10 of the case.
  for (const std::string value : {"2", "-1"}) {
    const fs::path folder = prepare("flags_off", "flags_" + value);
    replace_lines(folder / "Talvenor.in", {{8, value}, {9, value}, {10, value}});
    ASSERT_EQ(run_talvenor(folder).status, 0) << value;
    std::map<std::string, std::string> files = folder_files(folder);
    std::map<std::string, std::string> expected = folder_files(kCases / "flags_off" / "out");
    files.erase("Talvenor.in");
    expected.erase("Talvenor.in");
    for (auto& [name, bytes] : files) bytes = mask_time(bytes);
    for (auto& [name, bytes] : expected) bytes = mask_time(bytes);
    EXPECT_EQ(files, expected) << value;
  }
}

TEST(ItmaxZero, TheCoefficientTableShowsTheBoundaryRows) {
  // No iteration fills the interior coefficients, which stay zero; the boundary
  // rows (u(0) = 0, u(1) = 1) and the source term are prepared all the same.
  const fs::path folder = prepare("example", "itmax_zero");
  replace_lines(folder / "Talvenor.in", {{7, "0  itmax"}});
  ASSERT_EQ(run_talvenor(folder).status, 0);
  const std::string zero = "   0.00000000000000E+00";
  const std::string one = "   1.00000000000000E+00";
  const std::string rows =
      "       0" + zero + zero + one + zero + zero + "\r\n" +
      "       5   2.50000000000000E-01" + zero + zero + zero + "   2.43970311125971E-03\r\n" +
      "      10   5.00000000000000E-01" + zero + zero + zero + "   1.33152547083096E-02\r\n" +
      "      15   7.50000000000000E-01" + zero + zero + zero + "   3.38854176104538E-02\r\n" +
      "      20" + one + zero + one + zero + one + "\r\n";
  EXPECT_NE(read_bytes(folder / "teste1.txt").find(rows), std::string::npos);
}

const std::string kQuestion = "File name missing or blank - please enter file name\nUNIT 10? ";

/// The sample case with a blank caso, in a fresh scratch folder.
fs::path blank_caso(const std::string& name) {
  const fs::path folder = prepare("example", name);
  replace_lines(folder / "Talvenor.in", {{1, "'   '  caso"}});
  return folder;
}

TEST(ListingName, TheArgumentLosesItsTrailingBlanks) {
  const fs::path folder = blank_caso("name_trailing_blanks");
  const Outcome outcome = run_talvenor(folder, "'named.lst  '");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.stdout_text, "");
  const auto files = folder_files(folder);
  EXPECT_EQ(files.count("named.lst"), 1u);
  EXPECT_EQ(files.count("named.lst  "), 0u);
}

TEST(ListingName, ABlankArgumentOrAnswerMeansAskAgain) {
  const fs::path folder = blank_caso("name_blank");
  const Outcome outcome = run_talvenor(folder, "'   '", "", "  \r\nasked.lst \r\n");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.stdout_text, kQuestion + kQuestion);
  const auto files = folder_files(folder);
  EXPECT_EQ(files.count("asked.lst"), 1u);
  EXPECT_EQ(files.size(), 3u);  // the case, its log ".itn" and the listing
}

TEST(Failure, ATemplateLinkedToItselfEndsTheRunWithTheListingWhole) {
  const fs::path folder = prepare("example", "template_linked_to_itself");
  replace_lines(folder / "Talvenor.in", {{8, "1  graficos"}});
  fs::create_symlink("Talvenor_u.gnu", folder / "Talvenor_u.gnu");
  const Outcome outcome = run_talvenor(folder);
  EXPECT_EQ(outcome.status, 3);
  // The sample's iteration has not converged: its warning comes first.
  std::string report = outcome.stderr_text;
  if (report.starts_with("talvenor: warning: ")) report.erase(0, report.find('\n') + 1);
  EXPECT_TRUE(report.starts_with(
      "talvenor: cannot open the plot template 'Talvenor_u.gnu' (unit 11): "))
      << outcome.stderr_text;
  EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 1) << outcome.stderr_text;
  // The listing holds everything before the report: the echo and both tables.
  const std::string full = read_bytes(kCases / "example" / "out" / "teste1.txt");
  const std::string before_report = full.substr(0, full.find("\r\n *** VARI"));
  EXPECT_EQ(read_bytes(folder / "teste1.txt"), before_report);
}

}  // namespace

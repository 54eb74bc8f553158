// talvenor-study --data run in scratch folders: the published three-grid example,
// a study's own CSV read back, a --formal-order gate, and the JUnit files CI servers
// read.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "e2e_support.hpp"
#include "textio/number_format.hpp"

namespace {

using namespace e2e;

const fs::path kStudy = TALVENOR_STUDY;

/// A fresh scratch folder `name` holding `file` with `text`.
fs::path folder_holding(const std::string& name, const std::string& file, const std::string& text) {
  const fs::path folder = kScratch / name;
  fs::remove_all(folder);
  fs::create_directories(folder);
  write_bytes(folder / file, text);
  return folder;
}

/// The fields of each record of a CSV file the study wrote (no quoted fields).
std::vector<std::vector<std::string>> csv_rows(const fs::path& path) {
  std::istringstream lines(read_bytes(path));
  std::vector<std::vector<std::string>> rows;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> fields;
    std::istringstream items(line + ",");
    for (std::string item; std::getline(items, item, ',');) fields.push_back(item);
    rows.push_back(fields);
  }
  return rows;
}

/// What Python's XML parser finds in a JUnit file, after checking the attributes the
/// JUnit schema of CI servers requires (testsuite: name, tests, failures, errors;
/// testcase: name): "tests 3 failures 1 errors 0 skipped 0; 3 cases, 1 failure".
std::string junit_summary(const fs::path& xml, const std::string& name) {
  const std::string out = (kScratch / (name + ".junit")).string();
  const std::string command =
      std::string(TALVENOR_PYTHON) +
      " -c 'import sys, xml.etree.ElementTree as ET\n"
      "s = ET.parse(sys.argv[1]).getroot()\n"
      "assert s.tag == \"testsuite\" and all(a in s.attrib for a in (\"name\", \"tests\","
      " \"failures\", \"errors\"))\n"
      "cases = s.findall(\"testcase\")\n"
      "assert all(\"name\" in c.attrib for c in cases)\n"
      "print(\"tests\", s.get(\"tests\"), \"failures\", s.get(\"failures\"), \"errors\","
      " s.get(\"errors\"), \"skipped\", s.get(\"skipped\") + \";\", len(cases), \"cases,\","
      " len(s.findall(\"testcase/failure\")), \"failure\")' '" +
      xml.string() + "' >'" + out + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << read_bytes(xml);
  return read_bytes(out);
}

TEST(DataStudy, ReproducesTheThreeGridExampleOfCelikEtAl2008) {
  // Table 1, first column: 18,000, 8,000 and 4,500 cells in two dimensions.
  const fs::path folder =
      folder_holding("data_celik", "celik.csv", "cells,value\n18000,6.063\n8000,5.972\n4500,5.863\n");
  const Outcome outcome = run_program(kStudy, folder, "--data celik.csv --dimension 2");
  ASSERT_EQ(outcome.status, 0) << outcome.stderr_text;
  const auto rows = csv_rows(folder / "celik-study.csv");
  ASSERT_EQ(rows.size(), 4u);
  const std::vector<std::string>& fine = rows.back();
  EXPECT_EQ(fine[1], "18000");
  // The paper: p = 1.53, phi_ext = 6.1685, GCI_fine = 2.2 %.
  EXPECT_EQ(talvenor::fixed_text(std::stod(fine[7]), 2), "1.53");
  EXPECT_EQ(talvenor::fixed_text(std::stod(fine[8]), 4), "6.1685");
  EXPECT_EQ(talvenor::fixed_text(std::stod(fine[9]) * 100.0, 1), "2.2");
  EXPECT_NE(outcome.stdout_text.find("No exact values: no error"), std::string::npos);
}

TEST(DataStudy, AStudysOwnCsvReadBackGivesItsNumbers) {
  const fs::path folder = folder_holding(
      "data_round_trip", "Talvenor.in",
      "'estudo'  caso\r\n1  esquema\r\n0  fonte\r\n20  N\r\n10  Re\r\n1  beta\r\n200  itmax\r\n"
      "0\r\n0\r\n0\r\n1\r\n'Estudo'\r\n");
  ASSERT_EQ(run_program(kStudy, folder, "--meshes 10,14,20,30,40").status, 0);
  const Outcome back =
      run_program(kStudy, folder, "--data estudo-study.csv --formal-order 1 --output back");
  ASSERT_EQ(back.status, 0) << back.stderr_text;
  const auto original = csv_rows(folder / "estudo-study.csv");
  const auto read_back = csv_rows(folder / "back.csv");
  ASSERT_EQ(original.size(), read_back.size());
  EXPECT_EQ(original[0], read_back[0]);  // the same columns
  for (std::size_t k = 1; k < original.size(); ++k) {
    EXPECT_EQ(read_back[k][1], "");  // the file gives h, not N
    for (std::size_t field = 2; field <= 9; ++field) {  // h to gci
      ASSERT_EQ(original[k][field].empty(), read_back[k][field].empty()) << k << " " << field;
      if (original[k][field].empty()) continue;
      const double a = std::stod(original[k][field]);
      const double b = std::stod(read_back[k][field]);
      EXPECT_LE(std::fabs(a - b), 1e-12 * std::fabs(a)) << k << " " << field;
    }
  }
}

TEST(DataStudy, AFormalOrderGateEndsWithItsStatusAfterEveryFile) {
  std::string text = "variable,h,value,exact\n";
  for (const double h : {0.1, 0.05, 0.025}) {
    std::ostringstream rows;
    rows.precision(17);
    rows << "second," << h << "," << 1.0 + h * h << ",1\n"
         << "first," << h << "," << 1.0 + h + 10.0 * h * h << ",1\n";
    text += rows.str();
  }
  const fs::path folder = folder_holding("data_gate", "solver.csv", text);
  const Outcome outcome =
      run_program(kStudy, folder, "--data solver.csv --formal-order 2 --junit gate.xml");
  EXPECT_EQ(outcome.status, 9);
  EXPECT_EQ(outcome.stderr_text,
            "talvenor-study: 1 of the 2 variables FAILED: their orders do not approach the formal"
            " order 2; the table gives each reason\n");
  for (const std::string file : {"solver-study.csv", "solver-study.gnu", "gate.xml"}) {
    EXPECT_TRUE(fs::exists(folder / file)) << file;
  }
  EXPECT_NE(outcome.stdout_text.find("\nsecond: verified, order 2.000\n"), std::string::npos)
      << outcome.stdout_text;
  EXPECT_EQ(junit_summary(folder / "gate.xml", "data_gate"),
            "tests 2 failures 1 errors 0 skipped 0; 2 cases, 1 failure\n");
}

TEST(DataStudy, TheGateFailsWhatItDoesNotAccept) {
  // second: 1 + h^2 (verified); approaching: 1 + h^2 + 10 h^3 on three meshes
  // (refine); first: 1 + 0.3 h on six meshes, declared second order, effective orders
  // 1 to round-off (FAILED, whatever round-off does to the orders).
  const auto data = [](bool with_first) {
    std::ostringstream rows;
    rows.precision(17);
    rows << "variable,h,value,exact\n";
    for (const double h : {0.1, 0.05, 0.025}) {
      rows << "second," << h << "," << 1.0 + h * h << ",1\n"
           << "approaching," << h << "," << 1.0 + h * h + 10.0 * h * h * h << ",1\n";
    }
    for (double h = 0.1; with_first && h > 0.003; h /= 2.0) {
      rows << "first," << h << "," << 1.0 + 0.3 * h << ",1\n";
    }
    return rows.str();
  };
  struct Case {
    std::string name;
    bool with_first;
    std::string require;
    int status;
    std::string stderr_text;  ///< its last line
    std::string junit;
  };
  const std::string not_verified =
      "talvenor-study: 1 of the 2 variables are not verified, as --require verified asks; the"
      " table gives each reason\n";
  const Case cases[] = {
      {"gate_open", false, "", 0, "", "tests 2 failures 0 errors 0 skipped 1; 2 cases, 0 failure\n"},
      {"gate_verified", false, " --require verified", 9, not_verified,
       "tests 2 failures 1 errors 0 skipped 0; 2 cases, 1 failure\n"},
      {"gate_first_order", true, "", 9,
       "talvenor-study: 1 of the 3 variables FAILED: their orders do not approach the formal"
       " order 2; the table gives each reason\n",
       "tests 3 failures 1 errors 0 skipped 1; 3 cases, 1 failure\n"},
  };
  for (const Case& c : cases) {
    const fs::path folder = folder_holding(c.name, "solver.csv", data(c.with_first));
    const Outcome outcome = run_program(
        kStudy, folder, "--data solver.csv --formal-order 2 --junit gate.xml" + c.require);
    EXPECT_EQ(outcome.status, c.status) << c.name;
    // The last line (a warning that the plotter is missing may come before it).
    EXPECT_TRUE(outcome.stderr_text.ends_with(c.stderr_text)) << c.name << outcome.stderr_text;
    EXPECT_EQ(junit_summary(folder / "gate.xml", c.name), c.junit) << c.name;
  }
}

TEST(DataStudy, ACampaignsJunitFileHoldsItsFailedCell) {
  // Central differences on x^4 at Re = 7, N = 4, 8, 16 (Re*h below 2): the value and
  // the slope FAILED, the mean verified, the norms refine (skipped: not yet judged).
  const fs::path folder = folder_holding(
      "data_campaign_junit", "Talvenor.in",
      "'estudo'  caso\r\n2  esquema\r\n4  fonte\r\n20  N\r\n20  Re\r\n1  beta\r\n200  itmax\r\n"
      "0\r\n0\r\n0\r\n1\r\n'Estudo'\r\n");
  const Outcome outcome =
      run_program(kStudy, folder, "--sweep Re=7 --meshes 4,8,16 --junit campaign.xml");
  EXPECT_EQ(outcome.status, 9);
  EXPECT_EQ(junit_summary(folder / "campaign.xml", "data_campaign_junit"),
            "tests 6 failures 2 errors 0 skipped 3; 6 cases, 2 failure\n");
  EXPECT_NE(read_bytes(folder / "campaign.xml")
                .find("<testcase name=\"esquema 2, fonte 4, Re = 7: inclinacao(1)\""),
            std::string::npos);
  // Requiring verified, the open cells fail too.
  const Outcome required = run_program(
      kStudy, folder, "--sweep Re=7 --meshes 4,8,16 --junit campaign.xml --require verified");
  EXPECT_EQ(required.status, 9);
  EXPECT_EQ(junit_summary(folder / "campaign.xml", "data_campaign_junit"),
            "tests 6 failures 5 errors 0 skipped 0; 6 cases, 5 failure\n");
  EXPECT_NE(read_bytes(folder / "campaign.xml").find("message=\"refine, verified required\""),
            std::string::npos);
}

}  // namespace

namespace {

TEST(DataStudy, ManyVariablesOfTheirOwnMeshesReachEveryReport) {
  // Twelve variables of three to six meshes each stream through the analysis: the
  // table and the CSV hold all twelve; the plot, the HTML report's too, the first ten;
  // the paper's table and the JUnit file a row each.
  std::string text = "variable,h,value,exact\n";
  for (int v = 0; v < 12; ++v) {
    double h = 0.1;
    for (int k = 0; k < 3 + v % 4; ++k, h /= 2.0) {
      std::ostringstream row;
      row.precision(17);
      row << "v" << v << "," << h << "," << 1.0 + v + 0.3 * h + 0.2 * h * h << "," << 1.0 + v
          << "\n";
      text += row.str();
    }
  }
  const fs::path folder = folder_holding("data_many", "many.csv", text);
  const Outcome outcome = run_program(
      kStudy, folder, "--data many.csv --formal-order 1 --table markdown --junit many.xml");
  EXPECT_EQ(outcome.status, 0) << outcome.stderr_text;
  EXPECT_NE(outcome.stdout_text.find("\nThe plot draws the first 10 of the 12 variables;"),
            std::string::npos);
  const std::vector<std::vector<std::string>> csv = csv_rows(folder / "many-study.csv");
  ASSERT_EQ(csv.size(), 1u + 3u * (3u + 4u + 5u + 6u));
  EXPECT_EQ(csv.back().front(), "v11");
  const std::string html = read_bytes(folder / "many-study.html");
  std::size_t curves = 0;
  for (std::size_t at = html.find("<path"); at != std::string::npos; at = html.find("<path", at + 1))
    ++curves;
  EXPECT_EQ(curves, 10u);
  EXPECT_NE(html.find("<th>v11</th>"), std::string::npos);
  std::istringstream table(read_bytes(folder / "many-study.md"));
  std::size_t lines = 0;
  for (std::string line; std::getline(table, line);) ++lines;
  EXPECT_EQ(lines, 2u + 12u);
  EXPECT_EQ(junit_summary(folder / "many.xml", "data_many"),
            "tests 12 failures 0 errors 0 skipped 0; 12 cases, 0 failure\n");
}

}  // namespace

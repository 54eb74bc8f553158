#include "study_reports/report.hpp"
#include "study_reports/audit_report.hpp"
#include "study_reports/plot_script.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <sstream>
#include <vector>

namespace talvenor {
namespace {

CaseData study_case() {
  CaseData data;
  data.caso.assign("caso1");
  data.titulo.assign("Teste");
  data.esquema = 1;
  data.fonte = 0;
  data.Re = 1.0;
  data.beta = 0.5;
  data.itmax = 200;
  return data;
}

/// A first-order variable on N = 10, 20, 40 with one diverged mesh added at N = 80.
std::vector<VariableStudy> made_up_studies() {
  std::vector<MeshRow> rows;
  for (const std::int32_t N : {10, 20, 40, 80}) {
    MeshRow row;
    row.N = N;
    row.h = 1.0 / N;
    row.exact = 0.5;
    if (N == 80) {
      row.fault = "floating-point overflow in iteration 7 (tdma)";
      row.iterations = 6;
    } else {
      row.numerical = 0.5 - 0.25 * row.h;
      row.iterations = 200;
      if (N == 10) row.iteration_estimate = 0.005;
    }
    rows.push_back(row);
  }
  return {analyse_variable("u(1/2)", rows, 1.0)};
}

TEST(StudyTable, AlignsOneRowPerMeshWithItsNotes) {
  const std::string table =
      study_table(study_case(), Method::successive_substitution, made_up_studies());
  const std::string expected =
      "Mesh-refinement study of caso1: Teste\n"
      "esquema 1, fonte 0, Re = 1, beta = 0.5, itmax 200; meshes 10, 20, 40, 80\n"
      "solver: successive substitution (--solver picard); iterations per mesh: 200, 200, 200, "
      "6\n"
      "\n"
      "u(1/2)\n"
      "       N           h              numerical                  exact         error"
      "      p_E      p_U             Richardson        GCI      u_gci       u_fs      u_lsq"
      "  notes\n"
      "      10  1.0000e-01   4.75000000000000e-01   5.00000000000000e-01   2.50000e-02"
      "                                                                                       iteration error 20 % of |E|\n"
      "      20  5.0000e-02   4.87500000000000e-01   5.00000000000000e-01   1.25000e-02\n"
      "      40  2.5000e-02   4.93750000000000e-01   5.00000000000000e-01   6.25000e-03"
      "   1.0000\n"
      "      80  1.2500e-02               diverged   5.00000000000000e-01"
      "                                                                                                     diverged\n"
      "  least-squares order: 1.0000 over 2 of the 4 meshes (the others carry a note), none "
      "over the finest three\n"
      "\n"
      "N = 10 is not iteratively converged: after 200 iterations the iteration error of u(1/2) "
      "is 1 % of the error or more; the iteration contracts: raise itmax (200) for a study "
      "that means something\n"
      "N = 80 diverged: floating-point overflow in iteration 7 (tdma)\n";
  EXPECT_EQ(table, expected);
}

TEST(StudyTable, EachKindOfAdviceIsOneLineNamingItsMeshes) {
  // Newton's method: N = 10 and 40 stall on different variables, N = 20 and 80 stop
  // short of convergence after different counts, N = 160 diverged.
  std::vector<VariableStudy> studies;
  for (const std::string_view name : {"u(1/2)", "u_media"}) {
    std::vector<MeshRow> rows;
    for (const std::int32_t N : {10, 20, 40, 80, 160}) {
      MeshRow row;
      row.N = N;
      row.h = 1.0 / N;
      row.exact = 0.5;
      row.iterations = N == 80 ? 150 : 200;
      if (N == 160) {
        row.fault = "floating-point overflow in iteration 3 (tdma)";
      } else {
        row.numerical = 0.5 - 0.25 * row.h;
      }
      if (N == 10 || (N == 40 && name == "u_media")) {
        row.iteration_not_converging = true;
      } else if (N == 20 || N == 80) {
        row.iteration_estimate = 0.01;
      }
      rows.push_back(row);
    }
    studies.push_back(analyse_variable(std::string(name), rows, 1.0));
  }
  EXPECT_EQ(study_warnings(study_case(), Method::newton, studies),
            (std::vector<std::string>{
                "N = 10 and 40 are not iteratively converged: the updates of u(1/2), u_media on"
                " N = 10 and of u_media on N = 40 do not shrink; Newton's method does not"
                " converge from the exact solution on these meshes",
                "N = 20 and 80 are not iteratively converged: after 150 to 200 iterations the"
                " iteration error of u(1/2), u_media is 1 % of the error or more; the iteration"
                " contracts: raise itmax (200) for a study that means something",
                "N = 160 diverged: floating-point overflow in iteration 3 (tdma)"}));
  EXPECT_EQ(troubled_meshes(studies), 5u);
}

TEST(StudyCsv, FullDigitsAndEmptyFieldsWhereNoValueExists) {
  const std::vector<std::string> records = csv_records(made_up_studies());
  ASSERT_EQ(records.size(), 5u);
  EXPECT_EQ(records[0],
            "variable,N,h,numerical,exact,error,p_effective,p_apparent,richardson,gci,u_gci,u_fs,"
            "u_lsq,notes");
  EXPECT_EQ(records[1],
            "u(1/2),10,1.0000000000000001e-01,4.7499999999999998e-01,5.0000000000000000e-01,"
            "2.5000000000000022e-02,,,,,,,,iteration error 20 % of |E|");
  EXPECT_EQ(records[4],
            "u(1/2),80,1.2500000000000001e-02,,5.0000000000000000e-01,,,,,,,,,diverged");
  // Every number reads back as the double it came from.
  const std::string& third = records[3];
  EXPECT_EQ(std::stod(third.substr(third.find(",4.9") + 1)), 0.5 - 0.25 * (1.0 / 40));
}

TEST(StudyPlot, DrawsTheErrorsOfEachVariableAndTwoReferenceSlopes) {
  const std::vector<std::string> records =
      plot_script_records(case_plot_titles(study_case(), Method::newton), made_up_studies(),
                          "it's.png");
  const auto has = [&](std::string_view line) {
    return std::find(records.begin(), records.end(), line) != records.end();
  };
  EXPECT_TRUE(has("set output 'it''s.png'"));
  EXPECT_TRUE(has("set logscale xy"));
  EXPECT_TRUE(has("$variable1 << EOD"));
  // The flagged point of N = 10 is drawn hollow, and the key says what hollow means.
  EXPECT_TRUE(has("1.0000000000000001e-01 2.5000000000000022e-02 1"));
  EXPECT_TRUE(std::any_of(records.begin(), records.end(), [](const std::string& line) {
    return line.starts_with("2.5000000000000001e-02 ") && line.ends_with(" 0");
  }));
  EXPECT_TRUE(
      has("plot $variable1 using 1:2 with lines linecolor 1 title 'u(1/2)' noenhanced, \\"));
  EXPECT_TRUE(
      has("     $variable1 using 1:($3 == 1 ? $2 : NaN) with points pointtype 6 "
          "linecolor 1 notitle, \\"));
  EXPECT_TRUE(
      has("     NaN with points pointtype 6 linecolor 'black' title 'hollow: flagged, "
          "see the notes', \\"));
  EXPECT_TRUE(
      has("     e0 * (x / h0)**2 with lines dashtype 3 linecolor 'gray20' title 'order 2'"));
  // The diverged mesh has no point: three lines of data between the markers.
  const auto begin = std::find(records.begin(), records.end(), "$variable1 << EOD");
  const auto end = std::find(begin, records.end(), "EOD");
  EXPECT_EQ(end - begin, 4);
}

/// The cells of each row of the HTML tables in `lines`, the headings' row included,
/// their text unescaped.
std::vector<std::vector<std::string>> html_cells(const std::vector<std::string>& lines) {
  std::vector<std::vector<std::string>> rows;
  const std::regex cell("<t[hd]>([^<]*)</t[hd]>");
  for (const std::string& line : lines) {
    if (line.rfind("<tr>", 0) != 0) continue;
    rows.emplace_back();
    for (auto it = std::sregex_iterator(line.begin(), line.end(), cell);
         it != std::sregex_iterator(); ++it) {
      std::string text = (*it)[1];
      for (const auto& [entity, character] :
           {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}}) {
        for (std::size_t at; (at = text.find(entity)) != std::string::npos;) {
          text.replace(at, std::string_view(entity).size(), character);
        }
      }
      rows.back().push_back(text);
    }
  }
  return rows;
}

TEST(AuditReports, TheTerminalTheCsvAndTheHtmlHoldOneTable) {
  // Four values of u_gci and one of u_fs: one not covered at P = 1.5, one without U.
  const auto row = [](Estimator estimator, std::optional<double> u, double error,
                      std::optional<double> P, bool finest) {
    return AuditRow{estimator, u, error, "esquema 1", 0.5, P, finest, "v, N = 40"};
  };
  const std::vector<AuditRow> rows = {
      row(Estimator::gci, 2.0, 1.0, 1.0, false), row(Estimator::gci, 0.5, 1.0, 1.5, true),
      row(Estimator::gci, std::nullopt, 1.0, std::nullopt, false),
      row(Estimator::gci, 1.25, 1.0, 1.0, false), row(Estimator::fs, 1.6, -1.0, 1.0, true)};
  const Audit result = audit_estimators(rows);
  const std::vector<std::string> csv = audit_csv_records(result);
  const auto html = html_cells(audit_html_records(result, html_escape));
  const std::string text = audit_text(result, "");
  // The groups' table, then the failures' table: its heading row and the one failure.
  ASSERT_EQ(html.size(), csv.size() + 2);
  for (std::size_t r = 1; r < csv.size(); ++r) {
    std::vector<std::string> fields;
    std::istringstream items(csv[r] + ",");
    for (std::string item; std::getline(items, item, ',');) fields.push_back(item);
    ASSERT_EQ(fields.size(), html[r].size()) << csv[r];
    std::size_t at = 0;  // the terminal's line holds the same cells, in order
    for (std::size_t c = 0; c < fields.size(); ++c) {
      const std::string& shown = html[r][c];
      at = text.find(shown, at);
      EXPECT_NE(at, std::string::npos) << shown << " of " << csv[r];
      if (c < 2 || fields[c].find('.') == std::string::npos) {
        EXPECT_EQ(shown, fields[c]);  // names and counts alike
      } else {
        EXPECT_NEAR(std::stod(shown), std::stod(fields[c]), 5e-3 * std::stod(fields[c])) << csv[r];
      }
    }
  }
  // u_gci over all: 3 values, 2 covered, Wilson's 20.8 % to 93.9 %, one abstained.
  EXPECT_EQ(csv[1].substr(0, 17), "u_gci,all,3,2,6.6");
  EXPECT_EQ(html[1], (std::vector<std::string>{"u_gci", "all", "3", "2", "66.7", "20.8", "93.9",
                                               "1", "0.500", "1.25", "2.00"}));
  EXPECT_NE(text.find("u_gci fails on v, N = 40: U = 5.00e-01, |E| = 1.00e+00"), std::string::npos);
}

TEST(StudyPlot, DrawsAtMostTenVariablesOfAtMostAThousandPointsEach) {
  // Twelve variables of 2500 meshes: ten curves, every third mesh from the coarsest.
  std::vector<VariableStudy> studies(12);
  for (std::size_t v = 0; v < studies.size(); ++v) {
    studies[v].name = "q" + std::to_string(v);
    for (int k = 0; k < 2500; ++k) {
      MeshRow row;
      row.h = 1.0 / (10 + k);
      row.exact = 1.0;
      row.numerical = 1.0 + row.h;
      row.error = -row.h;
      studies[v].rows.push_back(row);
    }
  }
  const std::vector<std::string> records =
      plot_script_records({"big.csv", "big.csv", false}, studies, "big.png");
  std::vector<std::ptrdiff_t> points;
  for (auto begin = records.begin(); begin != records.end(); ++begin) {
    if (!begin->ends_with(" << EOD")) continue;
    const auto end = std::find(begin, records.end(), "EOD");
    points.push_back(end - begin - 1);
    EXPECT_EQ(*(begin + 2), "7.6923076923076927e-02 7.6923076923076927e-02 0");  // h = 1/13
  }
  EXPECT_EQ(points, std::vector<std::ptrdiff_t>(kPlottedVariables, 834));
}

TEST(AuditTable, KeepsItsColumnsApartForAnyFigure) {
  // Effectivities of 1e10 and more, and counts of many digits, fill their columns.
  Audit audit;
  for (const double largest : {3.5e12, 1e100, 2.0}) {
    Coverage coverage;
    coverage.group = "all";
    coverage.valued = 123456789;
    coverage.covered = 12345678;
    coverage.effectivity_min = largest / 2.0;
    coverage.effectivity_median = largest;
    coverage.effectivity_max = largest * 10.0;
    audit.groups.push_back(coverage);
  }
  std::istringstream lines(audit_text(audit, ""));
  std::string line;
  while (std::getline(lines, line) && !line.starts_with("estimator")) {
  }
  for (std::size_t k = 0; k < audit.groups.size(); ++k) {
    ASSERT_TRUE(std::getline(lines, line));
    std::istringstream words(line);
    std::vector<std::string> fields;
    for (std::string word; words >> word;) fields.push_back(word);
    ASSERT_EQ(fields.size(), 11u) << line;
    EXPECT_EQ(std::stod(fields[10]), *audit.groups[k].effectivity_max * 1.0) << line;
  }
}

}  // namespace
}  // namespace talvenor

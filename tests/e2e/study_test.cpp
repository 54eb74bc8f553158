// talvenor-study run in scratch folders: the orders it finds for the schemes, its
// diagnostics, its numbers against talvenor's own for the same meshes, its options
// and the whole files of a default study.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "e2e_support.hpp"
#include "input/dados.hpp"
#include "record/exact_solutions.hpp"
#include "solver/calculos.hpp"
#include "study/options.hpp"
#include "textio/number_format.hpp"

namespace {

using namespace e2e;

const fs::path kStudy = TALVENOR_STUDY;

/// A case file (CR LF) for caso "estudo".
std::string case_text(int esquema, int fonte, double Re, double beta, int itmax, int N = 20) {
  std::ostringstream text;
  text << "'estudo'  caso\r\n"
       << esquema << "  esquema\r\n"
       << fonte << "  fonte\r\n"
       << N << "  N\r\n"
       << Re << "  Re\r\n"
       << beta << "  beta\r\n"
       << itmax << "  itmax\r\n"
       << "0\r\n0\r\n0\r\n1\r\n'Estudo de malhas'\r\n";
  return text.str();
}

/// The fields of a CSV line read with its CR: "a,,b\r" -> "a", "", "b".
std::vector<std::string> csv_fields(std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::vector<std::string> fields;
  std::istringstream items(line + ",");
  for (std::string item; std::getline(items, item, ',');) fields.push_back(item);
  return fields;
}

/// The CSV fields of each variable and mesh, the variable's name and N left out.
using Csv = std::map<std::pair<std::string, int>, std::vector<std::string>>;

Csv read_csv(const fs::path& path) {
  std::istringstream lines(read_bytes(path));
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line,
            "variable,N,h,numerical,exact,error,p_effective,p_apparent,richardson,gci,u_gci,u_fs,"
            "u_lsq,notes\r");
  Csv csv;
  while (std::getline(lines, line)) {
    EXPECT_EQ(line.back(), '\r');
    const std::vector<std::string> fields = csv_fields(line);
    EXPECT_EQ(fields.size(), 14u) << line;
    const std::pair<std::string, int> key{fields[0], std::stoi(fields[1])};
    csv[key] = std::vector<std::string>(fields.begin() + 2, fields.end());
  }
  return csv;
}

// Field positions after the variable and N.
enum Field {
  h, numerical, exact, error, p_effective, p_apparent, richardson, gci, u_gci, u_fs, u_lsq, notes
};

std::optional<double> value(const Csv& csv, const std::string& variable, int N, Field field) {
  const std::string& text = csv.at({variable, N}).at(field);
  if (text.empty()) return {};
  return std::strtod(text.c_str(), nullptr);
}

const std::vector<std::string> kVariables = {"u(1/2)", "u_media", "inclinacao(1)"};

/// Runs the study of `case_file` on `meshes` (and the `options`) in a scratch folder
/// `name` and reads its CSV.
std::pair<Outcome, Csv> study(const std::string& name, const std::string& case_file,
                              const std::string& meshes, const std::string& options = "") {
  const fs::path folder = folder_with(name, case_file);
  const Outcome outcome = run_program(kStudy, folder, "--meshes " + meshes + " " + options);
  EXPECT_EQ(outcome.status, 0) << outcome.stderr_text;
  return {outcome, read_csv(folder / "estudo-study.csv")};
}

void expect_orders_near(const Csv& csv, const std::vector<std::string>& variables, int N,
                        Field order, double expected, double tolerance) {
  for (const std::string& variable : variables) {
    const auto p = value(csv, variable, N, order);
    ASSERT_TRUE(p) << variable << " N = " << N;
    EXPECT_NEAR(*p, expected, tolerance) << variable << " N = " << N;
  }
}

TEST(StudyOrders, UpwindIsFirstOrder) {
  const auto [outcome, csv] =
      study("study_upwind", case_text(1, 0, 1.0, 1.0, 200), "20,40,80,160,320");
  for (const int N : {160, 320}) expect_orders_near(csv, kVariables, N, p_effective, 1.0, 0.05);
  expect_orders_near(csv, {"u(1/2)", "inclinacao(1)"}, 320, p_apparent, 1.0, 0.05);
  // The trapezoidal mean adds an error of second order that the apparent order
  // still feels on these meshes: 1.059 at N = 320, falling by half each doubling.
  expect_orders_near(csv, {"u_media"}, 320, p_apparent, 1.0, 0.07);
  EXPECT_EQ(outcome.stdout_text.find("iteration"), outcome.stdout_text.find("iterations per mesh"));
}

TEST(StudyOrders, CentralAndDeferredCorrectionAreSecondOrder) {
  for (const int esquema : {2, 0}) {
    const auto [outcome, csv] = study("study_second_order_" + std::to_string(esquema),
                                      case_text(esquema, 0, 1.0, 1.0, 200), "20,40,80,160,320");
    for (const int N : {160, 320}) {
      expect_orders_near(csv, kVariables, N, p_effective, 2.0, 0.05);
      expect_orders_near(csv, kVariables, N, p_apparent, 2.0, 0.05);
    }
    // Richardson's value is closer to the exact one than the finest mesh's.
    for (const std::string& variable : kVariables) {
      EXPECT_LT(
          std::fabs(*value(csv, variable, 320, richardson) - *value(csv, variable, 320, exact)),
          std::fabs(*value(csv, variable, 320, error)))
          << variable;
    }
  }
}

TEST(StudyOrders, ALinearExactSolutionIsAtRoundOffAndHasNoOrder) {
  for (const int esquema : {0, 1, 2}) {
    const auto [outcome, csv] = study("study_linear_" + std::to_string(esquema),
                                      case_text(esquema, 1, 1.0, 1.0, 200), "20,40,80,160,320");
    for (const auto& [key, fields] : csv) {
      EXPECT_LT(std::fabs(*value(csv, key.first, key.second, error)), 1e-11);
      for (const Field missing : {p_effective, p_apparent, richardson, gci}) {
        EXPECT_EQ(fields[missing], "") << key.first << " N = " << key.second;
      }
    }
    std::istringstream lines(outcome.stdout_text);
    int rows = 0;
    for (std::string line; std::getline(lines, line);) {
      if (line.find("e-0") != std::string::npos) {
        ++rows;
        EXPECT_NE(line.find("round-off"), std::string::npos) << line;
      }
    }
    EXPECT_EQ(rows, 30);  // three variables and three norms of the error on five meshes
    EXPECT_NE(outcome.stdout_text.find("least-squares order: none"), std::string::npos);
  }
}

TEST(StudyOrders, ApparentOrderWithRatiosOtherThanTwo) {
  // Ratios 1.6, 1.625, 1.615...: the ratio of differences alone is not r^p.
  const auto [outcome, csv] = study("study_ratios", case_text(2, 0, 1.0, 1.0, 200), "10,16,26,42");
  const std::vector<int> Ns = {16, 26, 42};
  for (const std::string& variable : kVariables) {
    std::vector<double> hs, fs_;
    for (const int N : Ns) {
      hs.push_back(*value(csv, variable, N, h));
      fs_.push_back(*value(csv, variable, N, numerical));
    }
    const double p = *value(csv, variable, 42, p_apparent);
    // f0 + C h^p through the three values: the ratio of differences matches.
    const double ratio = (fs_[0] - fs_[1]) / (fs_[1] - fs_[2]);
    const double model =
        (std::pow(hs[0], p) - std::pow(hs[1], p)) / (std::pow(hs[1], p) - std::pow(hs[2], p));
    EXPECT_NEAR(ratio / model, 1.0, 1e-9) << variable;
    EXPECT_NEAR(p, 2.0, 0.2) << variable;
    EXPECT_GT(std::fabs(std::log(ratio) / std::log(hs[1] / hs[2]) - p), 1e-3) << variable;
  }
}

TEST(StudyDiagnostics, OscillatoryDifferencesAreFlagged) {
  // x^3 with upwind: u(1/2) rises from N = 2 to 4, then falls.
  const auto [outcome, csv] = study("study_oscillatory", case_text(1, 3, 1.0, 1.0, 200), "2,4,6");
  EXPECT_FALSE(value(csv, "u(1/2)", 6, p_apparent));
  EXPECT_FALSE(value(csv, "u(1/2)", 6, richardson));
  EXPECT_FALSE(value(csv, "u(1/2)", 6, gci));
  EXPECT_TRUE(value(csv, "u_media", 6, p_apparent));
  EXPECT_NE(outcome.stdout_text.find("oscillatory"), std::string::npos);
}

TEST(StudyDiagnostics, SuccessiveSubstitutionBeyondItsReynoldsNumberGivesNoOrder) {
  // At Re = 20 successive substitution settles into a cycle far from the discrete
  // solution on every mesh: no order, Richardson value or GCI may come of it.
  const auto [outcome, csv] = study("study_unsettled", case_text(2, 0, 20.0, 1.0, 200),
                                    "20,40,80,160,320", "--solver picard");
  // One line names the five meshes and gives the advice once.
  const std::string advice =
      "\nN = 20, 40, 80, 160 and 320 are not iteratively converged: the changes of u(1/2), "
      "u_media, inclinacao(1) do not shrink, so more iterations will not help; successive "
      "substitution does not converge at this Re; --solver newton solves the same discrete "
      "equations\n";
  EXPECT_NE(outcome.stdout_text.find(advice), std::string::npos) << outcome.stdout_text;
  EXPECT_EQ(outcome.stdout_text.find("not iteratively converged"),
            outcome.stdout_text.rfind("not iteratively converged"));
  for (const int N : {20, 40, 80, 160, 320}) {
    for (const std::string& variable : kVariables) {
      EXPECT_FALSE(value(csv, variable, N, p_effective) || value(csv, variable, N, p_apparent) ||
                   value(csv, variable, N, gci))
          << variable << " N = " << N;
      EXPECT_EQ(csv.at({variable, N}).at(notes), "iteration not converging") << variable;
    }
  }
  EXPECT_EQ(outcome.stderr_text,
            "talvenor-study: warning: 5 of the 5 meshes diverged or are not iteratively converged;"
            " the table ends with the details\n");
}

TEST(StudyDiagnostics, DivergedMeshesAreReportedAndTheOthersComplete) {
  const auto [outcome, csv] =
      study("study_diverged", case_text(2, 0, 200.0, 1.0, 500), "2,4,8,16", "--solver picard");
  for (const int N : {2, 4}) {
    EXPECT_NE(outcome.stdout_text.find("N = " + std::to_string(N) +
                                       " diverged: floating-point overflow in iteration"),
              std::string::npos);
    EXPECT_FALSE(value(csv, "u_media", N, numerical));
  }
  for (const int N : {8, 16}) EXPECT_TRUE(value(csv, "u_media", N, numerical));
  // What the meshes that ran give is no solution of the discrete equations: flagged.
  EXPECT_EQ(csv.at({"u_media", 16}).at(notes), "iteration not converging");
  EXPECT_FALSE(value(csv, "u_media", 16, p_effective));
}

/// The three fields of talvenor's last iteration record.
std::vector<std::string> last_log_values(const fs::path& log) {
  std::string text = read_bytes(log);
  text.erase(text.size() - 2);  // the last CR LF
  const std::string last = text.substr(text.rfind('\n') + 1);
  return {last.substr(8, 23), last.substr(31, 23), last.substr(54, 23)};
}

std::string listing_form(double number) {
  char field[23];
  talvenor::format_scientific(field, number, 23, 14);
  return {field, 23};
}

TEST(StudyNumbers, AreTalvenorsForEachMesh) {
  const std::vector<int> meshes = {20, 40, 80};
  const std::string base = case_text(0, 0, 1.0, 0.5, 50);
  const auto [outcome, csv] = study("study_numbers", base, "20,40,80", "--solver picard");
  for (const int N : meshes) {
    // talvenor itself, on the same case with N replaced.
    const fs::path folder =
        folder_with("study_numbers_" + std::to_string(N), case_text(0, 0, 1.0, 0.5, 50, N));
    ASSERT_EQ(run_talvenor(folder).status, 0);
    const std::vector<std::string> logged = last_log_values(folder / "estudo.itn");
    // The same library on one thread, every bit.
    talvenor::CaseData data;
    talvenor::load_case(data, (folder / "Talvenor.in").string());
    talvenor::prepare_mesh(data);
    talvenor::compute_exact(data);
    talvenor::run_iterations(data, [](const talvenor::CaseData&) {});
    const std::vector<double> direct = {data.u[static_cast<std::size_t>(N / 2)], data.u_media_n,
                                        data.inclinacao_n};
    for (std::size_t v = 0; v < kVariables.size(); ++v) {
      const double studied = *value(csv, kVariables[v], N, numerical);
      EXPECT_EQ(listing_form(studied), logged[v]) << kVariables[v] << " N = " << N;
      EXPECT_EQ(std::memcmp(&studied, &direct[v], sizeof studied), 0)
          << kVariables[v] << " N = " << N;
    }
    EXPECT_EQ(*value(csv, "u(1/2)", N, exact), data.ua[static_cast<std::size_t>(N / 2)]);
    EXPECT_EQ(*value(csv, "u_media", N, h), data.h);
  }
}

TEST(StudyNumbers, DoNotDependOnTheThreads) {
  const std::string base = case_text(1, 0, 1.0, 1.0, 30);
  const fs::path one = folder_with("study_one_thread", base);
  const fs::path three = folder_with("study_three_threads", base);
  ASSERT_EQ(run_program(kStudy, one, "--jobs 1 --meshes 8,12,20,30,50").status, 0);
  ASSERT_EQ(run_program(kStudy, three, "--jobs=3 --meshes=8,12,20,30,50").status, 0);
  EXPECT_EQ(read_bytes(one / "estudo-study.csv"), read_bytes(three / "estudo-study.csv"));
}

/// `line` is a whole line of the standard output of `outcome`.
void expect_line(const Outcome& outcome, const std::string& line) {
  EXPECT_NE(("\n" + outcome.stdout_text).find("\n" + line + "\n"), std::string::npos)
      << outcome.stdout_text;
}

/// A campaign's verdicts from its CSV: one per combination (esquema, fonte, Re, beta)
/// and variable, and the formal order of each combination; and every row's fields.
struct Campaign {
  Outcome outcome;
  std::map<std::string, std::string> verdicts;  ///< "esquema,fonte,Re,beta,variable" -> verdict
  std::map<std::string, std::string> formal;    ///< "esquema,fonte,Re,beta" -> formal order
  std::vector<std::vector<std::string>> rows;   ///< the fields of each row, in order
};

Campaign campaign(const std::string& name, const std::string& case_file,
                  const std::string& arguments) {
  const fs::path folder = folder_with(name, case_file);
  Campaign result{run_program(kStudy, folder, arguments), {}, {}, {}};
  std::istringstream lines(read_bytes(folder / "estudo-study.csv"));
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line,
            "esquema,fonte,Re,beta,formal_order,variable,N,h,numerical,exact,error,p_effective,"
            "p_apparent,richardson,gci,u_gci,u_fs,u_lsq,notes,verdict\r");
  while (std::getline(lines, line)) {
    std::vector<std::string> fields = csv_fields(line);
    EXPECT_EQ(fields.size(), 20u) << line;
    const std::string combination = fields[0] + "," + fields[1] + "," + fields[2] + "," + fields[3];
    result.verdicts[combination + "," + fields[5]] = fields[19];
    result.formal[combination] = fields[4];
    result.rows.push_back(std::move(fields));
  }
  return result;
}

const std::string kSweep =
    "--sweep esquema=0,1,2 --sweep fonte=0,2,3,4 --sweep Re=1,20 --sweep beta=0.5,1";

TEST(StudyCampaign, EverySchemeVerifiedOnFineMeshes) {
  const Campaign result = campaign("campaign_fine", case_text(1, 0, 10.0, 1.0, 200),
                                   kSweep + " --meshes 160,320,640 --jobs 2");
  EXPECT_EQ(result.outcome.status, 0) << result.outcome.stderr_text;
  // beta multiplies esquema 0 alone: (2 + 1 + 1) schemes x 4 fontes x 2 Re.
  EXPECT_EQ(result.formal.size(), 32u);
  // Six cells each: the three variables and the three norms of the error.
  EXPECT_EQ(result.verdicts.size(), 192u);
  for (const auto& [cell, verdict] : result.verdicts) {
    EXPECT_TRUE(verdict == "verified" || verdict == "exact") << cell << ": " << verdict;
  }
  // Central differences reproduce x^2 at the nodes, and the one-sided slope of a
  // parabola is exact; the trapezoidal mean is not.
  for (const std::string Re : {"1", "20"}) {
    const std::string central = "2,2," + Re + ",,";
    EXPECT_EQ(result.verdicts.at(central + "u(1/2)"), "exact");
    EXPECT_EQ(result.verdicts.at(central + "inclinacao(1)"), "exact");
    EXPECT_EQ(result.verdicts.at(central + "u_media"), "verified");
  }
  // Deferred correction with beta = 0.5 is first order, and verified as such.
  for (const std::string fonte : {"0", "2", "3", "4"}) {
    for (const std::string Re : {"1", "20"}) {
      const std::string combination = "0," + fonte + "," + Re + ",0.5";
      EXPECT_EQ(result.formal.at(combination), "1");
      for (const std::string& variable : kVariables) {
        EXPECT_EQ(result.verdicts.at(combination + "," + variable), "verified") << combination;
      }
    }
  }
  EXPECT_NE(
      result.outcome.stdout_text.find("\n172 verified, 20 exact, 0 refine, 0 FAILED of 192 cells\n"),
      std::string::npos)
      << result.outcome.stdout_text;
  // The norms of the error at Re = 1 fall at the formal order: the effective orders of
  // N = 320 and 640 within 0.05 of it, or the errors at round-off where the scheme
  // reproduces x^2 (central differences, and deferred correction with beta = 1).
  std::size_t norm_orders = 0;
  for (const std::vector<std::string>& row : result.rows) {
    const bool norm = row[5] == "L1(e)" || row[5] == "L2(e)" || row[5] == "Linf(e)";
    if (!norm || row[2] != "1" || row[6] == "160") continue;
    const std::string combination = row[0] + "," + row[1] + "," + row[2] + "," + row[3];
    if (result.verdicts.at(combination + "," + row[5]) == "exact") continue;
    EXPECT_EQ(result.verdicts.at(combination + "," + row[5]), "verified") << combination;
    ASSERT_FALSE(row[11].empty()) << combination << " " << row[5] << " N = " << row[6];
    EXPECT_NEAR(std::stod(row[11]), std::stod(row[4]), 0.05)
        << combination << " " << row[5] << " N = " << row[6];
    ++norm_orders;
  }
  // 16 combinations at Re = 1, 2 of them exact (x^2 by central differences), three
  // norms, two meshes.
  EXPECT_EQ(norm_orders, 14u * 3u * 2u);

  // The report is well-formed XML with one plot per combination.
  const fs::path html = kScratch / "campaign_fine" / "estudo-study.html";
  const std::string count = kScratch.string() + "/campaign_fine.svg_count";
  const std::string command =
      std::string(TALVENOR_PYTHON) +
      " -c 'import sys, xml.etree.ElementTree as ET; root = ET.parse(sys.argv[1]).getroot();"
      " print(sum(1 for e in root.iter() if e.tag == \"{http://www.w3.org/2000/svg}svg\"))' '" +
      html.string() + "' >'" + count + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(read_bytes(count), "33\n");  // and the coverage against P
}

TEST(StudyCampaign, CoarseMeshesAskForRefinementOfTheUpwindSlope) {
  const Campaign result =
      campaign("campaign_coarse", case_text(1, 0, 10.0, 1.0, 200),
               "--sweep esquema=0,1,2 --sweep fonte=0,2,3,4 --sweep Re=20 --sweep beta=0.5,1"
               " --meshes 10,20,40");
  EXPECT_EQ(result.outcome.status, 0) << result.outcome.stderr_text;
  for (const std::string fonte : {"0", "2", "3", "4"}) {
    EXPECT_EQ(result.verdicts.at("1," + fonte + ",20,,inclinacao(1)"), "refine") << fonte;
  }
  expect_line(result.outcome,
              "esquema 1, fonte 0, Re = 20: inclinacao(1) refine: effective orders 0.45, 0.66 on"
              " N = 10, 20, 40 approach 1; add N = 80, 160");
}

TEST(StudyCampaign, AFailedCellEndsWithItsOwnStatusAfterTheFiles) {
  // Central differences on x^4 at Re = 15, N = 8, 16, 32 (Re*h below 2 on each): the
  // slope's effective orders 3.23, 4.30 move away from 2.
  const Campaign result = campaign("campaign_failed", case_text(2, 4, 15.0, 1.0, 200),
                                   "--sweep Re=15 --meshes 8,16,32");
  EXPECT_EQ(result.outcome.status, 9);
  EXPECT_EQ(result.outcome.stderr_text,
            "talvenor-study: 1 of the 6 cells FAILED: their orders do not approach the formal"
            " order; the table gives each reason, estudo-study.html the plots\n");
  EXPECT_EQ(result.verdicts.at("2,4,15,,inclinacao(1)"), "FAILED");
  EXPECT_TRUE(fs::exists(kScratch / "campaign_failed" / "estudo-study.html"));
}

TEST(StudyCampaign, TheEstimatorsAuditIsTheCoverageOfTheRows) {
  // Coarse meshes and Re up to 1000 (Re*h = 3.1 on the finest mesh), where some
  // estimators fail to cover: every count and figure of PREFIX-estimators.csv
  // recomputed from the rows' U and E.
  const std::string sweep =
      "--sweep esquema=0,1,2 --sweep fonte=3,4 --sweep Re=10,100,1000 --sweep beta=0.25,1";
  const Campaign result = campaign("campaign_audit", case_text(1, 0, 10.0, 1.0, 200),
                                   sweep + " --meshes 20,40,80,160,320");
  // The cells at Re = 1000 are judged on meshes that do not resolve the convection:
  // refine, never FAILED, status 0.
  ASSERT_EQ(result.outcome.status, 0) << result.outcome.stderr_text;
  // Every record of PREFIX-estimators.csv against an independent model that regroups
  // the rows of PREFIX.csv: by each value's own mesh (Re*h = 50 on N = 20 at Re = 1000,
  // 3.1 on N = 320), by P, the finest meshes, the schemes; Wilson's interval.
  const fs::path folder = kScratch / "campaign_audit";
  const std::string report = kScratch.string() + "/campaign_audit.oracle";
  const std::string command = std::string(TALVENOR_PYTHON) + " '" + TALVENOR_ORACLES +
                              "/audit_groups.py' '" + (folder / "estudo-study.csv").string() +
                              "' '" + (folder / "estudo-study-estimators.csv").string() + "' >'" +
                              report + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << read_bytes(report);
  // The case is one where coverage is worth checking: some values are not covered, on
  // meshes on both sides of Re*h = 2.
  const std::string audit = read_bytes(folder / "estudo-study-estimators.csv");
  for (const std::string group : {"u_gci,Re*h < 2,", "u_gci,Re*h >= 2,", "u_fs,P < 0,"}) {
    EXPECT_NE(audit.find(group), std::string::npos) << group;
  }
  EXPECT_NE(result.outcome.stdout_text.find(" more failures in estudo-study.html"),
            std::string::npos);
  // A mesh that does not resolve the convection is not refined by two doublings.
  expect_line(result.outcome,
              "esquema 1, fonte 3, Re = 1000: inclinacao(1) refine: effective orders 0.05, 0.13,"
              " 0.24 on N = 40, 80, 160, 320 approach 1; Re*h = 3.125 on N = 320: refine to"
              " N = 640, the first doubling with Re*h below 2");
}

TEST(StudyCommandLine, HelpAndBadOptions) {
  const fs::path folder = folder_with("study_options", case_text(1, 0, 1.0, 1.0, 10, 21));
  const Outcome help = run_program(kStudy, folder, "--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.stdout_text, talvenor::help_text());
  const Outcome bad = run_program(kStudy, folder, "--jobs 0");
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.stderr_text,
            "talvenor-study: --jobs: expected a whole number of at least 1, found '0' "
            "(talvenor-study --help lists the options)\n");
  EXPECT_EQ(run_program(kStudy, folder, "--meshes 20,41").status, 2);
  // The case's N = 21 is odd: the default meshes cannot be used.
  const Outcome odd = run_program(kStudy, folder);
  EXPECT_EQ(odd.status, 1);
  EXPECT_NE(odd.stderr_text.find("N = 21 is odd"), std::string::npos);
  EXPECT_EQ(run_program(kStudy, folder, "--meshes 20,40 --output odd").status, 0);
  EXPECT_TRUE(fs::exists(folder / "odd.csv"));
}

TEST(StudyFiles, TheDefaultStudyOfTheSampleCase) {
  // The sample case (upwind, Re = 10, itmax 50) on N = 20, 40, 80, 160: the table,
  // the CSV and the plot script, and nothing else, with the case file untouched.
  const fs::path folder = prepare("study_sample");
  const Outcome outcome = run_program(kStudy, folder);
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.stdout_text, read_bytes(kCases / "study_sample" / "stdout"));
  EXPECT_EQ(outcome.stderr_text, read_bytes(kCases / "study_sample" / "stderr"));
  const auto actual = folder_files(folder);
  const auto expected = folder_files(kCases / "study_sample" / "out");
  EXPECT_EQ(actual, expected);
}

}  // namespace

namespace {

/// Whether two CSV numbers differ by at most `tolerance`, both empty alike.
bool agree(const std::string& a, const std::string& b, double tolerance) {
  if (a.empty() || b.empty()) return a == b;
  return std::fabs(std::strtod(a.c_str(), nullptr) - std::strtod(b.c_str(), nullptr)) <= tolerance;
}

// A typed solution's S, mean and slope agree with a built-in's to a few ulps, so the
// numerical and exact values agree to 1e-12 relative; an error is the difference of two
// such values, so it agrees to 1e-12 of the values' size (1 here), and an order, a
// ratio of errors, to 1e-9.
TEST(StudySolution, TheBuiltInFormulasTypedGiveTheBuiltInNumbers) {
  for (std::int32_t fonte = 0; fonte < static_cast<std::int32_t>(talvenor::kExactSolutions.size());
       ++fonte) {
    const std::string name = "study_typed_" + std::to_string(fonte);
    const std::string case_file = case_text(1, fonte, 5.0, 1.0, 200);
    const Csv built_in = study(name, case_file, "20,40,80").second;
    const std::string formula(talvenor::kExactSolutions[static_cast<std::size_t>(fonte)].formula);
    const Csv typed = study(name, case_file, "20,40,80", "--solution '" + formula + "'").second;
    ASSERT_EQ(built_in.size(), typed.size());
    for (const auto& entry : built_in) {
      // Named, not bound: Clang 14's lambdas capture no structured bindings.
      const std::pair<std::string, int>& key = entry.first;
      const std::vector<std::string>& fields = entry.second;
      const std::vector<std::string>& other = typed.at(key);
      // Errors at round-off (x under upwind) are rounding noise, as are their orders.
      const auto e = value(built_in, key.first, key.second, Field::error);
      const bool noise = !e || std::fabs(*e) < 1e-10;
      const auto check = [&](Field field, double tolerance) {
        EXPECT_TRUE(agree(fields[field], other[field], tolerance))
            << formula << " " << key.first << " N = " << key.second << " field " << field
            << ": " << fields[field] << " against " << other[field];
      };
      for (const Field field : {Field::h, Field::numerical, Field::exact, Field::richardson}) {
        const double size = std::fabs(std::strtod(fields[field].c_str(), nullptr));
        if (!noise || field != Field::richardson) check(field, 1e-12 * size);
      }
      if (noise) continue;
      check(Field::error, 1e-12);
      // The uncertainties extrapolate and fit the errors: the slope's, whose errors carry
      // 1/h, to 1e-11.
      for (const Field field : {Field::u_gci, Field::u_fs, Field::u_lsq}) check(field, 1e-11);
      for (const Field field : {Field::p_effective, Field::p_apparent, Field::gci}) {
        check(field, 1e-9);
      }
    }
  }
}

TEST(StudySolution, ACampaignOfTypedSolutionsNamesEachByItsFormula) {
  const fs::path folder = folder_with("study_typed_campaign", case_text(2, 0, 5.0, 1.0, 200));
  const Outcome outcome =
      run_program(kStudy, folder,
                  "--meshes 10,20,40 --solution smooth --solution 'x^2' --solution 'x^4+x*0'"
                  " --table markdown --junit cells.xml");
  ASSERT_EQ(outcome.status, 0) << outcome.stderr_text;
  EXPECT_NE(outcome.stdout_text.find("sin(pi*x/2) + x*(1-x)*exp(x)/4"), std::string::npos);
  EXPECT_NE(outcome.stderr_text.find("note: u = x^2, Re = 5: central differences reproduce it"),
            std::string::npos);
  const std::string csv = read_bytes(folder / "estudo-study.csv");
  EXPECT_NE(csv.find("\r\n2,x^4+x*0,5,,2,u(1/2),"), std::string::npos);
  // Every other report labels a combination as the table's reasons do.
  for (const char* file : {"estudo-study.html", "estudo-study.md", "cells.xml"}) {
    EXPECT_NE(read_bytes(folder / file).find("esquema 2, fonte x^2, Re = 5"), std::string::npos)
        << file;
  }
}

TEST(StudySolution, TheSourceIsPrintedAloneWithNoCaseAndNothingWritten) {
  const fs::path folder = kScratch / "study_source";
  fs::remove_all(folder);
  fs::create_directories(folder);
  const Outcome outcome = run_program(kStudy, folder, "--source smooth --language c");
  ASSERT_EQ(outcome.status, 0) << outcome.stderr_text;
  EXPECT_EQ(outcome.stderr_text, "");
  EXPECT_TRUE(outcome.stdout_text.starts_with("#include <math.h>\n")) << outcome.stdout_text;
  EXPECT_NE(outcome.stdout_text.find("double source(double x, double Re)"), std::string::npos);
  EXPECT_TRUE(folder_files(folder).empty());
}

TEST(StudySolution, BadSolutionsStopBeforeAnythingIsWritten) {
  const struct {
    const char* solution;
    int status;
    const char* message;
  } cases[] = {
      {"x^^2", 2,
       "talvenor-study: --solution: a number, a name or ( is expected at character 3:\n  x^^2\n"
       "    ^\n"},
      {"log(x)", 1,
       "talvenor-study: u = log(x): u is not finite at x = 0 (Re = 5); choose a solution defined "
       "on all of [0, 1]\n"},
      {"1/(x-0.5)/100", 1,
       "talvenor-study: u = 1/(x-0.5)/100: u is not finite at x = 0.5 (Re = 5); choose a "
       "solution defined on all of [0, 1]\n"},
  };
  for (const auto& c : cases) {
    const fs::path folder = folder_with("study_typed_bad", case_text(2, 0, 5.0, 1.0, 200));
    const Outcome outcome =
        run_program(kStudy, folder, "--meshes 10,20 --jobs 1 --solution '" +
                                        std::string(c.solution) + "'");
    EXPECT_EQ(outcome.status, c.status) << c.solution;
    EXPECT_EQ(outcome.stderr_text, c.message);
    EXPECT_EQ(folder_files(folder).size(), 1u) << c.solution;
  }
}

}  // namespace

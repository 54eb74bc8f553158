// talvenor-study's help and manual page against the tables they document: every
// option, output file, CSV column, estimator, named solution, function of the
// expressions and language of --source is named in both.

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/estimators.hpp"
#include "expression/expression.hpp"
#include "study/options.hpp"
#include "study/reports.hpp"
#include "study_reports/audit_report.hpp"
#include "study_reports/campaign_report.hpp"
#include "study_reports/report.hpp"
#include "study_sources/solution_lint.hpp"

namespace talvenor {
namespace {

/// The manual page as a reader sees its words: "\-" a hyphen, no font changes, and the
/// arguments of ".IR PREFIX .csv" joined as it prints them, "PREFIX.csv".
std::string manual_words(const std::string& path) {
  std::ifstream in(std::string(TALVENOR_SOURCE_DIR) + "/" + path, std::ios::binary);
  EXPECT_TRUE(in) << path;
  std::string text;
  for (std::string line; std::getline(in, line);) {
    line = std::regex_replace(line, std::regex(R"(\\-)"), "-");
    line = std::regex_replace(line, std::regex(R"(\\f[BIRP])"), "");
    if (std::regex_search(line, std::regex(R"(^\.(IR|BR|BI|IB|RB|RI) )"))) {
      line = std::regex_replace(line.substr(4), std::regex(R"("([^"]*)\"|\s+)"), "$1");
    }
    text += line + "\n";
  }
  return text;
}

/// Every name the help and the manual page must give.
std::vector<std::string> documented_names() {
  std::vector<std::string> names;
  for (const OptionInfo& option : option_table()) names.emplace_back(option.name);
  for (const Report& report : reports()) {
    if (!report.suffix.empty()) names.push_back("PREFIX" + std::string(report.suffix));
  }
  for (const ColumnInfo& column : csv_columns()) names.emplace_back(column.name);
  for (const ColumnInfo& column : kCombinationColumns) names.emplace_back(column.name);
  names.emplace_back(kVerdictColumn.name);
  std::stringstream audit{audit_csv_header()};
  for (std::string column; std::getline(audit, column, ',');) names.push_back(column);
  for (const EstimatorInfo& estimator : kEstimators) names.emplace_back(estimator.name);
  for (const NamedSolution& solution : kNamedSolutions) names.emplace_back(solution.name);
  for (const Function& function : functions()) names.emplace_back(function.name);
  names.insert(names.end(), kLanguageNames.begin(), kLanguageNames.end());
  return names;
}

// The help names the named solutions and sends the reader to the manual for their
// formulas, which must be the ones the program runs.
TEST(StudyHelpDocs, TheManualGivesEachNamedSolutionsFormula) {
  const std::string manual = manual_words("man/talvenor-study.1");
  for (const NamedSolution& solution : kNamedSolutions) {
    EXPECT_NE(manual.find(solution.formula), std::string::npos) << solution.name;
  }
}

TEST(StudyHelpDocs, HelpAndManualNameEveryOptionFileColumnAndEstimator) {
  const std::string help(help_text());
  const std::string manual = manual_words("man/talvenor-study.1");
  for (const std::string& name : documented_names()) {
    EXPECT_NE(help.find(name), std::string::npos) << "help: " << name;
    EXPECT_NE(manual.find(name), std::string::npos) << "man/talvenor-study.1: " << name;
  }
}

}  // namespace
}  // namespace talvenor

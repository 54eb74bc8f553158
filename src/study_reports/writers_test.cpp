// The report writers read back: the XML ones (HTML, JUnit, SVG) by Python's XML
// parser, the paper tables by splitting their cells again.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "study_reports/html_report.hpp"
#include "study_reports/junit.hpp"
#include "study_reports/paper_table.hpp"
#include "study_reports/svg_plot.hpp"
#include "textio/code_page.hpp"

namespace talvenor {
namespace {

const std::string kDelta = "\xCE\x94p";  // Δp, as a data file names it in UTF-8
const std::string kCafe = "Caf\xE9";     // a case's caso, in Windows-1252

/// A group of one second-order variable, named `name`, on h = 0.1, 0.05, 0.025, 0.0125.
Combination group_of(const std::string& name) {
  std::vector<MeshRow> rows;
  for (const double h : {0.1, 0.05, 0.025, 0.0125}) {
    MeshRow row;
    row.h = h;
    row.exact = 1.0;
    row.numerical = 1.0 + h * h;
    rows.push_back(row);
  }
  Combination group;
  group.formal = 2.0;
  group.studies.push_back(analyse_variable(name, rows, 2.0, MeshCount::none));
  group.verdicts.push_back(judge(group.studies.back(), 2.0));
  return group;
}

/// The text of the XML document `lines` as Python's parser reads it: every text node and
/// attribute value, one per line; "parse error" when it is not well-formed.
std::string parsed_text(const std::vector<std::string>& lines, const std::string& name) {
  const std::string path = ::testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << [&] {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
  }();
  const std::string command =
      std::string(TALVENOR_PYTHON) +
      " -c \"import sys, xml.etree.ElementTree as E\ntry: root = E.parse(sys.argv[1]).getroot()\n"
      "except E.ParseError: print('parse error'); sys.exit()\nfor e in root.iter():\n"
      " print(*(e.text or '', *e.attrib.values()), sep='\\n')\" " +
      path;
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  for (int c; pipe && (c = std::fgetc(pipe)) != EOF;) out += static_cast<char>(c);
  if (pipe) pclose(pipe);
  return out;
}

TEST(ReportWriters, AUtf8NameAndAWindows1252TitleReadBackFromHtmlJunitAndSvg) {
#ifdef _WIN32
  GTEST_SKIP() << "Python's XML parser is the build machine's";
#endif
  const std::vector<Combination> groups = {group_of(kDelta)};
  const std::string title = "Verification campaign of " + utf8_from_windows_1252(kCafe);
  const HtmlPage page{title, {utf8_from_windows_1252(kCafe + " \x80")}, {kDelta}, true, true};
  const std::vector<JunitCell> cells = {{kDelta, groups[0].verdicts[0], 2.0, {}}};
  const std::string cafe = "Caf\xC3\xA9";
  struct Written {
    std::string name;
    std::vector<std::string> lines;
  };
  for (const Written& written :
       {Written{"report.html", html_report_records(page, groups, audit_estimators({}))},
        Written{"junit.xml", junit_records(title, cells)},
        Written{"plot.svg", error_plot(groups[0], utf8_from_windows_1252(kCafe))}}) {
    const std::string text = parsed_text(written.lines, written.name);
    EXPECT_NE(text.find(kDelta), std::string::npos) << written.name << "\n" << text;
    EXPECT_NE(text.find(cafe), std::string::npos) << written.name;
    EXPECT_EQ(text.find("parse error"), std::string::npos) << written.name;
  }
  EXPECT_NE(parsed_text(html_report_records(page, groups, audit_estimators({})), "euro.html")
                .find(cafe + " \xE2\x82\xAC"),
            std::string::npos);
}

/// The cells of a Markdown table row: split at the '|' not escaped, escapes undone.
std::vector<std::string> markdown_cells(const std::string& line) {
  std::vector<std::string> cells(1);
  for (std::size_t i = 1; i + 1 < line.size(); ++i) {
    if (line[i] == '\\') {
      cells.back() += line[++i];
    } else if (line[i] == '|') {
      cells.emplace_back();
    } else {
      cells.back() += line[i];
    }
  }
  for (std::string& cell : cells) cell = cell.substr(1, cell.size() - 2);  // the blanks
  return cells;
}

/// The cells of a LaTeX row: split at " & ", the escapes of '_', '&', '%' undone.
std::vector<std::string> latex_cells(std::string line) {
  line.resize(line.size() - 3);  // " \\"
  std::vector<std::string> cells(1);
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line.compare(i, 3, " & ") == 0) {
      cells.emplace_back();
      i += 2;
    } else if (line[i] != '\\') {
      cells.back() += line[i];
    }
  }
  return cells;
}

TEST(ReportWriters, PaperTablesReadBackToTheirCells) {
  const std::vector<Combination> groups = {group_of("u_media|50%&"), group_of(kDelta)};
  const std::vector<std::string> labels = {"esquema 0", "esquema 1"};
  const std::vector<std::vector<std::string>> cells = paper_cells(groups, labels);
  ASSERT_EQ(cells.size(), 3u);
  EXPECT_EQ(cells[1][0], "esquema 0");
  EXPECT_EQ(cells[1][1], "u_media|50%&");
  EXPECT_EQ(cells[1].back(), "verified");
  const std::vector<std::string> markdown = markdown_records(cells);
  const std::vector<std::string> latex = latex_records(cells);
  ASSERT_EQ(markdown.size(), cells.size() + 1);  // the rule under the heading
  ASSERT_EQ(latex.size(), cells.size() + 5);     // tabular, three rules, end
  for (std::size_t r = 0; r < cells.size(); ++r) {
    EXPECT_EQ(markdown_cells(markdown[r == 0 ? 0 : r + 1]), cells[r]) << r;
    EXPECT_EQ(latex_cells(latex[r == 0 ? 2 : r + 3]), cells[r]) << r;
  }
}

}  // namespace
}  // namespace talvenor

#include "study_sources/data_file.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "system/error.hpp"

namespace talvenor {
namespace {

DataFile parsed(const std::string& text, std::optional<int> dimension = {}) {
  std::istringstream in(text);
  return parse_data("runs.csv", in, dimension);
}

TEST(DataFile, BadInputIsOneLineNamingTheFileLineAndColumn) {
  struct Case {
    std::string text;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"", "runs.csv line 1: no header: the first line names the columns, h (or cells) and value"},
      {"value,exact\n1,2\n",
       "runs.csv line 1: no column h or cells: the first line names the columns, h (or cells) "
       "and value"},
      {"h,exact\n1,2\n",
       "runs.csv line 1: no column value or numerical: the first line names the columns, h (or "
       "cells) and value"},
      {"x, Cells ,value\n", "runs.csv line 1, column 2 (Cells): cells need --dimension 1, 2 or 3 "
                            "to give the mesh size h = cells^(-1/D)"},
      {"h,value\n0.1,abc\n",
       "runs.csv line 2, column 2 (value): expected a number, found 'abc'"},
      {"h,value\n0.1,nan\n",
       "runs.csv line 2, column 2 (value): expected a finite number, found 'nan'"},
      {"h,value\n0.1,1e999\n",
       "runs.csv line 2, column 2 (value): expected a finite number, found '1e999'"},
      {"h,value\n0.1,1\n-0.05,2\n",
       "runs.csv line 3, column 1 (h): expected a mesh size above 0, found '-0.05'"},
      {"variable,h,value\nq,0.1,1\nq,0.05,2\n\nq,0.1,3\n",
       "runs.csv line 5, column 2 (h): variable 'q' has this mesh already on line 2"},
      {"h,value,variable\n0.1,1,a\n0.05,2,a\n0.1,3,b\n",
       "runs.csv line 4: variable 'b' has one mesh; a study needs at least two"},
      {"h,value\n0.1\n", "runs.csv line 2, column 2 (value): the row ends before this column"},
      {"h,value\n0.1,\"1\n", "runs.csv line 2, column 2: a quoted field is not closed"},
      {"h,value\n0.1,\"1\"x\n", "runs.csv line 2, column 2: text after the closing quote"},
      {"h,H,value\n", "runs.csv line 1, column 2 (H): a second column of the same meaning as "
                      "column 1"},
  };
  for (const Case& bad : cases) {
    try {
      parsed(bad.text);
      ADD_FAILURE() << "accepted: " << bad.text;
    } catch (const Error& error) {
      EXPECT_EQ(error.kind(), Error::Kind::case_file) << bad.text;
      EXPECT_EQ(std::string(error.what()), bad.message) << bad.text;
    }
  }
  try {
    parsed("cells,value\n0,1\n", 2);
    ADD_FAILURE() << "no cells accepted";
  } catch (const Error& error) {
    EXPECT_EQ(std::string(error.what()),
              "runs.csv line 2, column 1 (cells): expected a whole number of cells above 0, "
              "found '0'");
  }
}

TEST(DataFile, SpreadsheetFormsAreRead) {
  // A byte-order mark, CR LF, quoted fields with a comma, a doubled quote and a line
  // end, unknown columns, rows in any order: sorted coarse to fine.
  const DataFile file = parsed(
      "\xEF\xBB\xBF Variable ,note,H,Numerical,EXACT\r\n"
      "\"drag, total\",\"a \"\"b\"\"\nc\",0.05,1.0025,1\r\n"
      "\"drag, total\",x,0.1,1.01,1\r\n"
      "lift,,0.1,\"2.5\",\r\n"
      "lift,,0.025,2.6,\r\n");
  EXPECT_EQ(file.count, MeshCount::none);
  EXPECT_TRUE(file.has_errors);
  ASSERT_EQ(file.series.size(), 2u);
  EXPECT_EQ(file.series[0].variable, "drag, total");
  // A quoted field over two lines is one record; the next starts on line 4.
  const DataFile spanning = parsed("h,note,value\n0.1,\"a\r\nb\",2\n0.05,x,3\n");
  EXPECT_EQ(spanning.series[0].points[1].line, 4u);
  EXPECT_EQ(spanning.series[0].points[1].value, 3.0);
  EXPECT_EQ(file.series[0].points[0].h, 0.1);
  EXPECT_EQ(file.series[0].points[1].line, 2u);
  EXPECT_EQ(file.series[1].points[0].value, 2.5);
  EXPECT_FALSE(file.series[1].points[0].exact);
}

TEST(DataFile, AnyRatiosGiveTheOrderAndTheLimitOfAPowerLaw) {
  // f(h) = 3 + 0.7 h^1.7 on cells 1000, 2900, 5000 in 2-D: ratios 1.70, 1.31.
  std::ostringstream text;
  text.precision(17);
  text << "cells,value\n";
  for (const int cells : {5000, 1000, 2900}) {
    text << cells << "," << 3.0 + 0.7 * std::pow(1.0 / std::sqrt(cells), 1.7) << "\n";
  }
  const DataFile file = parsed(text.str(), 2);
  const VariableStudy study =
      analyse_variable("value", data_rows(file.series[0]), std::nullopt, file.count);
  EXPECT_EQ(study.rows[0].N, 1000);
  EXPECT_NEAR(*study.rows[2].p_apparent, 1.7, 1e-9);
  EXPECT_NEAR(*study.rows[2].richardson, 3.0, 1e-9);
  EXPECT_FALSE(study.rows[1].gci);  // two meshes and no formal order: no GCI
}

}  // namespace
}  // namespace talvenor

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

using namespace std::string_literals;  // texts with NUL bytes

/// A file the reader refuses, with the one line that says why.
struct Refusal {
  std::string text;
  std::string message;
  std::optional<int> dimension = {};
  Error::Kind kind = Error::Kind::case_file;
};

const std::vector<Refusal> kRefusals = {
      {"", "runs.csv line 1: no header: the first line names the columns, h (or cells) and value"},
      {"value,exact\n1,2\n",
       "runs.csv line 1: no column h or cells: the first line names the columns, h (or cells) "
       "and value"},
      {"h,exact\n1,2\n",
       "runs.csv line 1: no column value, numerical or error: the first line names the columns, h "
       "(or cells) and value"},
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
      {"cells,value\n0,1\n", "runs.csv line 2, column 1 (cells): expected a whole number of cells "
                             "above 0, found '0'", 2},
      // A field too many: a decimal comma would drop the 31 in silence.
      {"cells,value\n18000,16,31\n",
       "runs.csv line 2: 3 fields under a header of 2 columns: is '16,31' one number with a "
       "decimal comma? Quote such numbers, or separate the columns with ';'", 2},
      {"h,value\n0.1,1,x\n", "runs.csv line 2: 3 fields under a header of 2 columns; give every "
                             "row the header's columns (quote a field that holds the separator)"},
      {"h,value;note\n", "runs.csv line 1: the header holds both ',' and ';' between its names: "
                         "separate the columns with one of them and quote a name that holds the "
                         "other"},
      {"h;value\n0,1;2\n0.05;3\n", "runs.csv line 3, column 1 (h): a decimal point where line 2 "
                                   "has a decimal comma: use one decimal mark in the file, found "
                                   "'0.05'"},
      {"h,value\n# run of May\n", "runs.csv line 2: a comment line (it starts with '#'): the file "
                                  "holds the header and the rows alone; delete the line"},
      {"\xFF\xFEh\0,\0"s, "runs.csv: UTF-16 text (it starts with a UTF-16 byte-order mark): save "
                          "the file as UTF-8 or ASCII text (CSV UTF-8)"},
      {"h\0,\0v\0"s, "runs.csv line 1: a NUL byte: the file is UTF-16 or not text; save it as "
                     "UTF-8 or ASCII text"},
      {"h,value\r0.1,1\r", "runs.csv line 1: a CR that ends no line: line ends of CR alone "
                           "(classic Mac OS) are not read; save the file with LF or CR LF line ends"},
      {"h,value\n0.1,1\n0.1000000000000001,2\n",
       "runs.csv line 3, column 1 (h): variable 'value' has h = 0.1000000000000001 here and h = "
       "0.1 on line 2, equal within 1e-12: one mesh, or too close to give an order"},
      {"h,value\n0.1,1\n", "--dimension 2: runs.csv line 1, column 1 gives h, not cells; leave "
                           "--dimension out", 2, Error::Kind::usage},
};

TEST(DataFile, BadInputIsOneLineNamingTheFileLineAndColumn) {
  for (const Refusal& bad : kRefusals) {
    try {
      parsed(bad.text, bad.dimension);
      ADD_FAILURE() << "accepted: " << bad.text;
    } catch (const Error& error) {
      EXPECT_EQ(error.kind(), bad.kind) << bad.text;
      EXPECT_EQ(std::string(error.what()), bad.message) << bad.text;
    }
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

TEST(DataFile, OtherSeparatorsDecimalCommasAndNormsAreRead) {
  struct Case {
    std::string text;
    double h;      // of the coarse mesh
    double value;  // or the error of a norm
  };
  const std::vector<Case> cases = {
      // ';' between the fields, so a comma is a decimal mark; a tab is a blank here.
      {"h;value\n0,05;\t16,5\n0,1;16,31\n", 0.1, 16.31},
      {"h\tvalue\n0.1\t\"2\"\n0.05\t3\n", 0.1, 2.0},
      // A row of bare separators is passed over like a blank line.
      {"h,value\n,\n0.1,1e-3\n0.05,2\n,,\n", 0.1, 1e-3},
      // The usual table of a manufactured solution: h and the norm of the error.
      {"h,error\n0.1,0.01\n0.05,0.0025\n", 0.1, 0.01},
  };
  for (const Case& good : cases) {
    const DataFile file = parsed(good.text);
    ASSERT_EQ(file.series.size(), 1u) << good.text;
    const DataPoint& coarse = file.series[0].points[0];
    EXPECT_EQ(coarse.h, good.h) << good.text;
    EXPECT_EQ(coarse.value ? coarse.value : coarse.error, good.value) << good.text;
    EXPECT_EQ(file.series[0].points.size(), 2u) << good.text;
  }
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

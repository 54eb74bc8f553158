// A study's CSV file read back as data: the writer's column table and the reader's
// names are one (analysis/study_columns.hpp), so the numbers come back whole.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "study_reports/report.hpp"
#include "study_sources/data_file.hpp"

namespace talvenor {
namespace {

TEST(StudyCsv, ReadBackAsDataGivesTheSameNamesAndNumbers) {
  std::vector<MeshRow> rows;
  for (const double h : {0.1, 0.05, 0.025}) {
    MeshRow row;
    row.h = h;
    row.exact = 1.0 / 3.0;
    row.numerical = 1.0 / 3.0 + 0.7 * h;
    rows.push_back(row);
  }
  const std::vector<VariableStudy> written = {
      analyse_variable("drag, total", rows, 1.0, MeshCount::none)};
  std::stringstream csv;
  for (const std::string& record : csv_records(written)) csv << record << "\r\n";
  DataFile file = parse_data("study.csv", csv, std::nullopt);
  EXPECT_TRUE(file.has_errors);
  std::vector<VariableStudy> read;
  data_studies(std::move(file), 1.0, [&](VariableStudy&& study) { read.push_back(std::move(study)); });
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0].name, written[0].name);
  ASSERT_EQ(read[0].rows.size(), rows.size());
  for (std::size_t k = 0; k < rows.size(); ++k) {
    EXPECT_EQ(read[0].rows[k].h, rows[k].h);  // 17 digits: the same doubles
    EXPECT_EQ(read[0].rows[k].numerical, rows[k].numerical);
    EXPECT_EQ(read[0].rows[k].exact, rows[k].exact);
    EXPECT_EQ(read[0].rows[k].richardson, written[0].rows[k].richardson);
  }
}

}  // namespace
}  // namespace talvenor

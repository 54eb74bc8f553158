#include "results/resultados.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "results/sample_templates.hpp"
#include "system/error.hpp"
#include "system/scratch_folder_test.hpp"

namespace talvenor {
namespace {

std::vector<std::int32_t> nodes(std::int32_t N, std::int32_t freq) {
  std::vector<std::int32_t> listed;
  for (const std::int32_t i : listed_nodes(N, freq)) listed.push_back(i);
  return listed;
}

TEST(ListedNodes, EveryFreqthNodeBelowNThenN) {
  using Nodes = std::vector<std::int32_t>;
  EXPECT_EQ(nodes(10, 5), (Nodes{0, 5, 10}));
  EXPECT_EQ(nodes(10, 3), (Nodes{0, 3, 6, 9, 10}));
  EXPECT_EQ(nodes(4, 1), (Nodes{0, 1, 2, 3, 4}));
  EXPECT_EQ(nodes(10, 10), (Nodes{0, 10}));
  EXPECT_EQ(nodes(10, 99), (Nodes{0, 10}));
  EXPECT_EQ(nodes(2147483647, 2147483647), (Nodes{0, 2147483647}));
  EXPECT_EQ(nodes(2147483647, 2000000000), (Nodes{0, 2000000000, 2147483647}));
}

/// A run record of N = 4 with every flag on and a title, its arrays filled.
CaseData small_case() {
  CaseData data;
  data.N = 4;
  data.freq = 1;
  data.titulo.assign("it's a title");
  data.h = 0.25;
  for (auto* array :
       {&data.ua, &data.u, &data.x, &data.ap, &data.ae, &data.bp, &data.aw, &data.S}) {
    array->assign(5, 0.0);
  }
  for (int i = 0; i <= 4; ++i) data.x[i] = data.ua[i] = data.u[i] = i * 0.25;
  return data;
}

class PlotFiles : public ScratchFolderTest {
 protected:
  static void write(const char* name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
  }
};

TEST_F(PlotFiles, MissingTemplatesAreWrittenFromTheSamplesThenStamped) {
  write_plot_files(small_case());
  // The apostrophe of the title is doubled: gnuplot reads the string to its end.
  const std::string stamp = " set title 'it''s a title'\r\n replot\r\n";
  EXPECT_EQ(read("Talvenor_u.gnu"), std::string(kSampleSolutionTemplate) + stamp);
  EXPECT_EQ(read("Talvenor_E.gnu"), std::string(kSampleErrorTemplate) + stamp);
}

TEST_F(PlotFiles, KeptLinesStayByteForByteAndASecondRunReplacesTheStamp) {
  const std::string kept = "l1\nl2\r\nl3\nl4\nl5\nl6\r\nl7\nl8\n";
  write("Talvenor_u.gnu", kept + " set title 'old'\r\n replot\r\n stray line\r\n");
  write("Talvenor_E.gnu", "1\n2\n3\n4\n5\n6");  // the last kept line has no line end
  CaseData data = small_case();
  write_plot_files(data);
  data.titulo.assign("second");
  write_plot_files(data);
  EXPECT_EQ(read("Talvenor_u.gnu"), kept + " set title 'second'\r\n replot\r\n");
  EXPECT_EQ(read("Talvenor_E.gnu"), "1\n2\n3\n4\n5\n6\r\n set title 'second'\r\n replot\r\n");
}

TEST_F(PlotFiles, DataFileRowsAreTheSolutionTableRows) {
  CaseData data = small_case();
  data.u[2] = 0.5 + 1e-3;
  write_plot_files(data);
  {
    TextFile listing("listing", 10, "listing");
    list_solutions(data, listing);
  }
  const std::string table = read("listing");
  const std::string columns = read("Talvenor_u.dat");
  const std::string rows = columns.substr(columns.find("\r\n", columns.find("\r\n") + 2) + 2);
  ASSERT_EQ(rows.size(), 5u * 102);
  EXPECT_EQ(table.substr(table.size() - rows.size()), rows);
  EXPECT_NE(rows.find("  -1.00000000000000E-03\r\n"), std::string::npos)
      << "the error is exact minus numerical";
}

TEST_F(PlotFiles, ATemplateWithTooFewLinesStopsTheRunAfterTheDataFile) {
  write("Talvenor_u.gnu", "1\n2\n3\n");
  try {
    write_plot_files(small_case());
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.kind(), Error::Kind::file);
    EXPECT_STREQ(error.what(),
                 "cannot use the plot template 'Talvenor_u.gnu' (unit 11): expected at least 8 "
                 "lines, found 3");
  }
  EXPECT_EQ(read("Talvenor_u.gnu"), "1\n2\n3\n");
  EXPECT_TRUE(std::filesystem::exists("Talvenor_u.dat"));
  EXPECT_FALSE(std::filesystem::exists("Talvenor_E.gnu"));
}

}  // namespace
}  // namespace talvenor

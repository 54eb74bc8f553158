#include "app/calculation.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "solver/solver_test_support.hpp"
#include "system/error.hpp"
#include "system/fp_faults.hpp"
#include "system/scratch_folder_test.hpp"

namespace talvenor {
namespace {

class IterationLog : public ScratchFolderTest {
 protected:
  /// The log's records, CR LF dropped.
  static std::vector<std::string> records(const std::string& name = "run.itn") {
    std::istringstream text(read(name));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) {
      EXPECT_EQ(line.back(), '\r');
      line.pop_back();
      lines.push_back(line);
    }
    return lines;
  }
  static constexpr const char* kHeader =
      " itera\xE7\xE3o  u(1/2)                 u_m\xE9"
      "dia                Inclina\xE7\xE3o";
};

TEST_F(IterationLog, HeaderAndRecordLayout) {
  // N = 2, Re = 0, fonte 1: u(1) = (2 u(0) + 2 u(2)) / 4 = 0.5 exactly, mean 0.5, slope 1.
  CaseData data = mesh_case(2, 1, 1, 0.0);
  compute_exact(data);
  iterate(data);
  EXPECT_EQ(read("run.itn"), std::string(kHeader) + "\r\n" +
                                 "       1   5.00000000000000E-01   5.00000000000000E-01"
                                 "   1.00000000000000E+00\r\n");
  EXPECT_EQ(std::string(kHeader).size(), 67u);
}

TEST_F(IterationLog, LinearFieldIsSolvedByEveryScheme) {
  for (int esquema = 0; esquema <= 2; ++esquema) {
    CaseData data = mesh_case(10, esquema, 1, 4.0, 5);
    data.beta = 0.7;
    compute_exact(data);
    std::vector<CaseData> seen;
    iterate(data, [&](const CaseData& now) { seen.push_back(now); });
    ASSERT_EQ(seen.size(), 5u);
    for (const CaseData& now : seen) {
      EXPECT_NEAR(now.u[5], 0.5, 1e-14) << "esquema " << esquema << " it " << now.it;
      EXPECT_NEAR(now.u_media_n, 0.5, 1e-14);
      EXPECT_NEAR(now.inclinacao_n, 1.0, 1e-12);
    }
    const std::vector<std::string> log = records();
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[5].substr(0, 8), "       5");
  }
}

TEST_F(IterationLog, OddMeshTakesTheNodeLeftOfTheMiddle) {
  CaseData data = mesh_case(5, 1, 2, 1.0);
  compute_exact(data);
  iterate(data);
  // The record's u(1/2) is u at node 2, x = 0.4, whose exact value is 0.16.
  const std::string record = records()[1];
  EXPECT_EQ(record.substr(8, 23).substr(3, 3), "1.6");
}

TEST_F(IterationLog, NothingToIterateLeavesTheHeaderAlone) {
  CaseData none = mesh_case(4, 1, 2, 1.0, 0);
  compute_exact(none);
  iterate(none);
  EXPECT_EQ(records(), std::vector<std::string>{kHeader});
  EXPECT_EQ(none.u, none.ua);
  EXPECT_EQ(none.u_media_n, 0.0);

  CaseData unknown = mesh_case(4, 3, 2, 1.0, 5);
  compute_exact(unknown);
  iterate(unknown);
  EXPECT_EQ(records(), std::vector<std::string>{kHeader});
  EXPECT_EQ(unknown.ap, std::vector<double>(5, 0.0));
  EXPECT_EQ(unknown.u, unknown.ua);
}

TEST_F(IterationLog, OverflowStopsTheRunWithTheLogCompleteUpToIt) {
  CaseData data = mesh_case(10, 2, 0, 1e300, 50);
  clear_fp_faults();
  compute_exact(data);
  try {
    iterate(data);
    FAIL() << "the iteration did not stop";
  } catch (const Error& error) {
    EXPECT_EQ(error.kind(), Error::Kind::arithmetic);
    EXPECT_NE(std::string(error.what()).find("overflow in iteration 1 (tdma)"), std::string::npos)
        << error.what();
  }
  clear_fp_faults();
  const std::vector<std::string> log = records();
  ASSERT_GE(log.size(), 1u);
  EXPECT_EQ(log[0], kHeader);
  for (std::size_t k = 1; k < log.size(); ++k) {
    EXPECT_EQ(log[k].size(), 77u);
    EXPECT_EQ(log[k].find("Inf"), std::string::npos);
    EXPECT_EQ(log[k].find("NaN"), std::string::npos);
  }
}

}  // namespace
}  // namespace talvenor

#include "solver/calculos.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "solver/solver_test_support.hpp"
#include "system/error.hpp"
#include "system/fp_faults.hpp"
#include "system/scratch_folder_test.hpp"

namespace talvenor {
namespace {

TEST(ExactSolution, ValuesAndClosedForms) {
  CaseData zero = mesh_case(2, 1, 0, 1.0);
  compute_exact(zero);
  EXPECT_EQ(zero.ua[0], 0.0);
  EXPECT_EQ(zero.ua[2], 1.0);
  EXPECT_DOUBLE_EQ(zero.ua[1], 0.3775406687981455);
  EXPECT_EQ(zero.u_media_a, 0.41802329313067355);
  EXPECT_EQ(zero.inclinacao_a, 1.5819767068693265);

  CaseData line = mesh_case(7, 1, 1, 1.0);
  compute_exact(line);
  EXPECT_EQ(line.ua, line.x);  // bit for bit, x(N) = 1 included

  const double means[] = {1.0 / 3.0, 0.25, 0.2};
  const double halves[] = {0.25, 0.125, 0.0625};
  for (int fonte = 2; fonte <= 4; ++fonte) {
    CaseData data = mesh_case(4, 1, fonte, 1.0);
    compute_exact(data);
    EXPECT_EQ(data.ua[0], 0.0);
    EXPECT_EQ(data.ua[2], halves[fonte - 2]);
    EXPECT_EQ(data.ua[4], 1.0);
    EXPECT_EQ(data.u_media_a, means[fonte - 2]);
    EXPECT_EQ(data.inclinacao_a, fonte);
  }

  CaseData none = mesh_case(4, 1, -1, 1.0);
  compute_exact(none);
  EXPECT_EQ(none.ua, std::vector<double>(5, 0.0));
  EXPECT_EQ(none.u_media_a, 0.0);
  EXPECT_EQ(none.inclinacao_a, 0.0);
}

TEST(VariablesOfInterest, TrapezoidMeanAndOneSidedSlope) {
  CaseData data = mesh_case(10, 1, 1, 1.0);
  data.u = data.x;
  compute_variables(data);
  EXPECT_DOUBLE_EQ(data.u_media_n, 0.5);
  EXPECT_DOUBLE_EQ(data.inclinacao_n, 1.0);

  for (std::size_t i = 0; i < data.u.size(); ++i) data.u[i] = data.x[i] * data.x[i];
  compute_variables(data);
  EXPECT_NEAR(data.inclinacao_n, 2.0, 1e-13);  // exact for a parabola
  EXPECT_NEAR(data.u_media_n, 1.0 / 3.0 + data.h * data.h / 6.0, 1e-15);

  CaseData two = mesh_case(2, 1, 1, 1.0);
  two.u = {0.0, 0.25, 1.0};
  compute_variables(two);
  EXPECT_EQ(two.inclinacao_n, (3.0 * 1.0 - 4.0 * 0.25 + 0.0) / (2.0 * 0.5));
  EXPECT_EQ(two.u_media_n, 0.25 * (0.0 + 2.0 * 0.25 + 1.0));
}

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
      " itera\xE7\xE3o  u(1/2)                 u_m\xE9" "dia                Inclina\xE7\xE3o";
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

/// The error of each variable of interest on the mesh of N elements, iterated to
/// convergence: u(1/2), mean, slope.
std::vector<double> errors(int esquema, int N) {
  CaseData data = mesh_case(N, esquema, 0, 1.0, 60);
  data.beta = 1.0;
  compute_exact(data);
  run_iterations(data, [](const CaseData&) {});
  return {data.ua[N / 2] - data.u[N / 2], data.u_media_a - data.u_media_n,
          data.inclinacao_a - data.inclinacao_n};
}

TEST(Verification, ErrorsFallAtTheOrderOfEachScheme) {
  struct Scheme {
    int esquema;
    double order;
  };
  for (const Scheme s : {Scheme{1, 1.0}, Scheme{2, 2.0}, Scheme{0, 2.0}}) {
    std::vector<std::vector<double>> by_mesh;
    for (int N = 20; N <= 320; N *= 2) by_mesh.push_back(errors(s.esquema, N));
    const std::vector<double>& coarse = by_mesh[by_mesh.size() - 2];
    const std::vector<double>& fine = by_mesh.back();
    for (std::size_t v = 0; v < 3; ++v) {
      const double observed = std::log(std::fabs(coarse[v]) / std::fabs(fine[v])) / std::log(2.0);
      EXPECT_NEAR(observed, s.order, 0.1) << "esquema " << s.esquema << ", variable " << v;
    }
  }
}

}  // namespace
}  // namespace talvenor

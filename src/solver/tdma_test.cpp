#include "solver/tdma.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "system/error.hpp"
#include "system/fp_faults.hpp"

namespace talvenor {
namespace {

struct System {
  std::vector<double> aw, ap, ae, bp;
};

std::vector<double> solve(const System& s) {
  const int N = static_cast<int>(s.ap.size()) - 1;
  std::vector<double> u(s.ap.size(), -7.0);  // previous contents are never read
  TdmaWorkspace work(s.ap.size());
  clear_fp_faults();
  tdma(N, s.aw, s.ap, s.ae, s.bp, u, work);
  return u;
}

TEST(Tdma, PassesRowsWithoutNeighboursThrough) {
  EXPECT_EQ(solve({{0, 0, 0}, {1, 1, 1}, {0, 0, 0}, {0.25, -3, 1}}),
            (std::vector<double>{0.25, -3, 1}));
  EXPECT_EQ(solve({{0}, {4}, {0}, {2}}), (std::vector<double>{0.5}));  // a single node
  EXPECT_EQ(solve({{0, 0}, {1, 1}, {0, 0}, {0, 1}}), (std::vector<double>{0, 1}));
}

TEST(Tdma, SolvesTheInteriorOfADirichletProblem) {
  // 4 u1 = 2 u0 + 2 u2 and 4 u2 = 2 u1 + 2 u3 with u0 = 0, u3 = 1: the straight line,
  // each step exact in binary: u2 = (1/2 u1 + 1/2) ... gives u1 = 1/3, u2 = 2/3 rounded.
  const std::vector<double> u = solve({{0, 2, 2, 0}, {1, 4, 4, 1}, {0, 2, 2, 0}, {0, 0, 0, 1}});
  EXPECT_EQ(u[0], 0.0);
  EXPECT_DOUBLE_EQ(u[1], 1.0 / 3.0);
  EXPECT_DOUBLE_EQ(u[2], 2.0 / 3.0);
  EXPECT_EQ(u[3], 1.0);
}

TEST(Tdma, NeverLetsTheUnusedCornersMatter) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const System plain{{0, 2, 0}, {1, 4, 1}, {0, 2, 0}, {0, 1, 1}};
  System odd = plain;
  odd.aw[0] = nan;   // never read
  odd.ae[2] = 1e6;   // read, but multiplied into nothing that is used
  EXPECT_EQ(solve(odd), solve(plain));
  EXPECT_FALSE(fp_faults_raised());
}

TEST(Tdma, AZeroPivotIsADivisionByZero) {
  // ap(1) = P(0) aw(1): the elimination's diagonal vanishes at node 1.
  solve({{0, 2, 0}, {1, 1, 1}, {0.5, 0, 0}, {0, 0, 1}});
  EXPECT_THROW(check_fp_faults("tdma"), Error);
  solve({{0}, {0}, {1}, {1}});  // ap(0) = 0
  try {
    check_fp_faults("iteration 1 (tdma)");
    FAIL() << "no fault";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "floating-point division by zero in iteration 1 (tdma)");
  }
  clear_fp_faults();
}

}  // namespace
}  // namespace talvenor

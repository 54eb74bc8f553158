#include "solver/convergence.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace talvenor {
namespace {

// Changes that are powers of two, so that they stand exactly on either side of the bound.
constexpr double kBelow = 0x1p-27;  // 7.45e-9
constexpr double kAbove = 0x1p-26;  // 1.49e-8

TEST(ConvergenceWarning, BoundIsAbsoluteBelowOneAndRelativeAbove) {
  const InterestValues last{0.5, 0.25, -1024.0};
  EXPECT_EQ(convergence_warning(last, last, 50), std::nullopt);
  EXPECT_EQ(convergence_warning({0.5 - kBelow, 0.25 + kBelow, -1024.0 + 1024 * kBelow}, last, 50),
            std::nullopt);
  EXPECT_NE(convergence_warning({0.5 - kAbove, 0.25, -1024.0}, last, 50), std::nullopt);
  EXPECT_NE(convergence_warning({0.5, 0.25 + kAbove, -1024.0}, last, 50), std::nullopt);
  EXPECT_NE(convergence_warning({0.5, 0.25, -1024.0 + 1024 * kAbove}, last, 50), std::nullopt);
  // 1024 times the absolute bound is still within the relative one.
  EXPECT_EQ(convergence_warning({0.5, 0.25, -1024.0 + 512 * kAbove}, last, 50), std::nullopt);
}

TEST(ConvergenceWarning, NamesTheVariableFurthestBeyondItsBound) {
  EXPECT_EQ(convergence_warning({0.5, 0.4, 1.2}, {0.5, 0.41, 1.2}, 50),
            "the iteration has not converged in 50 iterations: u_media changed by 1.000E-02 in "
            "the last one; the listing shows its last iterate");
  // u(1/2) moves by 1e-6; the slope by 3e-4 of a size of 3, so relatively by 1e-4.
  const auto warning = convergence_warning({0.3, 0.4, 3.0003}, {0.300001, 0.4, 3.0}, 7);
  EXPECT_EQ(warning,
            "the iteration has not converged in 7 iterations: inclinacao(1) changed by "
            "-3.000E-04 in the last one; the listing shows its last iterate");
  EXPECT_EQ(convergence_warning({0.5, 0.4, 1.2}, {0.3, 0.4, 1.2}, 2),
            "the iteration has not converged in 2 iterations: u(1/2) changed by -2.000E-01 in "
            "the last one; the listing shows its last iterate");
}

TEST(ConvergenceWarning, NothingToCompareBeforeTwoIterations) {
  EXPECT_EQ(convergence_warning({0.0, 0.0, 0.0}, {0.5, 0.4, 1.2}, 1), std::nullopt);
  EXPECT_EQ(convergence_warning({0.0, 0.0, 0.0}, {0.5, 0.4, 1.2}, 0), std::nullopt);
}

}  // namespace
}  // namespace talvenor

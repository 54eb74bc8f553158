#include "app/convergence_warning.hpp"

#include <gtest/gtest.h>

namespace talvenor {
namespace {

/// The iterates of a run whose last two gave `previous` and `last`, `count` in all.
LastIterates history(const InterestValues& previous, const InterestValues& last, int count) {
  LastIterates iterates;
  iterates.push(previous);
  iterates.push(last);
  iterates.count = count;
  return iterates;
}

// Changes that are powers of two, so that they stand exactly on either side of the bound.
constexpr double kBelow = 0x1p-27;  // 7.45e-9
constexpr double kAbove = 0x1p-26;  // 1.49e-8

TEST(ConvergenceWarning, BoundIsAbsoluteBelowOneAndRelativeAbove) {
  const InterestValues last{0.5, 0.25, -1024.0};
  EXPECT_EQ(convergence_warning(history(last, last, 50), 20), std::nullopt);
  EXPECT_EQ(convergence_warning(
                history({0.5 - kBelow, 0.25 + kBelow, -1024.0 + 1024 * kBelow}, last, 50), 20),
            std::nullopt);
  EXPECT_NE(convergence_warning(history({0.5 - kAbove, 0.25, -1024.0}, last, 50), 20),
            std::nullopt);
  EXPECT_NE(convergence_warning(history({0.5, 0.25 + kAbove, -1024.0}, last, 50), 20),
            std::nullopt);
  EXPECT_NE(convergence_warning(history({0.5, 0.25, -1024.0 + 1024 * kAbove}, last, 50), 20),
            std::nullopt);
  // 1024 times the absolute bound is still within the relative one.
  EXPECT_EQ(convergence_warning(history({0.5, 0.25, -1024.0 + 512 * kAbove}, last, 50), 20),
            std::nullopt);
}

TEST(ConvergenceWarning, NamesTheVariableFurthestBeyondItsBound) {
  EXPECT_EQ(convergence_warning(history({0.5, 0.4, 1.2}, {0.5, 0.41, 1.2}, 50), 20),
            "the iteration has not converged in 50 iterations: u_media changed by 1.000E-02 in "
            "the last one; the listing shows its last iterate");
  // u(1/2) moves by 1e-6; the slope by 3e-4 of a size of 3, so relatively by 1e-4.
  const auto warning =
      convergence_warning(history({0.3, 0.4, 3.0003}, {0.300001, 0.4, 3.0}, 7), 20);
  EXPECT_EQ(warning,
            "the iteration has not converged in 7 iterations: inclinacao(1) changed by "
            "-3.000E-04 in the last one; the listing shows its last iterate");
  EXPECT_EQ(convergence_warning(history({0.5, 0.4, 1.2}, {0.3, 0.4, 1.2}, 2), 20),
            "the iteration has not converged in 2 iterations: u(1/2) changed by -2.000E-01 in "
            "the last one; the listing shows its last iterate");
}

TEST(ConvergenceWarning, NothingToCompareBeforeTwoIterations) {
  EXPECT_EQ(convergence_warning(history({0.0, 0.0, 0.0}, {0.5, 0.4, 1.2}, 1), 20), std::nullopt);
  EXPECT_EQ(convergence_warning(history({0.0, 0.0, 0.0}, {0.5, 0.4, 1.2}, 0), 20), std::nullopt);
}

TEST(ConvergenceWarning, RoundOffJitterOfAFineMeshIsNoWarning) {
  // The last two iterates of N = 10^6, Re = 1, upwind, itmax 300: the slope jitters
  // by 7.3e-8, round-off of that mesh, but would be a change on a mesh of 20.
  const LastIterates jitter =
      history({0.377540722535462, 0.418023328387457, 1.58197643229663},
              {0.377540705792911, 0.418023316108564, 1.58197650534930}, 300);
  EXPECT_EQ(convergence_warning(jitter, 1000000), std::nullopt);
  EXPECT_NE(convergence_warning(jitter, 20), std::nullopt);
}

TEST(ConvergenceWarning, ChangesThatDoNotShrinkPointToNewton) {
  LastIterates iterates;
  for (const double slope : {1.50, 1.49, 1.51}) iterates.push({0.4, 0.4, slope});
  EXPECT_EQ(convergence_warning(iterates, 20),
            "successive substitution is not converging at this Re: inclinacao(1) changed by "
            "2.000E-02 in iteration 3, no less than in the one before, and more iterations will "
            "not help; the listing shows the last iterate; talvenor-study with Newton's method "
            "(--solver newton) solves the same discrete equations");
}

}  // namespace
}  // namespace talvenor

#include "solver/convergence.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace talvenor {
namespace {

TEST(RoundOff, IsBelowAHundredNEpsilonsOfTheExactValue) {
  // 100 eps = 2.22e-14 for N = 1.
  EXPECT_TRUE(at_round_off(2e-14, 1.0, 1));
  EXPECT_TRUE(at_round_off(-2e-14, -1.0, 1));
  EXPECT_FALSE(at_round_off(3e-14, 1.0, 1));
  EXPECT_TRUE(at_round_off(0.0, 0.5, 2));
  // N = 320 raises the floor to 7.1e-12.
  EXPECT_TRUE(at_round_off(7e-12, 1.0, 320));
  EXPECT_FALSE(at_round_off(7.2e-12, 1.0, 320));
  EXPECT_FALSE(at_round_off(1e-12, 0.5, 20));
}

TEST(IterationError, SuccessiveSubstitutionAddsTheStepsToCome) {
  LastIterates iterates;
  for (const double value : {1.0, 1.1, 1.15}) iterates.push({value, 0.4, 1.0});
  const IterationError picard = iteration_error(Method::successive_substitution, iterates, 0, 20);
  EXPECT_EQ(picard.trend, IterationTrend::contracting);
  EXPECT_NEAR(picard.estimate, 0.05, 1e-15);
  EXPECT_NEAR(iteration_error(Method::newton, iterates, 0, 20).estimate, 0.05, 1e-15);
  EXPECT_EQ(iteration_error(Method::newton, iterates, 1, 20).trend, IterationTrend::settled);
  iterates.push({1.25, 0.4, 1.0});
  EXPECT_EQ(iteration_error(Method::successive_substitution, iterates, 0, 20).trend,
            IterationTrend::not_contracting);
}

}  // namespace
}  // namespace talvenor

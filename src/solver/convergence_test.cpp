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

TEST(NewtonRule, StopsAndJudgesByTheChangeThatStoppedShrinking) {
  // The updates of N = 320, Re = 20, esquema 2: the fifth is no smaller than the fourth.
  EXPECT_EQ(newton_stop(2.0e-13, 5.8e-7, 1.0), std::nullopt);
  EXPECT_EQ(newton_stop(2.0e-14, 1.4e-14, 1.0), NewtonStop::stopped_shrinking);
  EXPECT_EQ(newton_stop(1e-17, 1e-13, 1.0), NewtonStop::round_off);
  // The study judges a variable by the same rule: a change equal to the one before has
  // stopped shrinking for Newton, while successive substitution allows 1 % either way.
  LastIterates iterates;
  for (const double value : {1.0, 1.1, 1.2 - 5e-4}) iterates.push({value, 0.4, 1.0});
  EXPECT_EQ(iteration_error(Method::newton, iterates, 0, 20).trend, IterationTrend::contracting);
  EXPECT_EQ(iteration_error(Method::successive_substitution, iterates, 0, 20).trend,
            IterationTrend::not_contracting);
}

}  // namespace
}  // namespace talvenor

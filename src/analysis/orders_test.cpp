#include "analysis/orders.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace talvenor {
namespace {

constexpr double kClose = 1e-12;

TEST(EffectiveOrder, ComparesTheErrorsOfTwoMeshes) {
  // h = 1/20, 1/40, 1/80 with made-up errors 3.2e-3, -1.7e-3, 0.8e-3: the sign plays no part.
  EXPECT_NEAR(effective_order(3.2e-3, -1.7e-3, 1.0 / 20, 1.0 / 40), 0.9125371587496608, kClose);
  EXPECT_NEAR(effective_order(-1.7e-3, 0.8e-3, 1.0 / 40, 1.0 / 80), 1.0874628412503395, kClose);
  EXPECT_NEAR(effective_order(0.01, 0.0025, 0.1, 0.05), 2.0, kClose);
  // Ratio 3 and a first-order error.
  EXPECT_NEAR(effective_order(0.3, 0.1, 0.3, 0.1), 1.0, kClose);
}

TEST(Oscillation, IsAChangeOfSignOfTheSuccessiveDifferences) {
  EXPECT_TRUE(oscillates(1.0, 0.9, 0.95));
  EXPECT_TRUE(oscillates(0.9, 1.0, 0.95));
  EXPECT_FALSE(oscillates(1.0, 0.9, 0.85));
  EXPECT_FALSE(oscillates(0.8, 0.9, 0.95));
  EXPECT_FALSE(oscillates(1.0, 1.0, 0.9));
}

TEST(ApparentOrder, ConstantRatioIsTheLogOfTheRatioOfDifferences) {
  // f = 0.9, 0.96, 0.975 on h = 0.1, 0.05, 0.025: differences -0.06, -0.015, ratio 4.
  const auto p = apparent_order(0.1, 0.05, 0.025, 0.9, 0.96, 0.975);
  ASSERT_TRUE(p);
  EXPECT_NEAR(*p, 2.0, kClose);
  // Differences that grow under refinement give a negative order: 1, 1.01, 1.03.
  const auto growing = apparent_order(0.1, 0.05, 0.025, 1.0, 1.01, 1.03);
  ASSERT_TRUE(growing);
  EXPECT_NEAR(*growing, -1.0, kClose);
}

TEST(ApparentOrder, AnyRefinementRatio) {
  // N = 10, 15, 22: ratios 1.5 and 22/15, so the ratio of differences alone is not r^p.
  const std::vector<double> h = {1.0 / 10, 1.0 / 15, 1.0 / 22};
  for (const double order : {0.5, 1.0, 1.5, 2.0, 3.0}) {
    std::vector<double> f;
    for (const double step : h) f.push_back(2.0 - 0.7 * std::pow(step, order));
    const auto p = apparent_order(h[0], h[1], h[2], f[0], f[1], f[2]);
    ASSERT_TRUE(p) << order;
    EXPECT_NEAR(*p, order, 1e-9) << order;
  }
  // Ratio 3 (N = 10, 30, 90), a second-order sequence converging from above.
  const auto p =
      apparent_order(1.0 / 10, 1.0 / 30, 1.0 / 90, 1.0 + 0.01, 1.0 + 0.01 / 9, 1.0 + 0.01 / 81);
  ASSERT_TRUE(p);
  EXPECT_NEAR(*p, 2.0, 1e-9);
}

TEST(ApparentOrder, NoneForOscillationOrAZeroDifference) {
  EXPECT_FALSE(apparent_order(0.1, 0.05, 0.025, 1.0, 0.9, 0.95));
  EXPECT_FALSE(apparent_order(1.0 / 10, 1.0 / 15, 1.0 / 22, 1.0, 0.9, 0.95));
  EXPECT_FALSE(apparent_order(0.1, 0.05, 0.025, 0.5, 0.5, 0.5));
  EXPECT_FALSE(apparent_order(0.1, 0.05, 0.025, 0.4, 0.5, 0.5));
}

TEST(Richardson, ExtrapolatesTheFinestPair) {
  EXPECT_NEAR(richardson(0.96, 0.975, 2.0, 2.0), 0.98, kClose);
  EXPECT_NEAR(richardson(1.005, 1.00125, 2.0, 2.0), 1.0, kClose);
  // f = 2 - 0.7 h^1.5 on N = 15, 22 gives back f0 = 2.
  EXPECT_NEAR(richardson(1.9879507184784657, 1.9932163408432306, 22.0 / 15.0, 1.5), 2.0, kClose);
}

TEST(GridConvergenceIndex, IsTheSafeRelativeErrorOfTheFinePair) {
  EXPECT_NEAR(*gci(0.96, 0.975, 2.0, 2.0, kSafetyThreeMeshes), 0.006410256410256409, kClose);
  EXPECT_NEAR(*gci(0.96, 0.975, 2.0, 2.0, kSafetyTwoMeshes), 0.015384615384615385, kClose);
  EXPECT_NEAR(*gci(1.9879507184784657, 1.9932163408432306, 22.0 / 15.0, 1.5, kSafetyThreeMeshes),
              0.004254216550509882, kClose);
  EXPECT_FALSE(gci(0.1, 0.0, 2.0, 2.0, kSafetyThreeMeshes));
}

TEST(LeastSquaresOrder, FitsTheSlopeOfLogErrorAgainstLogH) {
  const std::vector<double> h = {0.1, 0.05, 0.025, 0.0125};
  const std::vector<double> errors = {0.02, -0.006, 0.0014, 0.0004};
  EXPECT_NEAR(*least_squares_order(h, errors), 1.903110424287509, kClose);
  EXPECT_NEAR(*least_squares_order(std::span(h).last(3), std::span(errors).last(3)),
              1.9534452978042591, kClose);
  // Exact powers give the power.
  const std::vector<double> second = {0.02, 0.005, 0.00125, 0.0003125};
  EXPECT_NEAR(*least_squares_order(h, second), 2.0, kClose);
}

TEST(LeastSquaresOrder, NeedsTwoMeshesDistinctStepsAndNoZeroError) {
  const std::vector<double> one = {0.1};
  EXPECT_FALSE(least_squares_order(one, one));
  const std::vector<double> same = {0.1, 0.1};
  const std::vector<double> errors = {0.01, 0.02};
  EXPECT_FALSE(least_squares_order(same, errors));
  const std::vector<double> h = {0.1, 0.05};
  const std::vector<double> zero = {0.01, 0.0};
  EXPECT_FALSE(least_squares_order(h, zero));
}

}  // namespace
}  // namespace talvenor

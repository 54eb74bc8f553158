#include "analysis/estimators.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/orders.hpp"

namespace talvenor {
namespace {

/// f(h) = 1 + C h^p on each h.
std::vector<double> power_law(const std::vector<double>& h, double C, double p) {
  std::vector<double> f;
  for (const double step : h) f.push_back(1.0 + C * std::pow(step, p));
  return f;
}

TEST(FactorOfSafety, IsFsOfTheOrderRatioTimesTheRichardsonError) {
  const std::vector<double> h = {0.1, 0.05, 0.025};
  // p = 1.5 against a formal 2: P = 0.75, FS = 2.45 - 0.85 * 0.75 = 1.8125; on an exact
  // power law delta_RE is the fine value's whole error, 0.3 * 0.025^1.5.
  std::vector<double> f = power_law(h, 0.3, 1.5);
  auto p = apparent_order(h[0], h[1], h[2], f[0], f[1], f[2]);
  auto u = u_fs(f[1], f[2], 2.0, p, 2.0);
  ASSERT_TRUE(u);
  EXPECT_NEAR(*u, 1.8125 * 0.3 * std::pow(0.025, 1.5), 1e-12);
  // p = 2.4: P = 1.2 > 1, FS = 16.4 * 1.2 - 14.8 = 4.88.
  f = power_law(h, -0.3, 2.4);
  p = apparent_order(h[0], h[1], h[2], f[0], f[1], f[2]);
  u = u_fs(f[1], f[2], 2.0, p, 2.0);
  ASSERT_TRUE(u);
  EXPECT_NEAR(*u, 4.88 * 0.3 * std::pow(0.025, 2.4), 1e-12);
  // No value without an order, for an order of 0 or less, or without a formal order.
  EXPECT_FALSE(u_fs(f[1], f[2], 2.0, std::nullopt, 2.0));
  EXPECT_FALSE(u_fs(f[1], f[2], 2.0, -0.5, 2.0));
  EXPECT_FALSE(u_fs(f[1], f[2], 2.0, 2.4, std::nullopt));
}

TEST(LeastSquares, AnExactPowerLawInRangeIsTheGciOfItsWholeError) {
  // f = 1 + 0.3 h^1.5, meshes in no order and ratios not constant: the fit passes
  // through every value (sigma = 0, fit(h_fine) = f_fine), so U = 1.25 |f_fine - f0|.
  const std::vector<double> h = {1.0 / 20, 1.0 / 10, 1.0 / 90, 1.0 / 45, 1.0 / 30};
  const auto estimate = u_lsq(h, power_law(h, 0.3, 1.5), 2.0);
  ASSERT_TRUE(estimate);
  EXPECT_EQ(estimate->fit, ErrorFit::observed);
  EXPECT_NEAR(*estimate->order, 1.5, 1e-6);
  EXPECT_EQ(estimate->safety, 1.25);
  const double whole_error = 0.3 * std::pow(1.0 / 90, 1.5);
  EXPECT_NEAR(estimate->uncertainty, 1.25 * whole_error, 1e-9 * whole_error);
  // Three meshes are not enough.
  EXPECT_FALSE(u_lsq(std::vector<double>(h.begin(), h.begin() + 3),
                     power_law(std::vector<double>(h.begin(), h.begin() + 3), 0.3, 1.5), 2.0));
}

TEST(LeastSquares, AnOrderOutOfRangeTakesTheFixedOrderFits) {
  // Formal order 1 and f = 1 + 0.3 h^2: p = 2 is not below 1.1, so the fits of fixed
  // order decide; alpha1 h + alpha2 h^2 passes through every value, and U = 3 |f_fine - f0|.
  const std::vector<double> h = {1.0 / 10, 1.0 / 20, 1.0 / 40, 1.0 / 80};
  const auto estimate = u_lsq(h, power_law(h, 0.3, 2.0), 1.0);
  ASSERT_TRUE(estimate);
  EXPECT_EQ(estimate->fit, ErrorFit::both);
  EXPECT_EQ(estimate->safety, 3.0);
  const double whole_error = 0.3 / (80.0 * 80.0);
  EXPECT_NEAR(estimate->uncertainty, 3.0 * whole_error, 1e-9 * whole_error);
}

}  // namespace
}  // namespace talvenor

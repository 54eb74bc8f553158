#include "record/exact_solutions.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace talvenor {
namespace {

// Each entry against its own u: a new entry whose mean, slope or source does not
// belong to its u fails here before any run.

double simpson_mean(double (*u)(double)) {
  constexpr int kIntervals = 2000;
  const double h = 1.0 / kIntervals;
  double sum = u(0.0) + u(1.0);
  for (int i = 1; i < kIntervals; ++i) sum += (i % 2 ? 4.0 : 2.0) * u(i * h);
  return sum * h / 3.0;
}

TEST(ExactSolutions, EachEntrysMeanSlopeAndSourceBelongToItsU) {
  for (const ExactSolution& exact : kExactSolutions) {
    SCOPED_TRACE(std::string(exact.formula));
    EXPECT_NEAR(exact.u(0.0), 0.0, 1e-15);
    EXPECT_NEAR(exact.u(1.0), 1.0, 1e-15);
    EXPECT_NEAR(exact.mean(), simpson_mean(exact.u), 1e-12);
    // The five-point one-sided difference at x = 1: error of order h^4.
    const double h = 1e-3;
    const auto u = exact.u;
    const double slope =
        (25.0 * u(1.0) - 48.0 * u(1.0 - h) + 36.0 * u(1.0 - 2 * h) - 16.0 * u(1.0 - 3 * h) +
         3.0 * u(1.0 - 4 * h)) /
        (12.0 * h);
    EXPECT_NEAR(exact.slope(), slope, 1e-8);
    // S = Re u u' - u'', with central differences.
    const double d = 1e-4;
    for (const double Re : {1.0, 20.0}) {
      for (const double x : {0.1, 0.3, 0.5, 0.7, 0.9}) {
        const double first = (u(x + d) - u(x - d)) / (2.0 * d);
        const double second = (u(x + d) - 2.0 * u(x) + u(x - d)) / (d * d);
        EXPECT_NEAR(exact.source(x, Re), Re * u(x) * first - second, 1e-5 * (1.0 + Re))
            << "x = " << x << ", Re = " << Re;
      }
    }
  }
}

}  // namespace
}  // namespace talvenor

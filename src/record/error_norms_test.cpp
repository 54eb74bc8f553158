#include "record/error_norms.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace talvenor {
namespace {

TEST(ErrorNorms, OfAFieldWithKnownNodalErrors) {
  // Five nodes, h = 0.25, errors 0, 0.1, -0.3, 0.2, 0 (zero at both boundaries).
  FieldArrays field;
  field.ua = {0.0, 0.25, 0.5, 0.75, 1.0};
  field.u = {0.0, 0.15, 0.8, 0.55, 1.0};
  const ErrorNorms norms = error_norms(field, 0.25);
  EXPECT_NEAR(norms.L1, 0.25 * (0.1 + 0.3 + 0.2), 1e-15);
  EXPECT_NEAR(norms.L2, std::sqrt(0.25 * (0.01 + 0.09 + 0.04)), 1e-15);
  // The largest error is negative: the maximum is of its magnitude.
  EXPECT_NEAR(norms.Linf, 0.3, 1e-15);
}

}  // namespace
}  // namespace talvenor

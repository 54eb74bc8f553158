#include "analysis/audit.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace talvenor {
namespace {

TEST(Audit, CountsCoverageAndOrdersTheFailures) {
  const auto row = [](Estimator estimator, std::optional<double> u, double error,
                      const char* scheme, double cell_reynolds, const char* label) {
    return AuditRow{estimator, u, error, scheme, cell_reynolds, label};
  };
  const std::vector<AuditRow> rows = {
      row(Estimator::gci, 2.0, 1.0, "upwind", 0.5, "a"),
      row(Estimator::gci, 0.5, -1.0, "upwind", 0.5, "b"),
      row(Estimator::gci, std::nullopt, 1.0, "central", 5.0, "c"),
      row(Estimator::gci, 0.1, 1.0, "central", 5.0, "d"),
      row(Estimator::gci, 3.0, 0.0, "central", 5.0, "e"),
      row(Estimator::fs, 4.0, 1.0, "upwind", 0.5, "a"),
  };
  const Audit result = audit_estimators(rows);
  // u_gci: all, upwind, central, Re*h < 2, Re*h >= 2; u_fs: all, upwind, Re*h < 2.
  ASSERT_EQ(result.groups.size(), 8u);
  const Coverage& all = result.groups[0];
  EXPECT_EQ(all.group, "all");
  EXPECT_EQ(all.valued, 4u);
  EXPECT_EQ(all.covered, 2u);  // a, and e whose error is zero
  EXPECT_DOUBLE_EQ(*all.percent(), 50.0);
  EXPECT_DOUBLE_EQ(*all.effectivity_min, 0.1);
  EXPECT_DOUBLE_EQ(*all.effectivity_median, 0.5);  // of 0.1, 0.5, 2: e has no ratio
  EXPECT_DOUBLE_EQ(*all.effectivity_max, 2.0);
  const Coverage& central = result.groups[2];
  EXPECT_EQ(central.group, "central");
  EXPECT_EQ(central.valued, 2u);
  EXPECT_EQ(central.covered, 1u);
  EXPECT_EQ(result.groups[3].group, "Re*h < 2");
  EXPECT_EQ(result.groups[3].covered, 1u);
  EXPECT_EQ(result.groups[4].group, "Re*h >= 2");
  EXPECT_EQ(result.groups[5].estimator, Estimator::fs);
  EXPECT_DOUBLE_EQ(*result.groups[5].percent(), 100.0);
  // The failures, the smaller effectivity first: d (0.1), then b (0.5).
  ASSERT_EQ(result.failing.size(), 2u);
  EXPECT_EQ(result.failing[0].label, "d");
  EXPECT_EQ(result.failing[1].label, "b");
}

}  // namespace
}  // namespace talvenor

#include "analysis/audit.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace talvenor {
namespace {

TEST(Audit, CountsCoverageAndOrdersTheFailures) {
  const auto row = [](Estimator estimator, std::optional<double> u, double error,
                      const char* scheme, double cell_reynolds, const char* label) {
    return AuditRow{estimator, u, error, scheme, cell_reynolds, std::nullopt, false, label};
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
  // u_gci: all, upwind, central, Re*h < 2, Re*h >= 2, no P; u_fs: all, upwind, Re*h < 2,
  // no P. No row is a finest mesh.
  ASSERT_EQ(result.groups.size(), 10u);
  const Coverage& all = result.groups[0];
  EXPECT_EQ(all.group, "all");
  EXPECT_EQ(all.valued, 4u);
  EXPECT_EQ(all.covered, 2u);  // a, and e whose error is zero
  EXPECT_EQ(all.abstained, 1u);
  EXPECT_DOUBLE_EQ(*all.percent(), 50.0);
  EXPECT_DOUBLE_EQ(*all.effectivity_min, 0.1);
  EXPECT_DOUBLE_EQ(*all.effectivity_median, 0.5);  // of 0.1, 0.5, 2: e has no ratio
  EXPECT_DOUBLE_EQ(*all.effectivity_max, 2.0);
  EXPECT_EQ(result.groups[2].group, "central");
  EXPECT_EQ(result.groups[2].valued, 2u);
  EXPECT_EQ(result.groups[2].abstained, 1u);
  // The failures, the smaller effectivity first: d (0.1), then b (0.5).
  ASSERT_EQ(result.failing.size(), 2u);
  EXPECT_EQ(result.failing[0].label, "d");
  EXPECT_EQ(result.failing[1].label, "b");
}

TEST(WilsonInterval, MatchesTheClosedFormOnKnownCounts) {
  // The bounds of the score interval are the roots q of (k/n - q)^2 = z^2 q (1 - q) / n,
  // z = 1.959964 (found by bisection in Python for the middle two): for k = n the
  // lower bound is n / (n + z^2), for k = 0 the upper one z^2 / (n + z^2).
  struct Case {
    std::size_t covered, valued;
    double low, high;
  };
  const Case cases[] = {
      {176, 176, 176.0 / (176.0 + 3.841458820694124), 1.0},        // 0.97864
      {0, 4, 0.0, 3.841458820694124 / (4.0 + 3.841458820694124)},  // 0.48990
      {30, 38, 0.6365422, 0.8892521},  // 79 %, the band 1.1 <= P < 2 of a campaign
      {1, 2, 0.0945312, 0.9054688},
  };
  for (const Case& c : cases) {
    const auto interval = wilson_interval(c.covered, c.valued);
    ASSERT_TRUE(interval);
    EXPECT_NEAR(interval->low, c.low, 1e-7) << c.covered << " of " << c.valued;
    EXPECT_NEAR(interval->high, c.high, 1e-7) << c.covered << " of " << c.valued;
  }
  EXPECT_NEAR(wilson_interval(176, 176)->low, 0.97864, 5e-6);
  EXPECT_FALSE(wilson_interval(0, 0));
}

/// f = 1 + C h^p on each h, as the numerical values of a variable whose exact value is 1.
std::vector<MeshRow> power_rows(const std::vector<double>& h, double C, double p) {
  std::vector<MeshRow> rows;
  for (const double step : h) {
    MeshRow row;
    row.h = step;
    row.N = std::lround(1.0 / step);
    row.exact = 1.0;
    row.numerical = 1.0 + C * std::pow(step, p);
    rows.push_back(row);
  }
  return rows;
}

TEST(Audit, GradesEachValueByItsOwnMeshAndOrderRatio) {
  // A tiny campaign at Re = 100 on h = 1/20, 1/40, 1/80, 1/160 (Re*h = 5, 2.5, 1.25,
  // 0.625: the coarse two do not resolve the convection, the fine two do), formal
  // order 2. Variable u converges as 1 + 0.3 h^2: P = 1 from the third mesh on; u_gci
  // on meshes 2 to 4 (3 times the error on the second, 1.25 after), u_fs on 3 and 4
  // (1.6 times), u_lsq on 4 (1.25 times). Variable v diverges as 1 + 0.001 / h: P = -0.5,
  // where u_gci and u_fs abstain; its two-mesh GCI is 3 (0.04 - 0.02) / 3 = 0.02 against
  // |E| = 0.04 on the second mesh.
  const std::vector<double> h = {1.0 / 20, 1.0 / 40, 1.0 / 80, 1.0 / 160};
  const std::vector<VariableStudy> studies = {
      analyse_variable("u", power_rows(h, 0.3, 2.0), 2.0),
      analyse_variable("v", power_rows(h, 0.001, -1.0), 2.0)};
  const Audit result = audit_estimators(audit_rows(studies, {"esquema 2", 100.0, 2.0, "Re = 100"}));
  struct Expected {
    Estimator estimator;
    std::string group;
    std::size_t valued, abstained;
    std::optional<std::size_t> covered;  // none: not worked out by hand
    std::optional<double> median;
  };
  const Expected expected[] = {
      {Estimator::gci, "all", 4, 4, 3, 1.25},  // v's second mesh: 0.5
      {Estimator::gci, "finest mesh", 1, 1, 1, 1.25},
      {Estimator::gci, "Re*h >= 2", 2, 2, 1, 1.75},  // the second meshes: u 3, v 0.5
      {Estimator::gci, "Re*h < 2", 2, 2, 2, 1.25},
      {Estimator::gci, "0.9 <= P < 1.1", 2, 0, 2, 1.25},
      {Estimator::gci, "P < 0", 0, 2, 0, {}},
      {Estimator::gci, "no P", 2, 2, 1, 1.75},
      {Estimator::fs, "Re*h >= 2", 0, 4, 0, {}},
      {Estimator::fs, "Re*h < 2", 2, 2, 2, 1.6},
      {Estimator::fs, "P < 0", 0, 2, 0, {}},
      {Estimator::lsq, "Re*h >= 2", 0, 4, 0, {}},
      {Estimator::lsq, "Re*h < 2", 2, 2, {}, {}},
      {Estimator::lsq, "0.9 <= P < 1.1", 1, 1, 1, 1.25},
      {Estimator::lsq, "finest mesh", 2, 0, {}, {}},
  };
  for (const Expected& want : expected) {
    const auto found = std::find_if(
        result.groups.begin(), result.groups.end(),
        [&](const Coverage& c) { return c.estimator == want.estimator && c.group == want.group; });
    const std::string where =
        std::string(kEstimators[static_cast<std::size_t>(want.estimator)].name) + " " + want.group;
    ASSERT_NE(found, result.groups.end()) << where;
    EXPECT_EQ(found->valued, want.valued) << where;
    EXPECT_EQ(found->abstained, want.abstained) << where;
    if (want.covered) {
      EXPECT_EQ(found->covered, *want.covered) << where;
    }
    if (want.median) {
      EXPECT_NEAR(*found->effectivity_median, *want.median, 1e-6) << where;
    }
  }
  // No value has 0 <= P < 0.9 or P >= 2: those groups are left out.
  for (const Coverage& coverage : result.groups) {
    EXPECT_NE(coverage.group, "0 <= P < 0.9");
    EXPECT_NE(coverage.group, "P >= 2");
  }
}

}  // namespace
}  // namespace talvenor

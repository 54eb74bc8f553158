#include "analysis/verdict.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace talvenor {
namespace {

constexpr double kExact = 0.5;

/// A variable on N = 10, 20, 40, ... whose errors (exact - numerical) are `errors`,
/// errors below 1e-15 at round-off, analysed as the study analyses it, with `change` applied to the rows first.
VariableStudy with_errors(const std::vector<double>& errors,
                          void (*change)(std::vector<MeshRow>&) = nullptr) {
  std::vector<MeshRow> rows;
  std::int32_t N = 10;
  for (const double error : errors) {
    MeshRow row;
    row.N = N;
    row.h = 1.0 / N;
    row.exact = kExact;
    row.numerical = kExact - error;
    row.round_off = std::fabs(error) < 1e-15;  // the floor a source would give
    rows.push_back(row);
    N *= 2;
  }
  if (change) change(rows);
  return analyse_variable("u(1/2)", rows, 1.0);
}

TEST(Judge, AnOrderWithinATenthOfTheFormalOneIsVerified) {
  const Verdict verdict = judge(with_errors({0.04, 0.02, 0.01}), 1.0);
  EXPECT_EQ(verdict.kind, VerdictKind::verified);
  EXPECT_NEAR(*verdict.order, 1.0, 1e-12);
  // 2^-1.09 per doubling: still within 0.1; 2^-1.11 is not.
  EXPECT_EQ(judge(with_errors({0.04, 0.04 * 0.47, 0.04 * 0.47 * 0.47}), 1.0).kind,
            VerdictKind::verified);
  EXPECT_NE(judge(with_errors({0.04, 0.04 * 0.46, 0.04 * 0.46 * 0.46}), 1.0).kind,
            VerdictKind::verified);
}

TEST(Judge, OnlyTheFinestThreeCleanMeshesCount) {
  // A wild coarse mesh and a round-off finest one are passed over.
  const Verdict verdict = judge(with_errors({3.0, 0.04, 0.02, 0.01, 1e-17}), 1.0);
  EXPECT_EQ(verdict.kind, VerdictKind::verified);
  EXPECT_NEAR(*verdict.order, 1.0, 1e-12);
}

TEST(Judge, ErrorsAtRoundOffOnEveryMeshAreExact) {
  const Verdict verdict = judge(with_errors({1e-16, 0.0, -2e-16}), 2.0);
  EXPECT_EQ(verdict.kind, VerdictKind::exact);
  EXPECT_FALSE(verdict.order);
  // At round-off on some meshes only: nothing to judge, and no exactness either.
  EXPECT_EQ(judge(with_errors({0.04, 1e-17, 0.01}), 1.0).kind, VerdictKind::failed);
}

TEST(Judge, EffectiveOrdersApproachingTheFormalOneAskForFinerMeshes) {
  // Effective orders 0.5, then 0.7, toward 1.
  const double e0 = 0.2;
  const double e1 = e0 / std::pow(2.0, 0.5);
  const double e2 = e1 / std::pow(2.0, 0.7);
  const Verdict verdict = judge(with_errors({e0, e1, e2}), 1.0);
  EXPECT_EQ(verdict.kind, VerdictKind::refine);
  EXPECT_NEAR(*verdict.order, 0.6, 1e-12);
  EXPECT_EQ(verdict.reason,
            "effective orders 0.50, 0.70 on N = 10, 20, 40 approach 1; add N = 80, 160");
  // From above as well: 2.6, then 2.3, toward 2.
  const double f1 = e0 / std::pow(2.0, 2.6);
  EXPECT_EQ(judge(with_errors({e0, f1, f1 / std::pow(2.0, 2.3)}), 2.0).kind, VerdictKind::refine);
}

TEST(Judge, AWrongOrderOrOneMovingAwayFails) {
  // Second order where the scheme's is first: right on every mesh, and wrong.
  const Verdict wrong = judge(with_errors({0.04, 0.01, 0.0025}), 1.0);
  EXPECT_EQ(wrong.kind, VerdictKind::failed);
  EXPECT_NEAR(*wrong.order, 2.0, 1e-12);
  EXPECT_EQ(wrong.reason,
            "effective orders 2.00, 2.00 on N = 10, 20, 40 do not approach the formal order 1");
  // 0.7, then 0.5: away from 1.
  const double e1 = 0.2 / std::pow(2.0, 0.7);
  EXPECT_EQ(judge(with_errors({0.2, e1, e1 / std::pow(2.0, 0.5)}), 1.0).kind, VerdictKind::failed);
}

TEST(Judge, AFailedFineMeshDecidesTheVerdict) {
  const Verdict diverged = judge(with_errors({0.08, 0.04, 0.02, 0.01},
                                             [](std::vector<MeshRow>& rows) {
                                               rows[3].numerical.reset();
                                               rows[3].fault =
                                                   "floating-point overflow in iteration 3";
                                             }),
                                 1.0);
  EXPECT_EQ(diverged.kind, VerdictKind::diverged);
  EXPECT_EQ(diverged.reason, "N = 80: floating-point overflow in iteration 3");

  const Verdict stuck =
      judge(with_errors({0.08, 0.04, 0.02, 0.01},
                        [](std::vector<MeshRow>& rows) {
                          rows[2].iteration_not_converging = true;
                        }),
            1.0);
  EXPECT_EQ(stuck.kind, VerdictKind::not_converged);
  EXPECT_EQ(stuck.reason, "N = 40: iteration not converging");

  const Verdict short_of = judge(
      with_errors({0.08, 0.04, 0.02, 0.01},
                  [](std::vector<MeshRow>& rows) {
                    rows[3].iteration_estimate = 0.001;  // 10 % of the error
                  }),
      1.0);
  EXPECT_EQ(short_of.kind, VerdictKind::not_converged);
  EXPECT_EQ(short_of.reason, "N = 80: iteration error 10 % of |E|");

  // Below the three meshes judged, a failure is passed over.
  EXPECT_EQ(judge(with_errors({0.08, 0.04, 0.02, 0.01},
                              [](std::vector<MeshRow>& rows) { rows[0].numerical.reset(); }),
                  1.0)
                .kind,
            VerdictKind::verified);
}

TEST(Judge, ValuesThatGoUpAndDownAreOscillatory) {
  // Errors 0.04, -0.02, 0.01: the values rise, fall and rise.
  const Verdict verdict = judge(with_errors({0.04, -0.02, 0.01}), 1.0);
  EXPECT_EQ(verdict.kind, VerdictKind::oscillatory);
  EXPECT_EQ(verdict.reason,
            "the values on N = 10, 20, 40 go up and down, not yet in the asymptotic range; add N = "
            "80, 160");
}

}  // namespace
}  // namespace talvenor

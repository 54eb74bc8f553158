#include "analysis/verdict.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string_view>
#include <vector>

namespace talvenor {
namespace {

/// A sequence of values (exact value 1) and the verdict the Python model gives it.
struct VerdictCase {
  std::string_view name;
  double formal;
  std::vector<double> h;
  std::vector<double> values;
  VerdictKind kind;
};

/// Values without an exact one, and what the model says of the finest row.
struct RowCase {
  std::string_view name;
  std::vector<double> h;
  std::vector<double> values;
  std::string_view notes;
  double u_gci;  ///< kNone: no value
};

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

#include "analysis/verdict_cases.inc"

/// The rows of `h` and `values`, with the exact value `exact` when given.
std::vector<MeshRow> rows_of(const std::vector<double>& h, const std::vector<double>& values,
                             std::optional<double> exact) {
  std::vector<MeshRow> rows(h.size());
  for (std::size_t k = 0; k < h.size(); ++k) {
    rows[k].h = h[k];
    rows[k].numerical = values[k];
    rows[k].exact = exact;
  }
  return rows;
}

TEST(Judge, EachSequenceGetsTheModelsVerdict) {
  for (const VerdictCase& sequence : kVerdictCases) {
    const VariableStudy study = analyse_variable(
        "f", rows_of(sequence.h, sequence.values, 1.0), sequence.formal, MeshCount::none);
    const Verdict verdict = judge(study, sequence.formal);
    EXPECT_EQ(verdict_name(verdict.kind), verdict_name(sequence.kind))
        << sequence.name << ": " << verdict.reason;
  }
}

TEST(Judge, OrdersNearZeroAndOscillationsAsTheModelSays) {
  for (const RowCase& sequence : kRowCases) {
    const VariableStudy study =
        analyse_variable("f", rows_of(sequence.h, sequence.values, {}), 2.0, MeshCount::none);
    const MeshRow& fine = study.rows.back();
    EXPECT_EQ(notes(fine), sequence.notes) << sequence.name;
    const auto u_gci = fine.uncertainty[static_cast<std::size_t>(Estimator::gci)];
    EXPECT_EQ(u_gci.has_value(), !std::isnan(sequence.u_gci)) << sequence.name;
    if (u_gci && !std::isnan(sequence.u_gci)) {
      EXPECT_NEAR(*u_gci, sequence.u_gci, 1e-13 * sequence.u_gci) << sequence.name;
    }
    if (!sequence.notes.empty()) {  // no extrapolation, on either side of zero
      EXPECT_FALSE(fine.richardson) << sequence.name;
      EXPECT_FALSE(fine.gci) << sequence.name;
      EXPECT_FALSE(fine.uncertainty[static_cast<std::size_t>(Estimator::fs)]) << sequence.name;
    }
  }
}

TEST(OrderTrend, TheWorkedExamplesOfTheRule) {
  struct Case {
    std::vector<double> orders;
    double formal;
    bool approaches;
    double low;
    double high;
  };
  // For r = 2, m = 2^-0.5: m / (1 + m) = sqrt 2 - 1, m / (1 - m) = sqrt 2 + 1.
  const double root2 = std::sqrt(2.0);
  const Case cases[] = {
      {{0.5, 0.7}, 1.0, true, 0.7 - 0.2 * (root2 - 1.0), 0.7 + 0.2 * (1.0 + root2)},
      {{0.7, 0.5}, 1.0, false, 0.5, 0.5},                        // moving away
      {{1.0, 1.0 + 1e-14}, 2.0, false, 1.0 + 1e-14, 1.0 + 1e-14},  // round-off
      {{2.3, 2.295}, 2.0, false, 2.295, 2.295},                  // shrinks by less than 0.01
      {{1.5, 1.75, 1.875}, 2.0, true, 2.0, 2.0},                 // Aitken: rho = 1/2
      {{0.5, 0.75, 0.875}, 2.0, false, 1.0, 1.0},                // Aitken: heads for 1
      // No step before the last: its range alone, and no division by zero.
      {{1.0, 1.0, 1.5}, 2.0, true, 1.5 - 0.5 * (root2 - 1.0), 1.5 + 0.5 * (1.0 + root2)},
      {{2.6, 1.9}, 2.0, true, 1.9 - 0.7 * (1.0 + root2), 1.9 + 0.7 * (root2 - 1.0)},
  };
  for (const Case& c : cases) {
    const OrderTrend trend = order_trend(c.orders, 2.0, c.formal);
    EXPECT_EQ(trend.approaches, c.approaches) << c.orders.back();
    EXPECT_NEAR(trend.low, c.low, 1e-12) << c.orders.back();
    EXPECT_NEAR(trend.high, c.high, 1e-12) << c.orders.back();
  }
}

TEST(Gate, RequiringVerifiedFailsEveryOpenCell) {
  const std::optional<Verdict> none;
  for (const VerdictNames& names : kVerdicts) {
    const std::optional<Verdict> verdict = Verdict{names.kind, {}, {}};
    EXPECT_EQ(gate_outcome(verdict, Requirement::order), names.outcome) << names.name;
    EXPECT_EQ(gate_outcome(verdict, Requirement::verified),
              names.outcome == VerdictOutcome::pass ? VerdictOutcome::pass : VerdictOutcome::fail)
        << names.name;
  }
  EXPECT_EQ(gate_outcome(none, Requirement::order), VerdictOutcome::open);
  EXPECT_EQ(gate_outcome(none, Requirement::verified), VerdictOutcome::fail);
  // Counted: 2 verified, 1 exact, 1 refine, 1 FAILED, 1 oscillatory, 2 without a verdict.
  const std::vector<Verdict> verdicts = {
      {VerdictKind::verified, {}, {}}, {VerdictKind::verified, {}, {}},
      {VerdictKind::exact, {}, {}},    {VerdictKind::refine, {}, {}},
      {VerdictKind::failed, {}, {}},   {VerdictKind::oscillatory, {}, {}}};
  VerdictCounts counts{};
  count_verdicts(verdicts, counts);
  EXPECT_EQ(gate_failures(counts, 8, Requirement::order), 1u);
  EXPECT_EQ(gate_failures(counts, 8, Requirement::verified), 5u);
}

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
  // The same wrong order on meshes whose coarsest of three has Re h of 2 or more (Re = 20
  // on N = 10) is not judged yet; once that mesh resolves the convection, it fails.
  const Verdict unresolved = judge(with_errors({0.04, 0.01, 0.0025}), 1.0, 20.0);
  EXPECT_EQ(unresolved.kind, VerdictKind::refine);
  EXPECT_EQ(unresolved.reason,
            "effective orders 2.00, 2.00 on N = 10, 20, 40 not yet judged: Re*h = 2 on N = 10"
            " does not resolve the convection; add doublings up to N = 80: there the coarsest"
            " of the three finest meshes has Re*h below 2");
  EXPECT_EQ(judge(with_errors({0.04, 0.01, 0.0025}), 1.0, 19.0).kind, VerdictKind::failed);
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

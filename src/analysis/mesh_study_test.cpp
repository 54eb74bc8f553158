#include "analysis/mesh_study.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace talvenor {
namespace {

/// Rows for meshes `Ns` whose numerical values come from `value(h)`, settled
/// iterations and exact value `exact`.
template <typename Value>
std::vector<MeshRow> rows_of(std::vector<std::int32_t> Ns, double exact, Value value) {
  std::vector<MeshRow> rows;
  for (const std::int32_t N : Ns) {
    MeshRow row;
    row.N = N;
    row.h = 1.0 / N;
    row.exact = exact;
    row.numerical = value(row.h);
    rows.push_back(row);
  }
  return rows;
}

TEST(AnalyseVariable, SecondOrderConvergence) {
  const auto study = analyse_variable(
      "u_media", rows_of({10, 20, 40, 80}, 1.0, [](double h) { return 1.0 - 2.0 * h * h; }), 2.0);
  ASSERT_EQ(study.rows.size(), 4u);
  EXPECT_EQ(study.name, "u_media");
  const MeshRow& first = study.rows[0];
  EXPECT_NEAR(*first.error, 0.02, 1e-15);
  EXPECT_FALSE(first.p_effective || first.p_apparent || first.richardson || first.gci);
  // The second mesh has a GCI from two meshes: Fs 3 and the order given.
  const MeshRow& second = study.rows[1];
  EXPECT_NEAR(*second.p_effective, 2.0, 1e-12);
  EXPECT_FALSE(second.p_apparent || second.richardson);
  EXPECT_NEAR(*second.gci, 3.0 * (0.98 - 0.995) / -0.995 / 3.0, 1e-14);
  for (std::size_t k = 2; k < 4; ++k) {
    const MeshRow& row = study.rows[k];
    EXPECT_NEAR(*row.p_effective, 2.0, 1e-10) << k;
    EXPECT_NEAR(*row.p_apparent, 2.0, 1e-10) << k;
    EXPECT_NEAR(*row.richardson, 1.0, 1e-14) << k;
    EXPECT_FALSE(row.round_off || row.oscillatory || row.not_converging || row.iterative_share);
  }
  // N = 80 against 40: 1.25 * |(0.9996875 - 0.99875) / 0.9996875| / 3.
  EXPECT_NEAR(*study.rows[3].gci, 1.25 * (0.9996875 - 0.99875) / 0.9996875 / 3.0, 1e-14);
  EXPECT_NEAR(*study.order_all, 2.0, 1e-12);
  EXPECT_EQ(study.order_all_meshes, 4u);
  EXPECT_NEAR(*study.order_finest, 2.0, 1e-12);
}

TEST(AnalyseVariable, TheLeastSquaresUncertaintyFitsTheFinestEightMeshesUpToItsRow) {
  // Twelve meshes: the finest row's u_lsq fits meshes 5 to 12, whatever the four before.
  const std::vector<std::int32_t> Ns = {10, 12, 14, 16, 20, 24, 28, 32, 40, 48, 56, 64};
  const auto u_lsq_of_finest = [&](std::size_t changed) {
    std::vector<MeshRow> rows = rows_of(Ns, 1.0, [](double h) { return 1.0 + h + 3.0 * h * h; });
    *rows[changed].numerical += 0.01;
    return analyse_variable("u", rows, 1.0).rows.back().uncertainty[static_cast<std::size_t>(Estimator::lsq)];
  };
  ASSERT_TRUE(u_lsq_of_finest(0));
  EXPECT_EQ(u_lsq_of_finest(0), u_lsq_of_finest(3));
  EXPECT_NE(u_lsq_of_finest(3), u_lsq_of_finest(4));
}

TEST(AnalyseVariable, OscillatoryDifferencesGiveNoApparentOrder) {
  std::vector<MeshRow> rows = rows_of({10, 20, 40, 80}, 1.0, [](double) { return 0.0; });
  rows[0].numerical = 0.9;
  rows[1].numerical = 0.96;
  rows[2].numerical = 0.95;
  rows[3].numerical = 0.9502;
  const auto study = analyse_variable("u(1/2)", rows, 1.0);
  const MeshRow& last = study.rows[2];
  EXPECT_TRUE(last.oscillatory);
  EXPECT_TRUE(last.p_effective);  // the errors still give one
  EXPECT_FALSE(last.p_apparent || last.richardson || last.gci);
  // In u_gci's place, the range of the three values; u_lsq from the fourth mesh on.
  const auto u = [](const MeshRow& row, Estimator e) {
    return row.uncertainty[static_cast<std::size_t>(e)];
  };
  EXPECT_NEAR(*u(last, Estimator::gci), 0.06, 1e-15);
  EXPECT_FALSE(u(last, Estimator::fs) || u(last, Estimator::lsq));
  EXPECT_TRUE(study.rows[3].oscillatory);
  EXPECT_NEAR(*u(study.rows[3], Estimator::gci), 0.01, 1e-15);
  EXPECT_TRUE(u(study.rows[3], Estimator::lsq));
}

TEST(AnalyseVariable, DifferencesThatGrowAreNotExtrapolated) {
  const auto study = analyse_variable(
      "u(1/2)", rows_of({10, 20, 40}, 1.0, [](double h) { return 1.0 - 0.001 / h; }), 1.0);
  const MeshRow& last = study.rows[2];
  EXPECT_NEAR(*last.p_apparent, -1.0, 1e-10);
  EXPECT_TRUE(last.not_converging);
  EXPECT_FALSE(last.richardson || last.gci);
}

TEST(AnalyseVariable, RoundOffErrorsGiveNoOrder) {
  std::vector<MeshRow> rows =
      rows_of({10, 20, 40}, 1.0, [](double h) { return 1.0 + 1e-15 * h; });
  for (MeshRow& row : rows) row.round_off = true;  // as the source's floor says
  const auto study = analyse_variable("inclinacao(1)", rows, 2.0);
  for (const MeshRow& row : study.rows) {
    EXPECT_TRUE(row.round_off);
    EXPECT_FALSE(row.p_effective || row.p_apparent || row.richardson || row.gci);
  }
  EXPECT_FALSE(study.order_all);
  EXPECT_FALSE(study.order_finest);
}

TEST(AnalyseVariable, ADivergedMeshLeavesItsNeighboursWithoutWhatNeedsIt) {
  std::vector<MeshRow> rows =
      rows_of({10, 20, 40, 80}, 1.0, [](double h) { return 1.0 - 0.5 * h; });
  rows[1].numerical.reset();
  rows[1].fault = "floating-point overflow in iteration 3 (tdma)";
  const auto study = analyse_variable("u(1/2)", rows, 1.0);
  EXPECT_FALSE(study.rows[1].error);
  EXPECT_FALSE(study.rows[2].p_effective || study.rows[2].p_apparent);
  EXPECT_NEAR(*study.rows[3].p_effective, 1.0, 1e-10);
  EXPECT_FALSE(study.rows[3].p_apparent);
  EXPECT_NEAR(*study.order_all, 1.0, 1e-10);
  EXPECT_EQ(study.order_all_meshes, 3u);
  EXPECT_FALSE(study.order_finest);
}

TEST(AnalyseVariable, AnIterationErrorOfOnePercentOfTheErrorGivesNoOrder) {
  std::vector<MeshRow> rows = rows_of({10, 20, 40, 80}, 1.0, [](double h) { return 1.0 - h; });
  rows[0].iteration_estimate = 0.05 * 0.1;    // 5 % of the error 0.1
  rows[1].iteration_estimate = 0.005 * 0.05;  // 0.5 %: close enough
  rows[3].iteration_not_converging = true;    // however small its changes
  rows[3].iteration_estimate = 1e-9;
  const auto study = analyse_variable("u(1/2)", rows, 1.0);
  EXPECT_NEAR(*study.rows[0].iterative_share, 0.05, 1e-12);
  EXPECT_FALSE(study.rows[1].iterative_share || study.rows[1].iteration_not_converging);
  EXPECT_FALSE(study.rows[1].p_effective || study.rows[1].gci);  // it would use N = 10
  EXPECT_NEAR(*study.rows[2].p_effective, 1.0, 1e-10);
  EXPECT_TRUE(study.rows[3].iteration_not_converging);
  EXPECT_FALSE(study.rows[3].p_effective || study.rows[3].p_apparent || study.rows[3].gci);
  EXPECT_EQ(study.order_all_meshes, 2u);
}

}  // namespace
}  // namespace talvenor

#include "solver/calculos.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "solver/solver_test_support.hpp"

namespace talvenor {
namespace {

TEST(ExactSolution, ValuesAndClosedForms) {
  CaseData zero = mesh_case(2, 1, 0, 1.0);
  compute_exact(zero);
  EXPECT_EQ(zero.ua[0], 0.0);
  EXPECT_EQ(zero.ua[2], 1.0);
  EXPECT_DOUBLE_EQ(zero.ua[1], 0.3775406687981455);
  EXPECT_EQ(zero.u_media_a, 0.41802329313067355);
  EXPECT_EQ(zero.inclinacao_a, 1.5819767068693265);

  CaseData line = mesh_case(7, 1, 1, 1.0);
  compute_exact(line);
  EXPECT_EQ(line.ua, line.x);  // bit for bit, x(N) = 1 included

  const double means[] = {1.0 / 3.0, 0.25, 0.2};
  const double halves[] = {0.25, 0.125, 0.0625};
  for (int fonte = 2; fonte <= 4; ++fonte) {
    CaseData data = mesh_case(4, 1, fonte, 1.0);
    compute_exact(data);
    EXPECT_EQ(data.ua[0], 0.0);
    EXPECT_EQ(data.ua[2], halves[fonte - 2]);
    EXPECT_EQ(data.ua[4], 1.0);
    EXPECT_EQ(data.u_media_a, means[fonte - 2]);
    EXPECT_EQ(data.inclinacao_a, fonte);
  }

  CaseData none = mesh_case(4, 1, -1, 1.0);
  compute_exact(none);
  EXPECT_EQ(none.ua, std::vector<double>(5, 0.0));
  EXPECT_EQ(none.u_media_a, 0.0);
  EXPECT_EQ(none.inclinacao_a, 0.0);
}

TEST(VariablesOfInterest, TrapezoidMeanAndOneSidedSlope) {
  CaseData data = mesh_case(10, 1, 1, 1.0);
  data.u = data.x;
  compute_variables(data);
  EXPECT_DOUBLE_EQ(data.u_media_n, 0.5);
  EXPECT_DOUBLE_EQ(data.inclinacao_n, 1.0);

  for (std::size_t i = 0; i < data.u.size(); ++i) data.u[i] = data.x[i] * data.x[i];
  compute_variables(data);
  EXPECT_NEAR(data.inclinacao_n, 2.0, 1e-13);  // exact for a parabola
  EXPECT_NEAR(data.u_media_n, 1.0 / 3.0 + data.h * data.h / 6.0, 1e-15);

  CaseData two = mesh_case(2, 1, 1, 1.0);
  two.u = {0.0, 0.25, 1.0};
  compute_variables(two);
  EXPECT_EQ(two.inclinacao_n, (3.0 * 1.0 - 4.0 * 0.25 + 0.0) / (2.0 * 0.5));
  EXPECT_EQ(two.u_media_n, 0.25 * (0.0 + 2.0 * 0.25 + 1.0));
}

/// The error of each variable of interest on the mesh of N elements, iterated to
/// convergence: u(1/2), mean, slope.
std::vector<double> errors(int esquema, int N) {
  CaseData data = mesh_case(N, esquema, 0, 1.0, 60);
  data.beta = 1.0;
  compute_exact(data);
  run_iterations(data, [](const CaseData&) {});
  return {data.ua[N / 2] - data.u[N / 2], data.u_media_a - data.u_media_n,
          data.inclinacao_a - data.inclinacao_n};
}

TEST(Verification, ErrorsFallAtTheOrderOfEachScheme) {
  struct Scheme {
    int esquema;
    double order;
  };
  for (const Scheme s : {Scheme{1, 1.0}, Scheme{2, 2.0}, Scheme{0, 2.0}}) {
    std::vector<std::vector<double>> by_mesh;
    for (int N = 20; N <= 320; N *= 2) by_mesh.push_back(errors(s.esquema, N));
    const std::vector<double>& coarse = by_mesh[by_mesh.size() - 2];
    const std::vector<double>& fine = by_mesh.back();
    for (std::size_t v = 0; v < 3; ++v) {
      const double observed = std::log(std::fabs(coarse[v]) / std::fabs(fine[v])) / std::log(2.0);
      EXPECT_NEAR(observed, s.order, 0.1) << "esquema " << s.esquema << ", variable " << v;
    }
  }
}

}  // namespace
}  // namespace talvenor

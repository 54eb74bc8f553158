#include "solver/coeficientes.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "input/dados.hpp"
#include "solver/calculos.hpp"
#include "solver/solver_test_support.hpp"

namespace talvenor {
namespace {

TEST(Coefficients, UniformFieldGivesTheTextbookRows) {
  // u = 1, Re = 10, h = 0.1: the cell Reynolds number is 1.
  CaseData upwind = mesh_case(10, 1, 1, 10.0);
  std::fill(upwind.u.begin(), upwind.u.end(), 1.0);
  CaseData central = upwind;
  coefficients_upwind(upwind);
  coefficients_central(central);
  for (int i = 1; i <= 9; ++i) {
    EXPECT_DOUBLE_EQ(upwind.aw[i], 4.0);
    EXPECT_DOUBLE_EQ(upwind.ap[i], 6.0);
    EXPECT_EQ(upwind.ae[i], 2.0);
    EXPECT_DOUBLE_EQ(central.aw[i], 3.0);
    EXPECT_EQ(central.ap[i], 4.0);
    EXPECT_DOUBLE_EQ(central.ae[i], 1.0);
  }
  // Only the interior is written.
  EXPECT_EQ(upwind.ap[0], 0.0);
  EXPECT_EQ(central.aw[10], 0.0);
}

TEST(Coefficients, DeferredCorrectionWithoutWeightIsUpwind) {
  CaseData deferred = mesh_case(16, 0, 3, 7.5);
  deferred.beta = 0.0;
  for (std::size_t i = 0; i < deferred.u.size(); ++i) deferred.u[i] = std::sin(3.0 * i);
  compute_source(deferred);
  CaseData upwind = deferred;
  upwind.esquema = 1;
  compute_source_bp(upwind);
  coefficients_upwind_deferred(deferred);
  coefficients_upwind(upwind);
  EXPECT_EQ(deferred.aw, upwind.aw);
  EXPECT_EQ(deferred.ap, upwind.ap);
  EXPECT_EQ(deferred.ae, upwind.ae);
  EXPECT_EQ(deferred.bp, upwind.bp);
}

TEST(Coefficients, DeferredCorrectionVanishesOnALinearField) {
  CaseData data = mesh_case(8, 0, 2, 3.0);
  data.beta = 1.0;
  data.u = data.x;
  compute_source(data);
  coefficients_upwind_deferred(data);
  for (int i = 1; i <= 7; ++i) EXPECT_NEAR(data.bp[i], 2.0 * data.h * data.h * data.S[i], 1e-15);
}

TEST(Coefficients, OneElementHasNoInteriorRow) {
  CaseData data = mesh_case(1, 0, 1, 1.0);
  for (auto* write : {coefficients_upwind_deferred, coefficients_upwind, coefficients_central}) {
    write(data);
    EXPECT_EQ(data.aw, (std::vector<double>{0, 0}));
    EXPECT_EQ(data.ap, (std::vector<double>{0, 0}));
    EXPECT_EQ(data.ae, (std::vector<double>{0, 0}));
  }
}

TEST(SourceTerm, EndValuesForEachExactSolution) {
  const double e = std::exp(1.0);
  struct Expected {
    int fonte;
    double first, last;
  };
  const double Re = 5.0;
  for (const Expected& c : {Expected{0, -1.0 / (e - 1.0), e * (Re - 1.0) / (e - 1.0)},
                            Expected{1, 0.0, Re}, Expected{2, -2.0, 2.0 * Re - 2.0},
                            Expected{3, 0.0, 3.0 * (Re - 2.0)}, Expected{4, 0.0, 4.0 * (Re - 3.0)}}) {
    CaseData data = mesh_case(10, 1, c.fonte, Re);
    compute_source(data);
    EXPECT_NEAR(data.S[0], c.first, 1e-14) << "fonte " << c.fonte;
    EXPECT_NEAR(data.S[10], c.last, 1e-14) << "fonte " << c.fonte;
  }
  CaseData none = mesh_case(4, 1, 5, Re);
  compute_source_bp(none);
  EXPECT_EQ(none.S, std::vector<double>(5, 0.0));
  EXPECT_EQ(none.bp, std::vector<double>(5, 0.0));
}

TEST(SourceTerm, FixedRightHandSideAndBoundaryRows) {
  CaseData data = mesh_case(4, 1, 2, 3.0);
  compute_exact(data);
  compute_source_bp(data);
  set_boundary_rows(data);
  const double hh = data.h * data.h;
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(data.bp[i], (data.S[i] * hh) * 2.0);
  EXPECT_EQ((std::vector<double>{data.aw[0], data.ap[0], data.ae[0], data.bp[0]}),
            (std::vector<double>{0, 1, 0, 0}));
  EXPECT_EQ((std::vector<double>{data.aw[4], data.ap[4], data.ae[4], data.bp[4]}),
            (std::vector<double>{0, 1, 0, 1}));
}

TEST(SourceTerm, ATypedSolutionGivesItsOwnBoundaryValuesAndSource) {
  CaseData data = mesh_case(4, 1, 2, 3.0);
  data.typed = std::make_shared<const Manufactured>(manufacture("x^2 + 1", "--solution"));
  compute_exact(data);
  compute_source_bp(data);
  set_boundary_rows(data);
  EXPECT_EQ(data.bp[0], 1.0);
  EXPECT_EQ(data.bp[4], 2.0);
  EXPECT_EQ(data.ua[2], 1.25);
  EXPECT_EQ(data.S[2], 3.0 * 1.25 * 1.0 - 2.0);
  EXPECT_DOUBLE_EQ(data.u_media_a, 4.0 / 3.0);
  EXPECT_EQ(data.inclinacao_a, 2.0);
}

}  // namespace
}  // namespace talvenor

#include "solver/newton.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "solver/solver_test_support.hpp"
#include "system/error.hpp"
#include "system/fp_faults.hpp"

namespace talvenor {
namespace {

CaseData exact_case(int N, int esquema, int fonte, double Re, int itmax, double beta = 1.0) {
  CaseData data = mesh_case(N, esquema, fonte, Re, itmax);
  data.beta = beta;
  clear_fp_faults();
  compute_exact(data);
  return data;
}

TEST(Newton, SolvesTheEquationsSuccessiveSubstitutionConvergesTo) {
  for (int esquema = 0; esquema <= 2; ++esquema) {
    CaseData picard = exact_case(40, esquema, 0, 1.0, 200, 0.5);
    run_iterations(picard, [](const CaseData&) {});
    CaseData newton = exact_case(40, esquema, 0, 1.0, 200, 0.5);
    const NewtonResult result = solve_newton(newton);
    EXPECT_NE(result.stop, NewtonStop::iteration_cap) << "esquema " << esquema;
    for (std::size_t i = 0; i < newton.u.size(); ++i) {
      EXPECT_NEAR(newton.u[i], picard.u[i], 1e-12 * std::fabs(picard.u[i]))
          << "esquema " << esquema << ", node " << i;
    }
  }
}

TEST(Newton, ConvergesWhereSuccessiveSubstitutionCannotAtTheOrderOfEachScheme) {
  struct Scheme {
    int esquema;
    double order;
  };
  for (const Scheme s : {Scheme{1, 1.0}, Scheme{2, 2.0}, Scheme{0, 2.0}}) {
    std::vector<double> errors;
    for (int N = 20; N <= 320; N *= 2) {
      CaseData data = exact_case(N, s.esquema, 0, 20.0, 100);
      std::vector<double> middles;
      const NewtonResult result =
          solve_newton(data, [&](const CaseData& now) { middles.push_back(now.u[N / 2]); });
      EXPECT_NE(result.stop, NewtonStop::iteration_cap);
      EXPECT_LE(result.iterations, 10) << "esquema " << s.esquema << ", N " << N;
      EXPECT_LT(result.last_update, 1e-13) << "esquema " << s.esquema << ", N " << N;
      EXPECT_EQ(middles.size(), static_cast<std::size_t>(result.iterations));
      errors.push_back(data.ua[N / 2] - data.u[N / 2]);
    }
    const double observed =
        std::log(std::fabs(errors[errors.size() - 2]) / std::fabs(errors.back())) / std::log(2.0);
    EXPECT_NEAR(observed, s.order, 0.05) << "esquema " << s.esquema;
  }
}

TEST(Newton, ASingularJacobianStopsItNamingTheIteration) {
  // N = 2, central, h Re = -4: the one interior row has ap = 4 + h Re (u(2) - u(0)) = 0.
  CaseData data = exact_case(2, 2, 0, -8.0, 50);
  int observed = 0;
  try {
    solve_newton(data, [&](const CaseData&) { ++observed; });
    FAIL() << "the iteration did not stop";
  } catch (const Error& error) {
    EXPECT_EQ(error.kind(), Error::Kind::arithmetic);
    const std::string message = error.what();
    EXPECT_NE(message.find("division by zero"), std::string::npos) << message;
    EXPECT_NE(message.find("in iteration 1 (tdma)"), std::string::npos) << message;
  }
  clear_fp_faults();
  EXPECT_EQ(observed, 0);
}

}  // namespace
}  // namespace talvenor

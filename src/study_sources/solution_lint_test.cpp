#include "study_sources/solution_lint.hpp"

#include <gtest/gtest.h>

#include <memory>

namespace talvenor {
namespace {

CaseData typed_case(std::string_view formula, std::int32_t esquema, double Re) {
  CaseData data;
  data.esquema = esquema;
  data.Re = Re;
  data.typed =
      std::make_shared<const Manufactured>(manufacture(solution_formula(formula), "--solution"));
  return data;
}

TEST(SolutionLint, EachWarningOnceWhereItApplies) {
  const struct {
    const char* formula;
    std::int32_t esquema;
    double Re;
    std::vector<std::string> lines;
  } cases[] = {
      {"smooth", 0, 10.0, {}},
      {"x^2+3*x", 2, 1.0,
       {"u = x^2+3*x, Re = 1: central differences reproduce it (u''' = 0), so a verdict 'exact' "
        "says nothing about the order; choose a u with u''' nonzero"}},
      {"sin(3*pi*x/2)", 2, 1.0, {}},
      {"sin(3*pi*x/2)", 1, 1.0,
       {"u = sin(3*pi*x/2), Re = 1: u < 0 at x = 0.6875, where esquema 1 takes the backward "
        "difference all the same: downwind there"}},
      {"layer", 2, 200.0,
       {"u = (exp(Re*(x-1)) - exp(-Re))/(1 - exp(-Re)), Re = 200: the finest mesh's cell "
        "Reynolds number |Re u h| reaches 12.5 at x = 1 (2 or more): the orders may wait for a "
        "finer mesh, which 'refine' names"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(solution_lint(typed_case(c.formula, c.esquema, c.Re), 16), c.lines) << c.formula;
  }
  EXPECT_TRUE(solution_lint(CaseData{}, 16).empty());
}

}  // namespace
}  // namespace talvenor

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "expression/manufactured.hpp"
#include "system/error.hpp"

namespace talvenor {
namespace {

double value_of(std::string_view text, double x = 0.5, double Re = 20.0) {
  return jet_at(manufacture(text, "--solution"), x, Re).u;
}

std::string error_of(std::string_view text) {
  try {
    manufacture(text, "--solution");
  } catch (const Error& error) {
    EXPECT_EQ(error.kind(), Error::Kind::usage);
    return error.what();
  }
  return "no error";
}

TEST(Expression, PrecedenceAndAssociativityAreTheUsualOnes) {
  const struct {
    const char* text;
    double value;
  } cases[] = {
      {"2^3^2", 512.0},
      {"-2^2", -4.0},
      {"2^-1", 0.5},
      {"1-2-3", -4.0},
      {"8/4/2", 1.0},
      {"2*3+4", 10.0},
      {"(1+2)*3", 9.0},
      {"-x*4", -2.0},
      {"1e-3*1E+3", 1.0},
      {".5+2.5e1", 25.5},
      {"pi", std::numbers::pi},
      {"e", std::numbers::e},
      {"Re/4", 5.0},
      {"--x", 0.5},
      {" 2 * ( x + 1 ) ", 3.0},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(value_of(c.text), c.value) << c.text;
}

TEST(Expression, DerivativesAreExact) {
  const double x = 0.3;
  const double s = std::sqrt(std::numbers::pi);
  const double t = std::tan(x);
  const double th = std::tanh(x);
  const double xx = std::pow(x, x);
  const struct {
    const char* text;
    double du, d2u;
  } cases[] = {
      {"sin(x)", std::cos(x), -std::sin(x)},
      {"cos(x)", -std::sin(x), -std::cos(x)},
      {"tan(x)", 1 + t * t, 2 * t * (1 + t * t)},
      {"exp(2*x)", 2 * std::exp(2 * x), 4 * std::exp(2 * x)},
      {"log(x)", 1 / x, -1 / (x * x)},
      {"sqrt(x)", 0.5 / std::sqrt(x), -0.25 / (x * std::sqrt(x))},
      {"sinh(x)", std::cosh(x), std::sinh(x)},
      {"cosh(x)", std::sinh(x), std::cosh(x)},
      {"tanh(x)", 1 - th * th, -2 * th * (1 - th * th)},
      {"atan(x)", 1 / (1 + x * x), -2 * x / ((1 + x * x) * (1 + x * x))},
      {"erf(x)", 2 / s * std::exp(-x * x), -4 * x / s * std::exp(-x * x)},
      {"abs(x-1)", -1.0, 0.0},
      {"x^x", xx * (std::log(x) + 1), xx * (std::log(x) + 1) * (std::log(x) + 1) + xx / x},
      {"2^x", std::exp2(x) * std::log(2.0), std::exp2(x) * std::log(2.0) * std::log(2.0)},
      {"x/(1+x)", 1 / ((1 + x) * (1 + x)), -2 / ((1 + x) * (1 + x) * (1 + x))},
      {"x^4-3*x", 4 * x * x * x - 3, 12 * x * x},
  };
  for (const auto& c : cases) {
    const Jet j = jet_at(manufacture(c.text, "--solution"), x, 1.0);
    EXPECT_NEAR(j.du, c.du, 1e-14 * std::fabs(c.du)) << c.text;
    EXPECT_NEAR(j.d2u, c.d2u, 1e-14 * std::fabs(c.d2u) + 1e-15) << c.text;
  }
}

TEST(Expression, DerivativesAreSimplifiedAsTheyAreBuilt) {
  const struct {
    const char* text;
    const char* du;
    const char* d2u;
  } cases[] = {
      {"x^2", "2.0*x", "2.0"},
      {"x^3", "3.0*pow(x, 2.0)", "3.0*(2.0*x)"},
      {"sin(2*x)", "cos(2.0*x)*2.0", "-sin(2.0*x)*2.0*2.0"},
      {"Re*x + 7", "Re", "0.0"},
      {"-x^2", "-2.0*x", "-2.0"},
      {"exp(-x/2)", "exp(-x/2.0)*(-0.5)", "exp(-x/2.0)*(-0.5)*(-0.5)"},
  };
  for (const auto& c : cases) {
    const Manufactured m = manufacture(c.text, "--solution");
    EXPECT_EQ(print_expression(m.du, Language::c, kSolutionNames), c.du) << c.text;
    EXPECT_EQ(print_expression(m.d2u, Language::c, kSolutionNames), c.d2u) << c.text;
  }
}

TEST(Expression, ErrorsNameThePlaceAndWhatIsKnown) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"", "--solution: the expression is empty at character 1:\n  \n  ^"},
      {"x^^2", "--solution: a number, a name or ( is expected at character 3:\n  x^^2\n    ^"},
      {"sin(x", "--solution: a ) is missing at character 6:\n  sin(x\n       ^"},
      {"x)", "--solution: this ) has no ( at character 2:\n  x)\n   ^"},
      {"2x", "--solution: an operator is expected at character 2:\n  2x\n   ^"},
      {"1e999",
       "--solution: this number is out of the range of double precision at character "
       "1:\n  1e999\n  ^"},
      {"y+1",
       "--solution: 'y' is not a known name; the names are x, Re, pi, e at character "
       "1:\n  y+1\n  ^"},
      {"x*sine(x)",
       "--solution: 'sine' is not a known function; the functions are sin, cos, "
       "tan, exp, log, sqrt, sinh, cosh, tanh, atan, erf, abs at character 3:\n"
       "  x*sine(x)\n    ^"},
      {"sin", "--solution: sin is a function: write sin(...) at character 1:\n  sin\n  ^"},
      {"x # 1", "--solution: an operator is expected at character 3:\n  x # 1\n    ^"},
      {".", "--solution: a digit is missing at character 1:\n  .\n  ^"},
  };
  for (const auto& c : cases) EXPECT_EQ(error_of(c.text), c.message) << c.text;
}

TEST(Expression, AnyDepthOrLengthEndsInTheDepthMessage) {
  const std::string deep[] = {
      std::string(100000, '(') + "x" + std::string(100000, ')'),
      std::string(100000, '-') + "x",
      [] {
        std::string sum = "x";
        for (int k = 0; k < 5000; ++k) sum += "+x";
        return sum;
      }(),
      [] {
        std::string tower = "x";
        for (int k = 0; k < 5000; ++k) tower += "^x";
        return tower;
      }(),
  };
  for (const std::string& text : deep) {
    const std::string message = error_of(text);
    EXPECT_NE(message.find("nests deeper than 100 levels"), std::string::npos)
        << message.substr(0, 80);
  }
}

TEST(Expression, NonFiniteValuesNameTheirPlace) {
  const Manufactured m = manufacture("sqrt(x)", "--solution");
  try {
    jet_at(m, 0.0, 10.0);
    FAIL();
  } catch (const Error& error) {
    EXPECT_EQ(error.kind(), Error::Kind::case_file);
    EXPECT_STREQ(error.what(),
                 "u = sqrt(x): u' is not finite at x = 0 (Re = 10); choose a solution defined on "
                 "all of [0, 1]");
  }
}

TEST(Expression, MeansAreWithinAFewUlps) {
  const double e = std::numbers::e;
  const double Re = 1000.0;
  const struct {
    const char* text;
    double mean;
    double tolerance;
  } cases[] = {
      {"x", 0.5, 2e-16},
      {"x^20", 1.0 / 21.0, 4e-16},
      {"(e^x-1)/(e-1)", (e - 2.0) / (e - 1.0), 4e-16},
      {"sin(pi*x)", 2.0 / std::numbers::pi, 4e-16},
      // A layer of 1/Re at x = 1: u's own rounding there (x - 1 times Re) is ~1e-14.
      {"exp(Re*(x-1))", (1.0 - std::exp(-Re)) / Re, 2e-14},
  };
  for (const auto& c : cases) {
    const double mean = mean_over_unit_interval(manufacture(c.text, "--solution"), Re);
    EXPECT_NEAR(mean, c.mean, c.tolerance * c.mean) << c.text;
  }
}

TEST(Expression, SourceCodeIsReadyToPaste) {
  const Manufactured m = manufacture("x^2", "--solution");
  const Expr burgers = parse_expression("Re*u*u_x - u_xx", "--operator", kOperatorNames);
  EXPECT_EQ(source_code(m, burgers, Language::c),
            "#include <math.h>\n\n"
            "double exact_u(double x, double Re)\n{\n  return pow(x, 2.0);\n}\n\n"
            "double exact_du(double x, double Re)\n{\n  return 2.0*x;\n}\n\n"
            "double source(double x, double Re)\n{\n  return Re*pow(x, 2.0)*(2.0*x) - 2.0;\n}\n");
}

TEST(Expression, PrintingKeepsTheOrderOfEvaluation) {
  const Expr e = parse_expression("-x^-2*(Re-1)/(x+(Re+1))", "w", kSolutionNames);
  const struct {
    Language language;
    const char* text;
  } cases[] = {
      {Language::c, "-pow(x, -2.0)*(Re - 1.0)/(x + (Re + 1.0))"},
      {Language::fortran, "-x**(-2.0d0)*(Re - 1.0d0)/(x + (Re + 1.0d0))"},
      {Language::python, "-x**(-2.0)*(Re - 1.0)/(x + (Re + 1.0))"},
      {Language::latex,
       "\\frac{-x^{-2} \\cdot \\left(\\mathrm{Re} - 1\\right)}{x + \\left(\\mathrm{Re} + "
       "1\\right)}"},
  };
  for (const auto& c : cases) EXPECT_EQ(print_expression(e, c.language, kSolutionNames), c.text);
}

}  // namespace
}  // namespace talvenor

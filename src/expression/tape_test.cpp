#include "expression/tape.hpp"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "expression/manufactured.hpp"
#include "system/error.hpp"

namespace talvenor {
namespace {

/// Points of [-0.25, 1.25] over three blocks, the last one part full: 0, 1 and the
/// places where a function of the table below is not finite among them.
std::vector<double> points() {
  std::vector<double> x;
  for (int i = 0; i <= 150; ++i) x.push_back(-0.25 + i * 0.01);
  return x;
}

/// Bit for bit, any NaN matching any NaN.
bool same(double a, double b) {
  return (std::isnan(a) && std::isnan(b)) ||
         std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

/// A sum of many terms, balanced so that it stays within the depth limit: registers
/// come free and are used again many times over.
std::string long_sum() {
  std::vector<std::string> terms;
  const char* functions[] = {"sin", "cos", "exp", "atan", "erf", "tanh", "sqrt", "cosh"};
  for (int k = 0; k < 256; ++k) {
    terms.push_back(std::string(functions[k % 8]) + "(" + std::to_string(k % 5 + 1) + "*x)");
  }
  while (terms.size() > 1) {
    std::vector<std::string> pairs;
    for (std::size_t k = 0; k < terms.size(); k += 2) {
      pairs.push_back("(" + terms[k] + (k % 4 == 0 ? "+" : "*") + terms[k + 1] + ")");
    }
    terms = pairs;
  }
  return terms[0];
}

TEST(Tape, GivesTheTreeWalksBitsAtEveryPoint) {
  const std::string texts[] = {
      "(e^x-1)/(e-1)",
      "x",
      "Re*3 + 7",
      "sin(pi*x/2) + x*(1-x)*exp(x)/4",
      "(exp(Re*(x-1)) - exp(-Re))/(1 - exp(-Re))",
      "(1 + tanh(Re/10*(x - 0.5)))/2",
      "x^x + 2^x + x^3 - x^-2 + e^(x*x) + e^2",
      "tan(x)*log(x)/sqrt(x) + abs(x - 0.5)^3 + erf(Re*x)*atan(x)",
      "sinh(x)/cosh(x) - -x + (-x)*(-Re)",
      "1/(x - 0.5) + log(1 - x)",
      long_sum(),
  };
  const std::vector<double> x = points();
  for (const double Re : {1.0, 37.5}) {
    const std::array<double, 2> values = {0.0, Re};
    for (const std::string& text : texts) {
      const Manufactured m = manufacture(text, "--solution");
      const std::array<const Node*, 3> trees = {m.u.get(), m.du.get(), m.d2u.get()};
      Tape::Run run(m.tape, values, trees.size());
      for (std::size_t first = 0; first < x.size(); first += Tape::kBlock) {
        const auto block = std::span(x).subspan(first, std::min(Tape::kBlock, x.size() - first));
        run.at(block);
        for (std::size_t k = 0; k < block.size(); ++k) {
          for (std::size_t r = 0; r < trees.size(); ++r) {
            const double tree = evaluate(*trees[r], std::array{block[k], Re});
            ASSERT_TRUE(same(run.root(r)[k], tree))
                << text << ", root " << r << " at x = " << block[k] << ", Re = " << Re << ": "
                << run.root(r)[k] << " against " << tree;
          }
        }
      }
    }
  }
}

TEST(Tape, ComputesEachSubexpressionOncePerPointAndUAlone) {
  const struct {
    const char* text;
    std::size_t u, all;  // point steps of u alone, and of u, u', u''
  } cases[] = {
      // exp(x), - 1, / (e-1); u' adds * log(e) and / (e-1), u'' the same again.
      {"(e^x-1)/(e-1)", 3, 7},
      // u' = exp(x)*exp(x) + exp(x)*exp(x) + exp(x): two new steps, u'' two more.
      {"exp(x)*exp(x) + exp(x)", 3, 7},
      {"Re^2*sqrt(pi)*x", 1, 1},  // Re^2*sqrt(pi) is bound once; u' and u'' free of x
      {"x*Re^2*sqrt(pi)", 2, 2},  // (x*Re^2)*sqrt(pi): the order written is kept
  };
  for (const auto& c : cases) {
    const Manufactured m = manufacture(c.text, "--solution");
    EXPECT_EQ(m.tape.point_steps(1), c.u) << c.text;
    EXPECT_EQ(m.tape.point_steps(3), c.all) << c.text;
  }
  // u alone runs none of the later roots' steps, so raises none of their faults.
  const Manufactured m = manufacture("x + log(x - 2)*0.5*x^2", "--solution");
  const std::array<double, 2> values = {0.0, 1.0};
  const std::array<double, 1> x = {3.0};
  for (const std::size_t roots : {1, 3}) {
    std::feclearexcept(FE_ALL_EXCEPT);
    Tape::Run run(m.tape, values, roots);
    run.at(x);
    EXPECT_EQ(std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW), 0) << roots;
  }
}

TEST(Tape, NodeValuesNameTheFirstNodeWhereOneIsNotFinite) {
  const struct {
    const char* text;
    bool sources;  // burgers_sources, else u_values
    const char* message;
  } cases[] = {
      {"1/(x-1.25)", false, "u = 1/(x-1.25): u is not finite at x = 1.25 (Re = 2)"},
      {"sqrt(x)", false, ""},
      {"sqrt(x)", true, "u = sqrt(x): u' is not finite at x = 0 (Re = 2)"},
      {"abs(x-1)^1.5", true, "u = abs(x-1)^1.5: u' is not finite at x = 1 (Re = 2)"},
      {"x^1.5", true, "u = x^1.5: u'' is not finite at x = 0 (Re = 2)"},
  };
  const std::vector<double> x = points();
  std::vector<double> out(x.size());
  for (const auto& c : cases) {
    const Manufactured m = manufacture(c.text, "--solution");
    const auto nodes = std::span(x).subspan(25);  // from x = 0
    std::string message;
    try {
      if (c.sources) {
        burgers_sources(m, nodes, 2.0, out);
      } else {
        u_values(m, nodes, 2.0, out);
      }
    } catch (const Error& error) {
      EXPECT_EQ(error.kind(), Error::Kind::case_file);
      message = error.what();
    }
    EXPECT_EQ(message.substr(0, message.find(';')), c.message) << c.text;
  }
}

}  // namespace
}  // namespace talvenor

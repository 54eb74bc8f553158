#pragma once

// The manufactured exact solutions (the case's fonte): the one home of each one's
// u(x), its mean over [0, 1], its slope at x = 1 and the source S(x, Re) that makes
// it solve Re u du/dx = d2u/dx2 + S. Every product is formed in the order written:
// the results are those of the listing to the last bit.

#include <array>
#include <cmath>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "expression/manufactured.hpp"

namespace talvenor {

/// One exact solution u(x) on [0, 1] with u(0) = 0 and u(1) = 1.
struct ExactSolution {
  std::string_view formula;  ///< how the solution is written: "x^2"
  double (*u)(double x);
  double (*mean)();   ///< the mean of u over [0, 1]
  double (*slope)();  ///< du/dx at x = 1
  double (*source)(double x, double Re);
};

/// The exact solutions in fonte order: fonte 0 is kExactSolutions[0].
///   fonte 2: u(0.5) -> 0.25, mean -> 1/3, slope -> 2, source(1, 20) -> 38
inline constexpr auto kExactSolutions = std::to_array<ExactSolution>({
    {"(e^x-1)/(e-1)", [](double x) { return (std::exp(x) - 1.0) / (std::exp(1.0) - 1.0); },
     [] {
       const double E = std::exp(1.0);
       return (E - 2.0) / (E - 1.0);
     },
     [] {
       const double E = std::exp(1.0);
       return E / (E - 1.0);
     },
     [](double x, double Re) {
       const double E = std::exp(1.0);
       const double D = (E - 1.0) * (E - 1.0);
       const double ex = std::exp(x);  // one call: the source needs it twice
       const double T = ((ex - 1.0) * Re - E) + 1.0;
       return (ex * T) / D;
     }},
    {"x", [](double x) { return x; }, [] { return 0.5; }, [] { return 1.0; },
     [](double x, double Re) { return x * Re; }},
    {"x^2", [](double x) { return x * x; }, [] { return 1.0 / 3.0; }, [] { return 2.0; },
     [](double x, double Re) { return (((x * x) * x) * Re) * 2.0 - 2.0; }},
    {"x^3", [](double x) { return (x * x) * x; }, [] { return 0.25; }, [] { return 3.0; },
     [](double x, double Re) {
       const double p = x * x;
       const double q = x * p;
       return ((p * q) * Re - x * 2.0) * 3.0;
     }},
    {"x^4", [](double x) { return (x * x) * (x * x); }, [] { return 0.2; }, [] { return 4.0; },
     [](double x, double Re) {
       const double p = x * x;
       const double q = (p * p) * x;
       return ((p * q) * Re - (x * x) * 3.0) * 4.0;
     }},
});

/// The exact solution of a fonte, or nullptr for a value with none.
///   find_exact_solution(2)->formula -> "x^2"; find_exact_solution(5) -> nullptr
inline const ExactSolution* find_exact_solution(std::int32_t fonte) {
  if (fonte < 0 || static_cast<std::size_t>(fonte) >= kExactSolutions.size()) return nullptr;
  return &kExactSolutions[static_cast<std::size_t>(fonte)];
}

/// Calls body(entry) with the index of fonte's exact solution as a compile-time
/// constant (std::integral_constant), so that a loop over the nodes calls its u or
/// source inline; returns false, calling nothing, for a fonte with none.
///   visit_exact_solution(2, [](auto entry) { kExactSolutions[entry.value].u(0.5); }) -> true
template <typename Body>
bool visit_exact_solution(std::int32_t fonte, Body&& body) {
  return [&]<std::size_t... I>(std::index_sequence<I...>) {
    return ((fonte == static_cast<std::int32_t>(I) &&
             (body(std::integral_constant<std::size_t, I>{}), true)) ||
            ...);
  }
  (std::make_index_sequence<kExactSolutions.size()>{});
}

/// The fonte values that name an exact solution, as a message says them: "0 to 4".
std::string exact_solution_values_text();

/// The exact solution of a run as the solver asks for it: one face for an entry of
/// kExactSolutions (the case's fonte) and a solution the user typed (--solution
/// EXPR), which takes fonte's place. A built-in entry keeps its own arithmetic, its
/// loops calling it inline; a typed one is evaluated once per node per mesh, and
/// Error (case_file) names the node where u, u' or u'' is not finite.
///   ExactSolutionView(2, nullptr).mean(20) -> 1/3; with typed "x^2 + 1": u(0) -> 1
class ExactSolutionView {
 public:
  ExactSolutionView(std::int32_t fonte, const Manufactured* typed) : fonte_(fonte), typed_(typed) {}

  /// Whether there is a solution: a typed one, or a fonte with an entry.
  bool exists() const { return typed_ || find_exact_solution(fonte_); }
  /// u at each node of x; the ends take u(0) and u(1), exactly 0 and 1 for a built-in.
  void values(std::span<const double> x, double Re, std::span<double> u) const;
  /// S = Re u u' - u'' at each node of x.
  void sources(std::span<const double> x, double Re, std::span<double> S) const;
  /// The mean over [0, 1]: a built-in's closed form, a typed one's by quadrature.
  double mean(double Re) const;
  /// du/dx at x = 1.
  double slope(double Re) const;

 private:
  std::int32_t fonte_;
  const Manufactured* typed_;
};

}  // namespace talvenor

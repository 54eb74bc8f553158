#pragma once

// What a typed solution cannot show, said before the study runs it (the study still
// runs): one line each.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "record/variaveis.hpp"

namespace talvenor {

/// A solution worth having, by name: --solution layer is the formula below.
struct NamedSolution {
  std::string_view name;
  std::string_view formula;
  std::string_view exercises;  ///< the manual's line
};
inline constexpr NamedSolution kNamedSolutions[] = {
    {"layer", "(exp(Re*(x-1)) - exp(-Re))/(1 - exp(-Re))",
     "a boundary layer of thickness 1/Re at x = 1: upwind against central once Re h passes 2"},
    {"smooth", "sin(pi*x/2) + x*(1-x)*exp(x)/4",
     "smooth, positive, no derivative identically zero: every term of every scheme's error"},
    {"interior", "(1 + tanh(Re/10*(x - 0.5)))/2",
     "an interior layer of thickness 10/Re at x = 1/2, u(0) and u(1) not 0 and 1"},
};

/// The formula of a named solution, else `text` itself: "layer" -> its formula.
std::string_view solution_formula(std::string_view text);

/// The warnings on `data`'s typed solution for a study whose finest mesh is `finest`:
/// central differences reproduce it (u''' = 0: "exact" says nothing of an order);
/// u < 0 at a node with esquema 0 or 1 (the backward difference is downwind there);
/// the finest mesh's cell Reynolds number |Re u h| at or above 2. Empty for a built-in.
std::vector<std::string> solution_lint(const CaseData& data, std::int32_t finest);

}  // namespace talvenor

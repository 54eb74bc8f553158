#include "study_sources/solution_lint.hpp"

#include <array>
#include <cmath>

#include "textio/shortest_text.hpp"

namespace talvenor {

std::string_view solution_formula(std::string_view text) {
  for (const NamedSolution& named : kNamedSolutions) {
    if (named.name == text) return named.formula;
  }
  return text;
}

std::vector<std::string> solution_lint(const CaseData& data, std::int32_t finest) {
  std::vector<std::string> lines;
  if (!data.typed) return lines;
  const Manufactured& m = *data.typed;
  const std::string head = "u = " + m.formula + ", Re = " + shortest(data.Re) + ": ";
  if (is_number(derivative(m.d2u), 0.0)) {
    lines.push_back(head + "central differences reproduce it (u''' = 0), so a verdict 'exact' "
                           "says nothing about the order; choose a u with u''' nonzero");
  }
  const double h = 1.0 / finest;
  double negative_at = NAN, largest = 0.0, largest_at = 0.0;
  for (std::int32_t i = 0; i <= finest; ++i) {
    const double x = i * h;
    const std::array<double, 2> values = {x, data.Re};
    const double u = evaluate(*m.u, values);
    if (!std::isfinite(u)) continue;  // the run names the node where it stops
    if (u < 0.0 && std::isnan(negative_at)) negative_at = x;
    const double cell = std::fabs(data.Re * u * h);
    if (cell > largest) largest = cell, largest_at = x;
  }
  if (data.esquema <= 1 && !std::isnan(negative_at)) {
    lines.push_back(head + "u < 0 at x = " + shortest(negative_at) + ", where esquema " +
                    std::to_string(data.esquema) +
                    " takes the backward difference all the same: downwind there");
  }
  if (largest >= 2.0) {
    lines.push_back(head + "the finest mesh's cell Reynolds number |Re u h| reaches " +
                    shortest(largest) + " at x = " + shortest(largest_at) +
                    " (2 or more): the orders may wait for a finer mesh, which 'refine' names");
  }
  return lines;
}

}  // namespace talvenor

#include "study_sources/solution_lint.hpp"

#include <algorithm>
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

namespace {

/// What the lint needs of u on a mesh: the first node where u < 0, and the largest
/// cell Reynolds number |Re u h| and its node.
struct MeshScan {
  double negative_at = NAN, largest = 0.0, largest_at = 0.0;
};

/// u at each node of the mesh of `cells` cells, a block of nodes at a time; a node
/// where u is not finite is skipped (the run names the node where it stops).
MeshScan scan_mesh(const Manufactured& m, double Re, std::int32_t cells) {
  const double h = 1.0 / cells;
  const std::array<double, 2> values = {0.0, Re};  // x's place, then Re
  Tape::Run u(m.tape, values, 1);
  std::array<double, Tape::kBlock> x{};
  MeshScan scan;
  for (std::int32_t first = 0; first <= cells; first += static_cast<std::int32_t>(x.size())) {
    const auto n = std::min(x.size(), static_cast<std::size_t>(cells - first) + 1);
    for (std::size_t k = 0; k < n; ++k) x[k] = static_cast<std::int32_t>(first + k) * h;
    u.at(std::span(x).first(n));
    for (std::size_t k = 0; k < n; ++k) {
      const double value = u.root(0)[k];
      if (!std::isfinite(value)) continue;
      if (value < 0.0 && std::isnan(scan.negative_at)) scan.negative_at = x[k];
      const double cell = std::fabs(Re * value * h);
      if (cell > scan.largest) scan.largest = cell, scan.largest_at = x[k];
    }
  }
  return scan;
}

}  // namespace

std::vector<std::string> solution_lint(const CaseData& data, std::int32_t finest) {
  std::vector<std::string> lines;
  if (!data.typed) return lines;
  const Manufactured& m = *data.typed;
  const std::string head = "u = " + m.formula + ", Re = " + shortest(data.Re) + ": ";
  if (is_number(derivative(m.d2u), 0.0)) {
    lines.push_back(head + "central differences reproduce it (u''' = 0), so a verdict 'exact' "
                           "says nothing about the order; choose a u with u''' nonzero");
  }
  const MeshScan scan = scan_mesh(m, data.Re, finest);
  if (data.esquema <= 1 && !std::isnan(scan.negative_at)) {
    lines.push_back(head + "u < 0 at x = " + shortest(scan.negative_at) + ", where esquema " +
                    std::to_string(data.esquema) +
                    " takes the backward difference all the same: downwind there");
  }
  if (scan.largest >= 2.0) {
    lines.push_back(head + "the finest mesh's cell Reynolds number |Re u h| reaches " +
                    shortest(scan.largest) + " at x = " + shortest(scan.largest_at) +
                    " (2 or more): the orders may wait for a finer mesh, which 'refine' names");
  }
  return lines;
}

}  // namespace talvenor

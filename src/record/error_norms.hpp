#pragma once

// The discrete norms of the nodal error of a field, the measures by which code
// verification judges a whole solution rather than a few values of it.

#include <array>
#include <span>
#include <string_view>

#include "record/variaveis.hpp"

namespace talvenor {

/// The names of the norms of the error, the studies that follow the three variables.
inline constexpr std::array<std::string_view, 3> kNormNames = {"L1(e)", "L2(e)", "Linf(e)"};

/// The three norms of e_i = exact_i - numerical_i over nodes 0 to N.
struct ErrorNorms {
  double L1 = 0.0;    ///< h * sum of |e_i|
  double L2 = 0.0;    ///< sqrt(h * sum of e_i^2)
  double Linf = 0.0;  ///< max of |e_i|
};

/// The norms of exact - numerical on the nodes of two fields of the same length, with
/// elements of length h. Each sum runs over the nodes in order; the boundary nodes
/// count as any other (their error is zero in talvenor's fields).
///   error_norms({0, 1, 1}, {0, 0.5, 1.25}, 0.5) -> L1 0.375, L2 sqrt(0.15625), Linf 0.5
ErrorNorms error_norms(std::span<const double> exact, std::span<const double> numerical,
                       double h);

/// error_norms of the field's exact solution ua against its solution u.
ErrorNorms error_norms(const FieldArrays& field, double h);

}  // namespace talvenor

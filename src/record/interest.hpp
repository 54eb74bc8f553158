#pragma once

// The three variables of interest of a field: the value at the middle node, the
// mean over [0, 1] and the slope at x = 1. Every stage that shows, compares or
// studies them takes them from here, in this order.

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "record/variaveis.hpp"

namespace talvenor {

inline constexpr std::size_t kVariableCount = 3;

/// u(1/2), u_media, inclinacao(1), in that order.
using InterestValues = std::array<double, kVariableCount>;

/// How a variable is named: in the listing's report and as the iteration log's column
/// heading (UTF-8 source text, written as Windows-1252), and on the console and in the
/// study's files (ASCII: a console need not speak Windows-1252).
struct VariableName {
  std::u8string_view report;
  std::u8string_view log_heading;
  std::string_view console;
};

inline constexpr std::array<VariableName, kVariableCount> kVariableNames = {{
    {u8"u(1/2)", u8"u(1/2)", "u(1/2)"},
    {u8"u_média", u8"u_média", "u_media"},
    {u8"inclinacao(1)", u8"Inclinação", "inclinacao(1)"},
}};

/// The middle node: N / 2, the remainder dropped (no interpolation).
///   middle_node(21) -> 10
inline std::size_t middle_node(std::int32_t N) {
  return static_cast<std::size_t>(N / 2);
}

/// The variables of the field `u` on nodes 0 to N (N = u.size() - 1, at least 2) with
/// elements of length h: u(N/2); the mean by the trapezoidal rule, (sum of u(i) +
/// u(i-1) over the elements, times h) / 2; the slope at x = 1 by the three-point
/// one-sided difference (3 u(N) - 4 u(N-1) + u(N-2)) / 2h, each summed in that order.
///   field_variables({0, 0.25, 1}, 0.5) -> {0.25, 0.375, 2}
InterestValues field_variables(std::span<const double> u, double h);

/// The numerical variables that `data` holds now: u(N/2), u_media_n, inclinacao_n.
InterestValues numerical_variables(const CaseData& data);

/// The exact variables: ua(N/2), u_media_a, inclinacao_a.
InterestValues exact_variables(const CaseData& data);

}  // namespace talvenor

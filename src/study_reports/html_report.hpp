#pragma once

// The campaign's report for a browser: one self-contained page, its plots drawn by
// the program as inline SVG, no script, style sheet file or network.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "analysis/combination.hpp"
#include "record/solver_method.hpp"

namespace talvenor {

/// The lines of the page: the case, the meshes and the solver; the tally; the verdict
/// matrix, a row per combination and a column per variable, each cell its verdict in
/// words on a colour of its own (readable in black and white), the order and the
/// reason; then per combination a log-log plot of |E| against h for the three
/// variables, flagged points hollow, with a reference slope of the formal order.
/// Well-formed XML as well as HTML.
std::vector<std::string> html_report_records(const CaseData& base,
                                             std::span<const std::int32_t> meshes, Method method,
                                             std::span<const Combination> combinations);

}  // namespace talvenor

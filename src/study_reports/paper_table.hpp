#pragma once

// The study's table for a paper, in Markdown or LaTeX, ready to paste: per variable the
// finest mesh's orders, Richardson value, uncertainties and verdict.

#include <span>
#include <string>
#include <vector>

#include "analysis/combination.hpp"

namespace talvenor {

/// The cells of the table: a heading row, then a row per group and variable: the
/// group's label (when there is more than one group), the
/// variable, the finest mesh's h, the observed order (least squares over the finest
/// three), p_U, the Richardson value, u_gci, u_fs and u_lsq of the finest mesh, and the
/// verdict; an empty cell where a value does not exist.
///   "u(1/2)", "1.5625e-03", "2.000", "2.000", "1.00000e+00", ... "verified"
std::vector<std::vector<std::string>> paper_cells(std::span<const Combination> groups,
                                                  std::span<const std::string> labels);

/// The cells as a Markdown (GitHub) table: "| variable | h | ... |", its rule, a line per
/// row; '|', '\', '*', '_' and '`' escaped with '\'.
std::vector<std::string> markdown_records(const std::vector<std::vector<std::string>>& cells);

/// The cells as a LaTeX tabular (booktabs rules), each special character escaped:
///   "u\_media & 1.5625e-03 & ... \\".
std::vector<std::string> latex_records(const std::vector<std::vector<std::string>>& cells);

}  // namespace talvenor

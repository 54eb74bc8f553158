#pragma once

// The audit of the uncertainty estimators: where the exact error E of every value is
// known, how often each estimator's U covers it (U >= |E|) and by how much (the
// effectivity U / |E|), overall and by scheme and by the finest mesh's cell Reynolds
// number.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/estimators.hpp"
#include "analysis/mesh_study.hpp"

namespace talvenor {

/// One value graded by one estimator.
struct AuditRow {
  Estimator estimator = Estimator::gci;
  std::optional<double> uncertainty;  ///< U; none where the estimator gives no value
  double error = 0.0;                 ///< exact - numerical
  std::string scheme;  ///< the scheme's name, a group of its own; empty: no such group
  /// Re * h of the finest mesh of the value's case; none (no such group) where the
  /// source knows no Reynolds number, as in a data file.
  std::optional<double> cell_reynolds;
  std::string label;                  ///< where the value comes from, for the failing rows
};

/// How one estimator fared on one group of rows.
struct Coverage {
  Estimator estimator = Estimator::gci;
  std::string group;            ///< "all", the scheme's name, "Re*h < 2", "Re*h >= 2"
  std::size_t valued = 0;       ///< rows with a U
  std::size_t covered = 0;      ///< of those, U >= |E|
  /// U / |E| over the valued rows with E nonzero: minimum, median (the mean of the
  /// middle two for an even count) and maximum.
  std::optional<double> effectivity_min;
  std::optional<double> effectivity_median;
  std::optional<double> effectivity_max;

  /// covered / valued in per cent; nothing without valued rows.
  std::optional<double> percent() const;
};

struct Audit {
  /// For each estimator in its order: all, each scheme in the order of first
  /// appearance, Re*h < 2, Re*h >= 2. A group without rows is left out.
  std::vector<Coverage> groups;
  /// The rows with a U that fails to cover |E|, the smallest effectivity first.
  std::vector<AuditRow> failing;
};

/// The values of `studies` as the audit grades them: each value with an exact error,
/// once per estimator, in the group `scheme` (none when empty) and by the cell
/// Reynolds number Re * h of the finest mesh (none without `Re`), labelled
/// "LABEL, VARIABLE, N = 40" ("VARIABLE, h = 0.1" without a label). The norms of the
/// error have no value to grade.
std::vector<AuditRow> audit_rows(std::span<const VariableStudy> studies, const std::string& scheme,
                                 std::optional<double> Re, std::string_view label);

/// The audit of `rows`.
///   U 2, 0.5, none against E 1, -1, 1 for u_gci of scheme "upwind":
///   all: valued 2, covered 1, 50 %, effectivity 0.5 / 1.25 / 2; failing: the second row
Audit audit_estimators(std::span<const AuditRow> rows);

}  // namespace talvenor

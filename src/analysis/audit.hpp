#pragma once

// The audit of the uncertainty estimators: where the exact error E of every value is
// known, how often each estimator's U covers it (U >= |E|), by how much (the
// effectivity U / |E|) and where it gives no value at all. Each value is graded where
// it was computed: by the cell Reynolds number of its own mesh (the finest its
// estimate used) and by its order ratio P = p_apparent / p_formal, the bands in which
// Xing and Stern (2010) grade their factors of safety.

#include <array>
#include <cstddef>
#include <iterator>
#include <limits>
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
  /// Re * h of the value's own mesh, the finest mesh its estimate used; none (no such
  /// group) where the source knows no Reynolds number, as in a data file.
  std::optional<double> cell_reynolds;
  /// P = p_apparent / p_formal of the value's mesh; none without either order.
  std::optional<double> order_ratio;
  bool finest = false;  ///< the finest mesh of its study: the value a user quotes
  std::string label;    ///< where the value comes from, for the failing rows
};

/// A 95 % confidence interval of a proportion, as fractions.
struct Interval {
  double low = 0.0;
  double high = 1.0;
};

/// The Wilson (1927) score interval of `covered` successes in `valued` trials at 95 %
/// confidence (z = 1.959964): the proportions q whose normal test |q - q_hat| <=
/// z sqrt(q (1 - q) / n) does not reject. Unlike q_hat +- z sqrt(q_hat (1 - q_hat) / n)
/// it does not shrink to a point at 0 or n successes.
///   176 of 176 -> [0.97864, 1];  0 of 4 -> [0, 0.48990];  valued 0: nothing
std::optional<Interval> wilson_interval(std::size_t covered, std::size_t valued);

/// How one estimator fared on one group of rows.
struct Coverage {
  Estimator estimator = Estimator::gci;
  std::string group;            ///< "all", "finest mesh", "esquema 1", "Re*h < 2", "1.1 <= P < 2"
  std::size_t valued = 0;       ///< rows with a U
  std::size_t covered = 0;      ///< of those, U >= |E|
  std::size_t abstained = 0;    ///< rows of the group with an exact error and no U
  /// U / |E| over the valued rows with E nonzero: minimum, median (the mean of the
  /// middle two for an even count) and maximum.
  std::optional<double> effectivity_min;
  std::optional<double> effectivity_median;
  std::optional<double> effectivity_max;

  /// covered / valued in per cent; nothing without valued rows.
  std::optional<double> percent() const;
  /// The Wilson interval of covered / valued; nothing without valued rows.
  std::optional<Interval> interval() const { return wilson_interval(covered, valued); }
};

/// A band of the order ratio P: low <= P < high.
struct OrderBand {
  std::string_view name;
  double low;
  double high;
};

/// The open end of the outer bands.
inline constexpr double kUnbounded = std::numeric_limits<double>::infinity();

/// The bands of P, in the order of the audit's groups: P < 0 (the values do not
/// converge), then those of Xing and Stern. A row without P falls in "no P".
inline constexpr OrderBand kOrderBands[] = {
    {"P < 0", -kUnbounded, 0.0}, {"0 <= P < 0.9", 0.0, 0.9}, {"0.9 <= P < 1.1", 0.9, 1.1},
    {"1.1 <= P < 2", 1.1, 2.0},  {"P >= 2", 2.0, kUnbounded},
};

struct Audit {
  /// For each estimator in its order: all, finest mesh, each scheme in the order of
  /// first appearance, Re*h < 2, Re*h >= 2, the bands of P, no P. A group without
  /// rows is left out.
  std::vector<Coverage> groups;
  /// The rows with a U that fails to cover |E|, the smallest effectivity first.
  std::vector<AuditRow> failing;
};

/// Where a sequence of studies comes from, for its audit rows.
struct AuditSource {
  std::string scheme;            ///< a group of its own; empty: none
  std::optional<double> Re;      ///< none: no groups by Re * h
  std::optional<double> formal;  ///< none: every row in "no P"
  std::string label;             ///< prefixed to each row's label
};

/// The values of `studies` as the audit grades them: each value with an exact error,
/// once per estimator, labelled "LABEL, VARIABLE, N = 40" ("VARIABLE, h = 0.1" without
/// a label). The norms of the error have no value to grade.
///   Re 100, formal 1, the row N = 40 with p_apparent 0.5: cell_reynolds 2.5, P 0.5
std::vector<AuditRow> audit_rows(std::span<const VariableStudy> studies, const AuditSource& source);

/// The audit drawn a row at a time, in the order audit_estimators takes them, with
/// the same result to the bit: of each row it keeps only the counts of its groups, its
/// effectivity once per group (8 bytes; the medians need them all), and the row itself
/// where U fails to cover |E|. A million values graded by three estimators take some
/// 50 MB here against 336 MB as rows.
class AuditTally {
 public:
  void add(AuditRow row);
  Audit result() &&;

 private:
  /// The rows of one estimator in one group.
  struct Tally {
    std::size_t members = 0;
    std::size_t valued = 0;
    std::size_t covered = 0;
    std::size_t abstained = 0;
    std::vector<double> effectivities;  ///< U / |E| of the valued rows with E nonzero
  };
  /// The groups that every audit has, one slot each: all, finest mesh, the two bands of
  /// Re*h, the bands of P, no P.
  static constexpr std::size_t kFixedGroups = 5 + std::size(kOrderBands);
  using Tallies = std::array<Tally, kEstimatorCount>;

  static void count(const AuditRow& row, Tally& tally);
  Tallies& scheme_tallies(const std::string& scheme);
  static void add_group(Estimator estimator, std::string_view name, Tally& tally, Audit& audit);

  std::array<Tallies, kFixedGroups> fixed_;
  std::vector<std::string> schemes_;  ///< in the order of first appearance
  std::vector<Tallies> by_scheme_;    ///< one per scheme
  std::vector<AuditRow> failing_;
};

/// The audit of `rows`.
///   U 2, 0.5, none against E 1, -1, 1 for u_gci of scheme "upwind":
///   all: valued 2, covered 1, abstained 1, 50 %, effectivity 0.5 / 1.25 / 2;
///   failing: the second row
Audit audit_estimators(std::span<const AuditRow> rows);

}  // namespace talvenor

#include "analysis/audit.hpp"

#include <algorithm>
#include <cmath>
#include <functional>

#include "textio/shortest_text.hpp"

namespace talvenor {

std::optional<double> Coverage::percent() const {
  if (valued == 0) return {};
  return 100.0 * static_cast<double>(covered) / static_cast<double>(valued);
}

std::optional<Interval> wilson_interval(std::size_t covered, std::size_t valued) {
  if (valued == 0) return {};
  constexpr double z = 1.959963984540054;  // the normal quantile of 0.975
  const double n = static_cast<double>(valued);
  const double q = static_cast<double>(covered) / n;
  const double scale = 1.0 + z * z / n;
  const double centre = (q + z * z / (2.0 * n)) / scale;
  const double half = z / scale * std::sqrt(q * (1.0 - q) / n + z * z / (4.0 * n * n));
  // At 0 or n successes a bound is 0 or 1 exactly, not centre -+ half rounded.
  return Interval{covered == 0 ? 0.0 : centre - half, covered == valued ? 1.0 : centre + half};
}

namespace {

bool covers(const AuditRow& row) {
  return *row.uncertainty >= std::fabs(row.error);
}

double effectivity(const AuditRow& row) {
  return *row.uncertainty / std::fabs(row.error);
}

/// The minimum, median and maximum of `ratios` into `coverage`.
void set_effectivity(std::vector<double>& ratios, Coverage& coverage) {
  if (ratios.empty()) return;
  std::sort(ratios.begin(), ratios.end());
  const std::size_t middle = ratios.size() / 2;
  coverage.effectivity_min = ratios.front();
  coverage.effectivity_max = ratios.back();
  coverage.effectivity_median =
      ratios.size() % 2 == 1 ? ratios[middle] : 0.5 * (ratios[middle - 1] + ratios[middle]);
}

using Member = std::function<bool(const AuditRow&)>;

/// The coverage of `estimator` over the rows that `member` admits; nothing when it
/// admits none of the estimator's rows.
std::optional<Coverage> cover(std::span<const AuditRow> rows, Estimator estimator,
                              std::string group, const Member& member) {
  Coverage coverage;
  coverage.estimator = estimator;
  coverage.group = std::move(group);
  bool any = false;
  std::vector<double> ratios;
  for (const AuditRow& row : rows) {
    if (row.estimator != estimator || !member(row)) continue;
    any = true;
    if (!row.uncertainty) {
      ++coverage.abstained;
      continue;
    }
    ++coverage.valued;
    if (covers(row)) ++coverage.covered;
    if (row.error != 0.0) ratios.push_back(effectivity(row));
  }
  if (!any) return {};
  set_effectivity(ratios, coverage);
  return coverage;
}

/// The groups of the audit, each a name and who belongs, in the order of Audit::groups.
std::vector<std::pair<std::string, Member>> groups_of(std::span<const AuditRow> rows) {
  std::vector<std::pair<std::string, Member>> groups = {
      {"all", [](const AuditRow&) { return true; }},
      {"finest mesh", [](const AuditRow& row) { return row.finest; }}};
  std::vector<std::string> schemes;
  for (const AuditRow& row : rows) {
    if (row.scheme.empty() ||
        std::find(schemes.begin(), schemes.end(), row.scheme) != schemes.end()) {
      continue;
    }
    schemes.push_back(row.scheme);
    groups.emplace_back(row.scheme, [scheme = row.scheme](const AuditRow& member) {
      return member.scheme == scheme;
    });
  }
  const std::string resolved = shortest(kResolvedCellReynolds);
  groups.emplace_back("Re*h < " + resolved, [](const AuditRow& row) {
    return row.cell_reynolds && *row.cell_reynolds < kResolvedCellReynolds;
  });
  groups.emplace_back("Re*h >= " + resolved, [](const AuditRow& row) {
    return row.cell_reynolds && *row.cell_reynolds >= kResolvedCellReynolds;
  });
  for (const OrderBand& band : kOrderBands) {
    groups.emplace_back(std::string(band.name), [band](const AuditRow& row) {
      return row.order_ratio && *row.order_ratio >= band.low && *row.order_ratio < band.high;
    });
  }
  groups.emplace_back("no P", [](const AuditRow& row) { return !row.order_ratio; });
  return groups;
}

}  // namespace

std::vector<AuditRow> audit_rows(std::span<const VariableStudy> studies,
                                 const AuditSource& source) {
  std::vector<AuditRow> rows;
  const std::string prefix = source.label + (source.label.empty() ? "" : ", ");
  for (const VariableStudy& study : studies) {
    for (const MeshRow& row : study.rows) {
      if (!row.numerical || !row.error) continue;  // a norm, or no exact value
      AuditRow graded;
      graded.error = *row.error;
      graded.scheme = source.scheme;
      graded.finest = &row == &study.rows.back();
      graded.label = prefix + study.name + ", " + mesh_name(row, study.count);
      if (source.Re) graded.cell_reynolds = *source.Re * row.h;
      if (source.formal && row.p_apparent) graded.order_ratio = *row.p_apparent / *source.formal;
      for (std::size_t e = 0; e < kEstimatorCount; ++e) {
        graded.estimator = static_cast<Estimator>(e);
        graded.uncertainty = row.uncertainty[e];
        rows.push_back(graded);
      }
    }
  }
  return rows;
}

Audit audit_estimators(std::span<const AuditRow> rows) {
  const auto groups = groups_of(rows);
  Audit result;
  for (std::size_t e = 0; e < kEstimatorCount; ++e) {
    for (const auto& [name, member] : groups) {
      if (auto coverage = cover(rows, static_cast<Estimator>(e), name, member)) {
        result.groups.push_back(std::move(*coverage));
      }
    }
  }
  for (const AuditRow& row : rows) {
    if (row.uncertainty && !covers(row)) result.failing.push_back(row);
  }
  std::stable_sort(result.failing.begin(), result.failing.end(),
                   [](const AuditRow& a, const AuditRow& b) { return effectivity(a) < effectivity(b); });
  return result;
}

}  // namespace talvenor

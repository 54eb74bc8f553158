#include "analysis/audit.hpp"

#include <algorithm>
#include <cmath>
#include <functional>

namespace talvenor {

std::optional<double> Coverage::percent() const {
  if (valued == 0) return {};
  return 100.0 * static_cast<double>(covered) / static_cast<double>(valued);
}

namespace {

bool covers(const AuditRow& row) {
  return *row.uncertainty >= std::fabs(row.error);
}

double effectivity(const AuditRow& row) {
  return *row.uncertainty / std::fabs(row.error);
}

/// The coverage of `estimator` over the rows that `member` admits; nothing when it
/// admits none of the estimator's rows.
std::optional<Coverage> cover(std::span<const AuditRow> rows, Estimator estimator,
                              std::string group,
                              const std::function<bool(const AuditRow&)>& member) {
  Coverage coverage;
  coverage.estimator = estimator;
  coverage.group = std::move(group);
  bool any = false;
  std::vector<double> ratios;
  for (const AuditRow& row : rows) {
    if (row.estimator != estimator || !member(row)) continue;
    any = true;
    if (!row.uncertainty) continue;
    ++coverage.valued;
    if (covers(row)) ++coverage.covered;
    if (row.error != 0.0) ratios.push_back(effectivity(row));
  }
  if (!any) return {};
  if (!ratios.empty()) {
    std::sort(ratios.begin(), ratios.end());
    const std::size_t middle = ratios.size() / 2;
    coverage.effectivity_min = ratios.front();
    coverage.effectivity_max = ratios.back();
    coverage.effectivity_median = ratios.size() % 2 == 1
                                      ? ratios[middle]
                                      : 0.5 * (ratios[middle - 1] + ratios[middle]);
  }
  return coverage;
}

}  // namespace

std::vector<AuditRow> audit_rows(std::span<const VariableStudy> studies, const std::string& scheme,
                                 std::optional<double> Re, std::string_view label) {
  std::vector<AuditRow> rows;
  for (const VariableStudy& study : studies) {
    if (study.rows.empty()) continue;
    const std::optional<double> cell_reynolds =
        Re ? std::optional<double>(*Re * study.rows.back().h) : std::nullopt;
    for (const MeshRow& row : study.rows) {
      if (!row.numerical || !row.error) continue;  // a norm, or no exact value
      for (std::size_t e = 0; e < kEstimatorCount; ++e) {
        rows.push_back({static_cast<Estimator>(e), row.uncertainty[e], *row.error, scheme,
                        cell_reynolds,
                        std::string(label) + (label.empty() ? "" : ", ") + study.name + ", " +
                            mesh_name(row, study.count)});
      }
    }
  }
  return rows;
}

Audit audit_estimators(std::span<const AuditRow> rows) {
  std::vector<std::string> schemes;
  for (const AuditRow& row : rows) {
    if (!row.scheme.empty() &&
        std::find(schemes.begin(), schemes.end(), row.scheme) == schemes.end()) {
      schemes.push_back(row.scheme);
    }
  }
  Audit result;
  for (std::size_t e = 0; e < kEstimatorCount; ++e) {
    const auto estimator = static_cast<Estimator>(e);
    const auto add = [&](std::string group, const std::function<bool(const AuditRow&)>& member) {
      if (auto coverage = cover(rows, estimator, std::move(group), member)) {
        result.groups.push_back(std::move(*coverage));
      }
    };
    add("all", [](const AuditRow&) { return true; });
    for (const std::string& scheme : schemes) {
      add(scheme, [&scheme](const AuditRow& row) { return row.scheme == scheme; });
    }
    add("Re*h < 2", [](const AuditRow& row) {
      return row.cell_reynolds && *row.cell_reynolds < kResolvedCellReynolds;
    });
    add("Re*h >= 2", [](const AuditRow& row) {
      return row.cell_reynolds && *row.cell_reynolds >= kResolvedCellReynolds;
    });
  }
  for (const AuditRow& row : rows) {
    if (row.uncertainty && !covers(row)) result.failing.push_back(row);
  }
  std::stable_sort(result.failing.begin(), result.failing.end(),
                   [](const AuditRow& a, const AuditRow& b) { return effectivity(a) < effectivity(b); });
  return result;
}

}  // namespace talvenor

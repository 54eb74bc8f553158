#include "analysis/audit.hpp"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string_view>
#include <utility>

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

/// The slots of AuditTally's fixed groups; the schemes' groups come between the
/// finest mesh and the bands of Re*h.
constexpr std::size_t kAll = 0;
constexpr std::size_t kFinest = 1;
constexpr std::size_t kResolved = 2;
constexpr std::size_t kUnresolved = 3;
constexpr std::size_t kFirstBand = 4;
constexpr std::size_t kNoOrderRatio = kFirstBand + std::size(kOrderBands);

/// The name of the fixed group in `slot`; the bands of Re*h drawn at kResolvedCellReynolds.
std::string fixed_name(std::size_t slot) {
  if (slot == kResolved) return "Re*h < " + shortest(kResolvedCellReynolds);
  if (slot == kUnresolved) return "Re*h >= " + shortest(kResolvedCellReynolds);
  constexpr std::string_view kFirstNames[] = {"all", "finest mesh"};
  if (slot < kResolved) return std::string(kFirstNames[slot]);
  return std::string(slot == kNoOrderRatio ? "no P" : kOrderBands[slot - kFirstBand].name);
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

void AuditTally::count(const AuditRow& row, Tally& tally) {
  ++tally.members;
  if (!row.uncertainty) {
    ++tally.abstained;
    return;
  }
  ++tally.valued;
  if (covers(row)) ++tally.covered;
  if (row.error != 0.0) tally.effectivities.push_back(effectivity(row));
}

AuditTally::Tallies& AuditTally::scheme_tallies(const std::string& scheme) {
  const auto found = std::find(schemes_.begin(), schemes_.end(), scheme);
  if (found != schemes_.end()) return by_scheme_[static_cast<std::size_t>(found - schemes_.begin())];
  schemes_.push_back(scheme);
  return by_scheme_.emplace_back();
}

void AuditTally::add(AuditRow row) {
  const auto e = static_cast<std::size_t>(row.estimator);
  count(row, fixed_[kAll][e]);
  if (row.finest) count(row, fixed_[kFinest][e]);
  if (!row.scheme.empty()) count(row, scheme_tallies(row.scheme)[e]);
  const std::optional<double> re_h = row.cell_reynolds;
  if (re_h && *re_h < kResolvedCellReynolds) count(row, fixed_[kResolved][e]);
  if (re_h && *re_h >= kResolvedCellReynolds) count(row, fixed_[kUnresolved][e]);
  const std::optional<double> P = row.order_ratio;
  for (std::size_t b = 0; b < std::size(kOrderBands); ++b) {
    if (P && *P >= kOrderBands[b].low && *P < kOrderBands[b].high) {
      count(row, fixed_[kFirstBand + b][e]);
    }
  }
  if (!P) count(row, fixed_[kNoOrderRatio][e]);
  if (row.uncertainty && !covers(row)) failing_.push_back(std::move(row));
}

void AuditTally::add_group(Estimator estimator, std::string_view name, Tally& tally,
                           Audit& audit) {
  if (tally.members == 0) return;
  Coverage& coverage = audit.groups.emplace_back();
  coverage.estimator = estimator;
  coverage.group = std::string(name);
  coverage.valued = tally.valued;
  coverage.covered = tally.covered;
  coverage.abstained = tally.abstained;
  set_effectivity(tally.effectivities, coverage);
  std::vector<double>().swap(tally.effectivities);  // let go at once: the next may be large
}

Audit AuditTally::result() && {
  Audit audit;
  for (std::size_t e = 0; e < kEstimatorCount; ++e) {
    const auto estimator = static_cast<Estimator>(e);
    add_group(estimator, fixed_name(kAll), fixed_[kAll][e], audit);
    add_group(estimator, fixed_name(kFinest), fixed_[kFinest][e], audit);
    for (std::size_t s = 0; s < schemes_.size(); ++s) {
      add_group(estimator, schemes_[s], by_scheme_[s][e], audit);
    }
    for (std::size_t slot = kResolved; slot < kFixedGroups; ++slot) {
      add_group(estimator, fixed_name(slot), fixed_[slot][e], audit);
    }
  }
  audit.failing = std::move(failing_);
  std::stable_sort(audit.failing.begin(), audit.failing.end(),
                   [](const AuditRow& a, const AuditRow& b) { return effectivity(a) < effectivity(b); });
  return audit;
}

Audit audit_estimators(std::span<const AuditRow> rows) {
  AuditTally tally;
  for (const AuditRow& row : rows) tally.add(row);
  return std::move(tally).result();
}

}  // namespace talvenor

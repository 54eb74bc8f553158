#include "analysis/verdict.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "analysis/orders.hpp"
#include "textio/number_format.hpp"
#include "textio/shortest_text.hpp"

namespace talvenor {
namespace {

bool iteration_flagged(const MeshRow& row) {
  return row.iteration_not_converging || row.iterative_share.has_value();
}

/// The next two doublings of the finest mesh, as far as a mesh size goes; a mesh
/// counted otherwise than by talvenor's elements is refined as its source can.
std::string doublings(std::int64_t finest, MeshCount count) {
  if (count != MeshCount::elements) return "add finer meshes";
  std::string text;
  std::int64_t N = finest;
  for (int k = 0; k < 2; ++k) {
    N *= 2;
    if (N > std::numeric_limits<std::int32_t>::max()) break;
    text += (text.empty() ? "add N = " : ", ") + std::to_string(N);
  }
  return text.empty() ? "no finer mesh fits a mesh size" : text;
}

/// The advice of a refine verdict: the next two doublings of the finest mesh, or,
/// when that mesh does not resolve the convection (a cell Reynolds number Re h of
/// kResolvedCellReynolds or more), the first doubling that does.
///   N = 80, Re = 1e6 -> "Re*h = 12500 on N = 80: refine to N = 655360, the first
///   doubling with Re*h below 2"
std::string refinement(const MeshRow& fine, MeshCount count, std::optional<double> reynolds) {
  if (!reynolds || count != MeshCount::elements || *reynolds * fine.h < kResolvedCellReynolds) {
    return doublings(fine.N, count);
  }
  const std::string head = "Re*h = " + shortest(*reynolds * fine.h) + " on N = " +
                           std::to_string(fine.N) + ": ";
  for (std::int64_t N = fine.N * 2; N <= std::numeric_limits<std::int32_t>::max(); N *= 2) {
    if (*reynolds / static_cast<double>(N) < kResolvedCellReynolds) {
      return head + "refine to N = " + std::to_string(N) +
             ", the first doubling with Re*h below " + shortest(kResolvedCellReynolds);
    }
  }
  return head + "no doubling with Re*h below " + shortest(kResolvedCellReynolds) +
         " fits a mesh size";
}

}  // namespace

namespace {

/// |after - formal| is kOrderShrink or more below |before - formal|.
bool approaches_by_margin(double before, double after, double formal) {
  return std::fabs(after - formal) <= std::fabs(before - formal) - kOrderShrink;
}

}  // namespace

OrderTrend order_trend(std::span<const double> orders, double ratio, double formal) {
  const std::size_t n = orders.size();
  const double last = orders[n - 1];
  OrderTrend trend{false, false, last, last};
  if (n < 2) return trend;
  const double step = last - orders[n - 2];
  trend.shrinks = approaches_by_margin(orders[n - 2], last, formal);
  if (!trend.shrinks) return trend;
  const double most = std::pow(ratio, -kNextTermGap);
  const double before = n >= 3 ? orders[n - 2] - orders[n - 3] : 0.0;
  const double rho = before != 0.0 ? step / before : 1.0;  // no step before: no ratio
  if (n >= 3 && rho >= 1.0 && approaches_by_margin(orders[n - 3], orders[n - 2], formal)) {
    trend.approaches = true;  // still gathering speed: no limit shows yet
    return trend;
  }
  if (std::fabs(rho) < most) {
    trend.low = trend.high = last + step * rho / (1.0 - rho);
  } else {
    const double behind = last - step * most / (1.0 + most);
    const double ahead = last + step * most / (1.0 - most);
    trend.low = std::min(behind, ahead);
    trend.high = std::max(behind, ahead);
  }
  // From the last order to the limit: the orders pass the formal one on their way.
  const double from = std::min(trend.low, last);
  const double to = std::max(trend.high, last);
  trend.approaches = formal >= from - kOrderTolerance && formal <= to + kOrderTolerance;
  return trend;
}

namespace {

/// The meshes a verdict judges, coarse to fine: the finest three clean ones and the
/// next clean one coarser, when there is one; or the verdict a failed mesh finer than
/// the third of them gives, since it is one the campaign was asked to judge.
struct Judged {
  std::vector<const MeshRow*> rows;
  std::optional<Verdict> decided;
};

Judged judged_meshes(const VariableStudy& study) {
  Judged judged;
  for (auto row = study.rows.rbegin(); row != study.rows.rend() && judged.rows.size() < 4;
       ++row) {
    const bool deciding = judged.rows.size() < 3;
    const std::string mesh = mesh_name(*row, study.count) + ": ";
    if (deciding && diverged(*row)) {
      judged.decided = Verdict{VerdictKind::diverged, {}, mesh + row->fault};
      break;
    }
    if (deciding && iteration_flagged(*row)) {
      judged.decided = Verdict{VerdictKind::not_converged, {}, mesh + notes(*row)};
      break;
    }
    if (clean(*row)) judged.rows.push_back(&*row);
  }
  std::reverse(judged.rows.begin(), judged.rows.end());
  return judged;
}

/// The advice when the coarsest of the three finest meshes, `coarse`, leaves the
/// convection unresolved: the doublings of the finest mesh `fine` up to the first whose
/// coarsest of three (as far below it as `coarse` is below `fine`) resolves it.
///   coarse N = 40, fine N = 160, Re = 1000 -> "add doublings up to N = 2048 and more:
///   there the coarsest of the three finest meshes has Re*h below 2"
std::string resolving_meshes(const MeshRow& coarse, const MeshRow& fine, double reynolds) {
  const double span = fine.h == 0.0 ? 1.0 : coarse.h / fine.h;
  for (std::int64_t N = fine.N * 2; N <= std::numeric_limits<std::int32_t>::max(); N *= 2) {
    if (reynolds * span / static_cast<double>(N) < kResolvedCellReynolds) {
      return "add doublings up to N = " + std::to_string(N) +
             ": there the coarsest of the three finest meshes has Re*h below " +
             shortest(kResolvedCellReynolds);
    }
  }
  return "no doubling resolves the convection within a mesh size";
}

/// "0.94 to 1.11" for a range, "1.00" for a point.
std::string limit_text(const OrderTrend& trend) {
  return trend.low == trend.high ? fixed_text(trend.low, 2)
                                 : fixed_text(trend.low, 2) + " to " + fixed_text(trend.high, 2);
}

/// The verdict on meshes `judged` (three or four, coarse to fine) whose finest three are
/// not verified: refine or failed by order_trend.
Verdict judge_trend(const std::vector<const MeshRow*>& judged, const VariableStudy& study,
                    double formal, std::optional<double> order, std::optional<double> reynolds) {
  std::vector<double> orders;
  std::string shown;
  for (std::size_t k = 1; k < judged.size(); ++k) {
    const MeshRow& coarse = *judged[k - 1];
    const MeshRow& fine = *judged[k];
    orders.push_back(effective_order(*coarse.error, *fine.error, coarse.h, fine.h));
    shown += (shown.empty() ? "effective orders " : ", ") + fixed_text(orders.back(), 2);
  }
  const MeshRow& fine = *judged.back();
  const OrderTrend trend = order_trend(orders, judged[judged.size() - 2]->h / fine.h, formal);
  shown += " on " + mesh_list(judged, study.count);
  const std::string wanted = shortest(formal);
  if (trend.approaches) {
    return {VerdictKind::refine, order,
            shown + " approach " + wanted + "; " + refinement(fine, study.count, reynolds)};
  }
  const MeshRow& coarse = *judged[judged.size() - 3];
  if (reynolds && study.count == MeshCount::elements &&
      *reynolds * coarse.h >= kResolvedCellReynolds) {
    return {VerdictKind::refine, order,
            shown + " not yet judged: Re*h = " + shortest(*reynolds * coarse.h) + " on N = " +
                std::to_string(coarse.N) + " does not resolve the convection; " +
                resolving_meshes(coarse, fine, *reynolds)};
  }
  if (!trend.shrinks) {
    return {VerdictKind::failed, order, shown + " do not approach the formal order " + wanted};
  }
  return {VerdictKind::failed, order,
          shown + " head for " + limit_text(trend) + ", not the formal order " + wanted};
}

}  // namespace

Verdict judge(const VariableStudy& study, double formal, std::optional<double> reynolds) {
  const std::vector<MeshRow>& rows = study.rows;
  const bool all_round_off =
      !rows.empty() && std::all_of(rows.begin(), rows.end(), [](const MeshRow& row) {
        return !diverged(row) && row.round_off;
      });
  if (all_round_off) return {VerdictKind::exact, {}, {}};
  const Judged judged = judged_meshes(study);
  if (judged.decided) return *judged.decided;
  if (judged.rows.size() < 3) {
    return {VerdictKind::failed,
            {},
            "errors at round-off on some meshes only: fewer than three meshes to judge"};
  }
  // The finest three: the verdict's order and the oscillation are theirs.
  const std::vector<const MeshRow*> finest(judged.rows.end() - 3, judged.rows.end());
  const MeshRow& coarse = *finest[0];
  const MeshRow& medium = *finest[1];
  const MeshRow& fine = *finest[2];
  // A norm has no values to go up and down.
  if (fine.numerical && oscillates(*coarse.numerical, *medium.numerical, *fine.numerical)) {
    return {VerdictKind::oscillatory, {},
            "the values on " + mesh_list(finest, study.count) +
                " go up and down, not yet in the asymptotic range; " +
                doublings(fine.N, study.count)};
  }
  const std::array<double, 3> h = {coarse.h, medium.h, fine.h};
  const std::array<double, 3> errors = {*coarse.error, *medium.error, *fine.error};
  const std::optional<double> order = least_squares_order(h, errors);
  if (order && std::fabs(*order - formal) <= kOrderTolerance) {
    return {VerdictKind::verified, order, {}};
  }
  return judge_trend(judged.rows, study, formal, order, reynolds);
}

VerdictOutcome gate_outcome(const std::optional<Verdict>& verdict, Requirement requirement) {
  const VerdictOutcome outcome =
      verdict ? verdict_names(verdict->kind).outcome : VerdictOutcome::open;
  return requirement == Requirement::verified && outcome == VerdictOutcome::open
             ? VerdictOutcome::fail
             : outcome;
}

const VerdictNames& verdict_names(VerdictKind kind) {
  const auto* names = std::find_if(kVerdicts.begin(), kVerdicts.end(),
                                   [&](const VerdictNames& entry) { return entry.kind == kind; });
  return names == kVerdicts.end() ? kVerdicts.front() : *names;
}

std::string_view verdict_name(VerdictKind kind) {
  return verdict_names(kind).name;
}

namespace {

/// Where `kind` stands in kVerdicts: its place in a VerdictCounts.
std::size_t verdict_index(VerdictKind kind) {
  return static_cast<std::size_t>(&verdict_names(kind) - kVerdicts.data());
}

}  // namespace

void count_verdicts(std::span<const Verdict> verdicts, VerdictCounts& counts) {
  for (const Verdict& verdict : verdicts) {
    ++counts[verdict_index(verdict.kind)];
  }
}

std::size_t count_of(const VerdictCounts& counts, VerdictKind kind) {
  return counts[verdict_index(kind)];
}

std::size_t gate_failures(const VerdictCounts& counts, std::size_t cells,
                          Requirement requirement) {
  std::size_t failing = 0;
  std::size_t judged = 0;
  for (std::size_t k = 0; k < kVerdictKinds; ++k) {
    judged += counts[k];
    const std::optional<Verdict> verdict = Verdict{kVerdicts[k].kind, {}, {}};
    if (gate_outcome(verdict, requirement) == VerdictOutcome::fail) failing += counts[k];
  }
  const bool unjudged_fail = gate_outcome(std::nullopt, requirement) == VerdictOutcome::fail;
  return failing + (unjudged_fail ? cells - judged : 0);
}

std::string tally_line(const VerdictCounts& counts) {
  std::string line;
  std::size_t cells = 0;
  for (std::size_t k = 0; k < kVerdictKinds; ++k) {
    cells += counts[k];
    if (!kVerdicts[k].counted && counts[k] == 0) continue;
    if (!line.empty()) line += ", ";
    line += std::to_string(counts[k]) + " " + std::string(kVerdicts[k].name);
  }
  return line + " of " + std::to_string(cells) + " cells";
}

}  // namespace talvenor

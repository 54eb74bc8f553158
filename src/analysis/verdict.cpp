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

Verdict judge(const VariableStudy& study, double formal, std::optional<double> reynolds) {
  const std::vector<MeshRow>& rows = study.rows;
  const bool all_round_off =
      !rows.empty() && std::all_of(rows.begin(), rows.end(), [](const MeshRow& row) {
        return !diverged(row) && row.round_off;
      });
  if (all_round_off) return {VerdictKind::exact, {}, {}};

  // The finest three clean meshes, finest first; a failed mesh finer than the third
  // of them decides the verdict, since it is one the campaign was asked to judge.
  std::vector<const MeshRow*> judged;
  for (auto row = rows.rbegin(); row != rows.rend() && judged.size() < 3; ++row) {
    const std::string mesh = mesh_name(*row, study.count) + ": ";
    if (diverged(*row)) return {VerdictKind::diverged, {}, mesh + row->fault};
    if (iteration_flagged(*row)) return {VerdictKind::not_converged, {}, mesh + notes(*row)};
    if (clean(*row)) judged.push_back(&*row);
  }
  if (judged.size() < 3) {
    return {VerdictKind::failed,
            {},
            "errors at round-off on some meshes only: fewer than three meshes to judge"};
  }
  std::reverse(judged.begin(), judged.end());  // coarse to fine
  const MeshRow& coarse = *judged[0];
  const MeshRow& medium = *judged[1];
  const MeshRow& fine = *judged[2];
  // A norm has no values to go up and down.
  if (fine.numerical && oscillates(*coarse.numerical, *medium.numerical, *fine.numerical)) {
    return {VerdictKind::oscillatory,
            {},
            "the values on " + mesh_list(judged, study.count) +
                " go up and down, not yet in the"
                " asymptotic range; " +
                doublings(fine.N, study.count)};
  }
  const std::array<double, 3> h = {coarse.h, medium.h, fine.h};
  const std::array<double, 3> errors = {*coarse.error, *medium.error, *fine.error};
  const std::optional<double> order = least_squares_order(h, errors);
  if (order && std::fabs(*order - formal) <= kOrderTolerance) {
    return {VerdictKind::verified, order, {}};
  }
  const double p_coarse = effective_order(*coarse.error, *medium.error, coarse.h, medium.h);
  const double p_fine = effective_order(*medium.error, *fine.error, medium.h, fine.h);
  const std::string orders = "effective orders " + fixed_text(p_coarse, 2) + ", " +
                             fixed_text(p_fine, 2) + " on " + mesh_list(judged, study.count);
  if (std::fabs(p_fine - formal) < std::fabs(p_coarse - formal)) {
    return {VerdictKind::refine, order,
            orders + " approach " + shortest(formal) + "; " + refinement(fine, study.count, reynolds)};
  }
  return {VerdictKind::failed, order,
          orders + " do not approach the formal order " + shortest(formal)};
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

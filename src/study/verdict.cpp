#include "study/verdict.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "study/orders.hpp"
#include "study/report.hpp"
#include "textio/number_format.hpp"

namespace talvenor {
namespace {

/// A mesh whose error can be judged: a value, above round-off, iteratively converged.
bool clean(const MeshRow& row) {
  return row.error && !row.round_off && !row.iteration_not_converging && !row.iterative_share;
}

bool iteration_flagged(const MeshRow& row) {
  return row.iteration_not_converging || row.iterative_share.has_value();
}

std::string mesh_list(const std::vector<const MeshRow*>& rows) {
  std::string text;
  for (const MeshRow* row : rows) {
    if (!text.empty()) text += ", ";
    text += std::to_string(row->N);
  }
  return "N = " + text;
}

/// The next two doublings of the finest mesh, as far as a mesh size goes.
std::string doublings(std::int32_t finest) {
  std::string text;
  std::int64_t N = finest;
  for (int k = 0; k < 2; ++k) {
    N *= 2;
    if (N > std::numeric_limits<std::int32_t>::max()) break;
    text += (text.empty() ? "add N = " : ", ") + std::to_string(N);
  }
  return text.empty() ? "no finer mesh fits a mesh size" : text;
}

}  // namespace

Verdict judge(const VariableStudy& study, double formal) {
  const std::vector<MeshRow>& rows = study.rows;
  const bool all_round_off =
      !rows.empty() && std::all_of(rows.begin(), rows.end(), [](const MeshRow& row) {
        return row.numerical && row.round_off;
      });
  if (all_round_off) return {VerdictKind::exact, {}, {}};

  // The finest three clean meshes, finest first; a failed mesh finer than the third
  // of them decides the verdict, since it is one the campaign was asked to judge.
  std::vector<const MeshRow*> judged;
  for (auto row = rows.rbegin(); row != rows.rend() && judged.size() < 3; ++row) {
    const std::string mesh = "N = " + std::to_string(row->N) + ": ";
    if (!row->numerical) return {VerdictKind::diverged, {}, mesh + row->fault};
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
  if (oscillates(*coarse.numerical, *medium.numerical, *fine.numerical)) {
    return {VerdictKind::oscillatory,
            {},
            "the values on " + mesh_list(judged) +
                " go up and down, not yet in the"
                " asymptotic range; " +
                doublings(fine.N)};
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
                             fixed_text(p_fine, 2) + " on " + mesh_list(judged);
  if (std::fabs(p_fine - formal) < std::fabs(p_coarse - formal)) {
    return {VerdictKind::refine, order,
            orders + " approach " + shortest(formal) + "; " + doublings(fine.N)};
  }
  return {VerdictKind::failed, order,
          orders + " do not approach the formal order " + shortest(formal)};
}

std::string_view verdict_name(VerdictKind kind) {
  switch (kind) {
    case VerdictKind::verified:
      return "verified";
    case VerdictKind::exact:
      return "exact";
    case VerdictKind::refine:
      return "refine";
    case VerdictKind::failed:
      return "FAILED";
    case VerdictKind::not_converged:
      return "not converged";
    case VerdictKind::diverged:
      return "diverged";
    case VerdictKind::oscillatory:
      return "oscillatory";
  }
  return "FAILED";
}

}  // namespace talvenor

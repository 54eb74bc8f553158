#pragma once

// talvenor's own meshes as a source of studies: one case run on a mesh, and the
// rows of the analysis that the runs of a case give.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/mesh_study.hpp"
#include "record/error_norms.hpp"
#include "record/interest.hpp"
#include "solver/convergence.hpp"

namespace talvenor {

/// What one mesh gave.
struct MeshRun {
  std::int32_t N = 0;
  double h = 0.0;
  InterestValues exact{};      ///< ua at node N/2, exact mean and slope
  InterestValues numerical{};  ///< of the last iterate
  /// The iteration error of each variable of the last iterate, from the last iterates
  /// (the starting field, the exact solution, counts as the first).
  std::array<IterationError, kVariableCount> iteration{};
  int iterations = 0;                ///< iterations run
  std::optional<std::string> fault;  ///< set when a floating-point fault stopped the mesh
  ErrorNorms norms{};                ///< of the nodal error of the last iterate
  double scale = 0.0;                ///< |ua| at x = 1: the size of the exact field
};

/// Runs `base` (a case as read, before its mesh is prepared) with N replaced: the
/// mesh as the reader builds it (allocate_mesh: its memory is checked by the caller,
/// run_tasks), the exact solution, then the iterations of `method`:
/// successive substitution for exactly itmax iterations, as talvenor runs it, or
/// Newton's method until its update is at round-off, itmax at most. A floating-point
/// fault makes the mesh diverged; any other failure throws.
MeshRun run_mesh(const CaseData& base, std::int32_t N, Method method);

/// Throws Error (case_file) for a case that a study cannot use: an esquema with no
/// entry in kSchemes, a fonte with none in kExactSolutions or an itmax below 1.
void check_study_case(const CaseData& base);

/// The row of variable `v` that `run` gives the analysis: its values, its iteration
/// flags, and round-off by the mesh's floor (at_round_off).
MeshRow mesh_row(const MeshRun& run, std::size_t v);

/// The row of norm `k` (of kNormNames) that `run` gives the analysis: the norm as its
/// error, no exact or numerical value, not converging when the iteration of any
/// variable is not, and round-off by the mesh's floor against the exact field's size.
MeshRow norm_row(const MeshRun& run, std::size_t k);

/// analyse_variable for each of the three variables of `runs`, then for each norm of
/// the error, with the scheme's formal order.
std::vector<VariableStudy> analyse(std::span<const MeshRun> runs, double formal);

}  // namespace talvenor

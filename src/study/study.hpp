#pragma once

// A mesh-refinement study: one case run on several meshes, and what the runs say
// about how each variable of interest converges.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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
};

/// Runs `base` (a case as read, before its mesh is prepared) with N replaced: the
/// mesh as the reader builds it, the exact solution, then the iterations of `method`:
/// successive substitution for exactly itmax iterations, as talvenor runs it, or
/// Newton's method until its update is at round-off, itmax at most. A floating-point
/// fault makes the mesh diverged; any other failure throws.
MeshRun run_mesh(const CaseData& base, std::int32_t N, Method method);

/// Throws Error (case_file) for a case that a study cannot use: an esquema outside
/// 0 to 2, a fonte outside 0 to 4 (no exact solution) or an itmax below 1.
void check_study_case(const CaseData& base);

/// Meshes done so far, and cases whose meshes are all done; called on the thread
/// that runs them.
using Progress = std::function<void(std::size_t meshes_done, std::size_t cases_done)>;

/// One mesh of one case: run_mesh(*base, N, ...).
struct MeshTask {
  const CaseData* base = nullptr;
  std::int32_t N = 0;
};

/// run_mesh for each of `tasks` on `jobs` threads (at most one per task). The tasks of
/// a case are consecutive, with the same `base`; the cases start in their order, and
/// each case's meshes finest first, so that its longest run starts first and a case is
/// done soon after its last mesh starts. The results come in the order of `tasks`,
/// whatever `jobs`. `progress` is called at the start, after completions and at least
/// every quarter second, the last time when every thread has ended. After that, the first
/// failure of the tasks (in their order) is thrown again. An interruption noted
/// meanwhile (defer_interruptions) starts no further mesh: those running finish, and
/// then its Error is thrown, before any failure. Meshes that would not fit
/// in the memory available together with those running beside them stop the runs
/// before any starts (check_meshes_memory).
std::vector<MeshRun> run_tasks(std::span<const MeshTask> tasks, Method method, int jobs,
                               const Progress& progress = {});

/// run_tasks for the case `base` on each of `meshes`.
std::vector<MeshRun> run_meshes(const CaseData& base, std::span<const std::int32_t> meshes,
                                Method method, int jobs, const Progress& progress = {});

/// The order a scheme reaches on a smooth solution: upwind 1, central 2, deferred
/// correction 2 when beta = 1 and 1 otherwise. Used for the GCI of two meshes.
double formal_order(const CaseData& data);

/// One variable on one mesh: the values the mesh gave and what the study derives.
struct MeshRow {
  std::int32_t N = 0;
  double h = 0.0;
  double exact = 0.0;
  std::optional<double> numerical;  ///< none when the mesh diverged
  IterationError iteration;         ///< of the last iterate
  int iterations = 0;               ///< iterations the mesh ran
  std::string fault;                ///< why the mesh diverged

  std::optional<double> error;        ///< exact - numerical
  std::optional<double> p_effective;  ///< against the previous mesh
  std::optional<double> p_apparent;   ///< from this mesh and the two before
  std::optional<double> richardson;   ///< with p_apparent, from this mesh and the one before
  std::optional<double> gci;          ///< of this mesh and the one before
  bool round_off = false;             ///< |error| at round-off level: no order from it
  bool oscillatory = false;           ///< the differences of the three latest meshes change sign
  bool not_converging = false;        ///< p_apparent <= 0: no extrapolation
  /// The iteration's changes do not shrink: the value is no solution of the
  /// discrete equations, and gives no order.
  bool iteration_not_converging = false;
  /// The estimated iteration error / |error|, when it is kIterativeShare or more: the
  /// value is not yet the solution of the discrete equations, and gives no order.
  std::optional<double> iterative_share;
};

/// The iteration error of a value must stay below this share of its error.
inline constexpr double kIterativeShare = 0.01;

/// One variable over all meshes.
struct VariableStudy {
  std::string_view name;
  std::vector<MeshRow> rows;           ///< coarse to fine
  std::optional<double> order_all;     ///< least squares over the meshes with a usable error
  std::size_t order_all_meshes = 0;    ///< how many meshes that fit used
  std::optional<double> order_finest;  ///< least squares over the finest three, all usable
};

/// Fills the derived members of `rows` (values set, coarse to fine) and the
/// least-squares orders. `two_mesh_order` is the order the GCI of the second mesh
/// uses, where no apparent order exists yet.
VariableStudy analyse_variable(std::string_view name, std::vector<MeshRow> rows,
                               double two_mesh_order);

/// analyse_variable for each of the three variables of `runs`.
std::vector<VariableStudy> analyse(std::span<const MeshRun> runs, double two_mesh_order);

}  // namespace talvenor

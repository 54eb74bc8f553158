#pragma once

// The meshes of one or many cases run on threads.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "study_sources/meshes.hpp"

namespace talvenor {

/// Meshes done so far, and cases whose meshes are all done; called on the thread
/// that runs them.
using Progress = std::function<void(std::size_t meshes_done, std::size_t cases_done)>;

/// Called on the thread that ran a case's last mesh, with the case's number (from 0)
/// and its runs in the order of the tasks: the case's own work (its analysis) is
/// done in the pool, beside the other cases' meshes. Not called for a case whose
/// mesh threw; what it throws counts as a failure of that mesh.
using CaseDone = std::function<void(std::size_t case_index, std::span<const MeshRun> runs)>;

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
/// before any starts (check_meshes_memory). `case_done`, when given, is called for each
/// case as soon as its meshes are all done.
std::vector<MeshRun> run_tasks(std::span<const MeshTask> tasks, Method method, int jobs,
                               const Progress& progress = {}, const CaseDone& case_done = {});

/// run_tasks for the case `base` on each of `meshes`.
std::vector<MeshRun> run_meshes(const CaseData& base, std::span<const std::int32_t> meshes,
                                Method method, int jobs, const Progress& progress = {});

}  // namespace talvenor

#pragma once

// A verification campaign: the study of every combination of the swept values of
// esquema, fonte, Re and beta.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "analysis/combination.hpp"
#include "study_sources/tasks.hpp"

namespace talvenor {

/// The values of a campaign (--sweep): each list that is not empty replaces the case's
/// value with each of its values in turn.
struct Sweep {
  std::vector<std::int32_t> esquema;
  std::vector<std::int32_t> fonte;
  std::vector<double> Re;
  std::vector<double> beta;

  bool empty() const { return esquema.empty() && fonte.empty() && Re.empty() && beta.empty(); }
};

/// The cases of a sweep, the cross product of its lists, esquema outermost, then fonte,
/// Re and beta; a value not swept is the case's. beta matters to esquema 0 alone: the
/// other schemes run once, with the case's beta. Each case is checked (check_study_case).
///   esquema 0,1 x beta 0.5,1 -> (0, 0.5), (0, 1), (1, case's beta)
std::vector<CaseData> sweep_cases(const CaseData& base, const Sweep& sweep);

/// Called on the thread that analysed combination number `index` (from 0), with it:
/// what the study does next with one combination (its verdicts, its report rows) is
/// done in the pool too.
using CombinationDone = std::function<void(std::size_t index, Combination& combination)>;

/// The meshes of every case on `jobs` threads (run_tasks: all of them share the
/// threads), each case's study (analyse, with its formal order; no verdicts yet) made
/// on the thread that ran its last mesh, then `done` on that thread when given; in the
/// order of `cases` whatever `jobs`.
std::vector<Combination> run_combinations(std::span<const CaseData> cases,
                                          std::span<const std::int32_t> meshes, Method method,
                                          int jobs, const Progress& progress = {},
                                          const CombinationDone& done = {});

}  // namespace talvenor

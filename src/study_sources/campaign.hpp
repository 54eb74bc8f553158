#pragma once

// A verification campaign: the study of every combination of the swept values of
// esquema, fonte (or the typed solutions that take its place), Re and beta.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "expression/manufactured.hpp"

#include "analysis/combination.hpp"
#include "study_sources/tasks.hpp"

namespace talvenor {

/// The values of a campaign (--sweep, --solution): each list that is not empty replaces
/// the case's value with each of its values in turn; the typed solutions take fonte's
/// place (the two are never both swept).
struct Sweep {
  std::vector<std::int32_t> esquema;
  std::vector<std::int32_t> fonte;
  std::vector<std::shared_ptr<const Manufactured>> solution;  ///< --solution, each once parsed
  std::vector<double> Re;
  std::vector<double> beta;

  /// Whether the values make no campaign: no list swept and at most one solution (one
  /// alone is the study's, in fonte's place).
  bool empty() const {
    return esquema.empty() && fonte.empty() && solution.size() < 2 && Re.empty() && beta.empty();
  }
};

/// The cases of a sweep, the cross product of its lists, esquema outermost, then fonte
/// or the solution, Re and beta; a value not swept is the case's. beta matters to
/// esquema 0 alone: the other schemes run once, with the case's beta. Each case is
/// checked (check_study_case).
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

#pragma once

// One combination of a verification campaign: the case it ran, and each variable's
// study and verdict.

#include <span>
#include <vector>

#include "analysis/mesh_study.hpp"
#include "analysis/verdict.hpp"
#include "record/variaveis.hpp"

namespace talvenor {

/// One combination and what its study found.
struct Combination {
  CaseData case_values;  ///< the case with the combination's values
  double formal = 0.0;  ///< the scheme's formal order
  std::vector<VariableStudy> studies;
  std::vector<Verdict> verdicts;  ///< one per study
};

/// How many cells (combination and variable) have each verdict, in the order of kVerdicts.
inline VerdictCounts tally(std::span<const Combination> combinations) {
  VerdictCounts counts{};
  for (const Combination& combination : combinations) count_verdicts(combination.verdicts, counts);
  return counts;
}

}  // namespace talvenor

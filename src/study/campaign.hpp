#pragma once

// A verification campaign: the study of every combination of the swept values of
// esquema, fonte, Re and beta, and a verdict on each combination and variable.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "study/options.hpp"
#include "study/study.hpp"
#include "study/verdict.hpp"

namespace talvenor {

/// One combination and what its study found.
struct Combination {
  CaseData data;        ///< the case with the combination's values
  double formal = 0.0;  ///< formal_order(data)
  std::vector<VariableStudy> studies;
  std::array<Verdict, kVariableCount> verdicts{};
};

/// The cases of a sweep, the cross product of its lists, esquema outermost, then fonte,
/// Re and beta; a value not swept is the case's. beta matters to esquema 0 alone: the
/// other schemes run once, with the case's beta. Each case is checked (check_study_case).
///   esquema 0,1 x beta 0.5,1 -> (0, 0.5), (0, 1), (1, case's beta)
std::vector<CaseData> sweep_cases(const CaseData& base, const Sweep& sweep);

/// The meshes of every case on `jobs` threads (run_tasks: all of them share the
/// threads), then each case's study and verdicts, in the order of `cases` whatever
/// `jobs`.
std::vector<Combination> run_campaign(std::span<const CaseData> cases,
                                      std::span<const std::int32_t> meshes, Method method, int jobs,
                                      const Progress& progress = {});

/// "32 combinations, each a study on meshes 160, 320, 640; itmax 200, solver newton".
std::string campaign_summary(const CaseData& base, std::span<const std::int32_t> meshes,
                             Method method, std::size_t count);

/// "esquema 0, fonte 2, Re = 20, beta = 0.5"; beta only for esquema 0.
std::string combination_label(const CaseData& data);

/// How many cells (combination and variable) have each verdict, by VerdictKind.
std::array<std::size_t, kVerdictKinds> tally(std::span<const Combination> combinations);

/// "30 verified, 6 exact, 2 refine, 0 FAILED of 40 cells", the other verdicts before
/// "of" when there are any: "..., 0 FAILED, 3 not converged of 40 cells".
std::string tally_line(std::span<const Combination> combinations);

/// The terminal's report: a head naming the case, meshes and solver, one row per
/// combination (esquema, fonte, Re, beta, formal order, then the observed order and
/// verdict of each variable), a line with the reason of each cell that is neither
/// verified nor exact, and the tally line.
std::string campaign_table(const CaseData& base, std::span<const std::int32_t> meshes,
                           Method method, std::span<const Combination> combinations);

/// The CSV records: "esquema,fonte,Re,beta,formal_order," + the study's columns +
/// ",verdict", then a record per combination, variable and mesh; beta is empty where
/// the scheme does not use it.
std::vector<std::string> campaign_csv_records(std::span<const Combination> combinations);

}  // namespace talvenor

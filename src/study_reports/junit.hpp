#pragma once

// The verdicts of a study in the JUnit XML form that CI servers read.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/verdict.hpp"

namespace talvenor {

/// One cell of the report: a variable of a combination, or of a data file.
struct JunitCell {
  std::string name;                ///< "esquema 1, fonte 0, Re = 20: u(1/2)", "drag"
  std::optional<Verdict> verdict;  ///< none when the cell has no verdict
  double formal = 0.0;             ///< the order the verdict judges against
  std::string no_verdict;          ///< why there is none: "no exact values: no error to judge"
};

/// The lines of a JUnit XML file: one testsuite named `suite`, one testcase per cell
/// (classname "talvenor-study"): a verified or exact cell passes; a FAILED one holds
/// a failure whose message gives the observed and formal orders and whose text the
/// reason; any other (refine, not converged, diverged, oscillatory, no verdict) is
/// skipped with its reason, or, when `requirement` is verified, a failure
/// "refine, verified required" with the reason as its text. The suite counts tests, failures, errors (0) and
/// skipped, as the schema CI servers follow asks.
///   a FAILED cell -> <failure message="observed order 3.410, formal order 2"
///                    type="FAILED">effective orders ...</failure>
std::vector<std::string> junit_records(std::string_view suite, std::span<const JunitCell> cells,
                                       Requirement requirement = Requirement::order);

}  // namespace talvenor

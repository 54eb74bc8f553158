#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "expression/expression.hpp"
#include "record/solver_method.hpp"
#include "study_sources/campaign.hpp"

namespace talvenor {

/// The command line of talvenor-study.
struct StudyOptions {
  bool help = false;
  std::vector<std::int32_t> meshes;   ///< empty: the case's N and three doublings
  std::optional<int> jobs;            ///< threads; empty: one per core
  std::optional<std::string> output;  ///< file prefix; empty: caso + "-study", or "study"
  Method solver = Method::newton;     ///< how each mesh's discrete equations are solved
  Sweep sweep;                        ///< empty: one study, no campaign
  std::optional<std::string> data;    ///< --data FILE: a study of the file's numbers
  std::optional<int> dimension;       ///< of a data file's cells: h = cells^(-1/D)
  std::optional<double> formal_order; ///< a data file's verdicts against this order
  std::optional<std::string> junit;   ///< the JUnit XML file of a campaign's or data's verdicts
  std::optional<std::string> source;  ///< --source EXPR: print u's source code, run nothing
  std::optional<Language> language;   ///< of --source
  std::optional<std::string> operator_text;  ///< --operator EXPR in u, u_x, u_xx, x, Re
  std::vector<std::string> solutions;  ///< --solution EXPR (repeatable): u in fonte's place
};

/// Reads the arguments after the program name. Each option takes its value as the
/// next argument or after "=": --meshes 20,40,80 or --meshes=20,40,80. A bad option
/// or value throws Error (usage) with one line naming it:
///   {"--jobs", "0"} -> "--jobs: expected a whole number of at least 1, found '0'"
/// Meshes must be even, at least 2, at least two of them, each finer than the last.
/// --sweep NAME=V1,V2,... (repeatable, each NAME once) takes esquema 0 to 2, fonte 0 to
/// 4, or real numbers for Re and beta, no value twice:
///   {"--sweep", "fonte=1,7"} -> "--sweep fonte: expected 0 to 4, found '7'"
StudyOptions parse_options(std::span<const std::string_view> arguments);

/// What --help prints.
std::string_view help_text();

/// The default meshes of a case whose N is `N`: N, 2N, 4N, 8N. An odd N, or one
/// whose doublings do not fit a mesh size, throws Error (case_file).
std::vector<std::int32_t> default_meshes(std::int32_t N);

}  // namespace talvenor

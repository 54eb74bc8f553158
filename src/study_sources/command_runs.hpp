#pragma once

// A user's own solver as a source of studies: a command run on each mesh, in a
// folder of its own, and what it printed read back as the study's variables.
//
// The command comes from the command line only. Its placeholders are replaced by
// the mesh's and the combination's values ({N}, {h}, {NAME}); nothing read from a
// result is ever run or put into a command.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/mesh_study.hpp"
#include "study_sources/tasks.hpp"

namespace talvenor {

/// One option of the user's own command swept by a campaign: {NAME} takes each value.
struct OwnOption {
  std::string name;
  std::vector<std::string> values;
};

/// The formal order of each combination: `by_value` when the combination's value of
/// option `name` has an entry there, else `all` (none: no verdicts).
struct FormalOrders {
  std::optional<double> all;
  std::string name;
  std::vector<std::pair<std::string, double>> by_value;

  std::optional<double> of(const std::vector<std::pair<std::string, std::string>>& values) const;
};

/// Reads --formal-order: a number for every combination, or NAME=VALUE:P,VALUE:P,...
/// for each value of the swept option NAME. Bad text throws Error (usage):
///   formal_orders("2") -> all 2
///   formal_orders("scheme=upwind:1,central:2") -> upwind 1, central 2, others none
///   formal_orders("scheme=upwind") -> "--formal-order: expected VALUE:ORDER after
///     'scheme=', found 'upwind'"
FormalOrders formal_orders(std::string_view text);

/// What talvenor-study --run asks for.
struct CommandSettings {
  std::string command;               ///< with {N}, {h} and {NAME} to replace
  std::vector<std::int32_t> meshes;  ///< coarse to fine
  std::optional<int> dimension;      ///< meshes count cells in D dimensions: h = N^(-1/D)
  std::filesystem::path runs;        ///< PREFIX-runs: the folder of every run
  std::optional<std::string> result; ///< the file read, in the mesh's folder; none: stdout
  std::optional<double> timeout;     ///< seconds per mesh
  std::vector<double> points;        ///< u at these x becomes a variable ("u(0.5)")
  /// The exact u at each of x into u (as many), called from the threads of the runs at
  /// once; it may throw Error, which ends the study. Empty: none known.
  std::function<void(std::span<const double> x, std::span<double> u)> exact;
  std::vector<OwnOption> sweep;         ///< empty: one study
  FormalOrders formal;
  int jobs = 1;
};

/// One combination of the user's options (a single study: the only one, no values)
/// and what its meshes gave.
struct CommandCombination {
  std::vector<std::pair<std::string, std::string>> values;  ///< NAME, VALUE in sweep order
  std::string label;              ///< "scheme=upwind, grid=stretched"; empty alone
  std::filesystem::path folder;   ///< where its meshes ran
  std::optional<double> formal;
  std::vector<VariableStudy> studies;
  /// The meshes that gave nothing, coarse to fine: "N = 40: status 3: diverged at step 12".
  std::vector<std::string> notes;
};

/// `command` with each {N}, {h} and {NAME} of `values` replaced; any other brace is
/// left as it is (awk '{print $1}' stays). h is written as the shortest decimal that
/// reads back as it:
///   substitute("solve -n {N} -s {scheme}", {{"N", "20"}, {"scheme", "upwind"}})
///     -> "solve -n 20 -s upwind"
std::string substitute(std::string_view command,
                       const std::vector<std::pair<std::string, std::string>>& values);

/// Runs the command on every mesh of every combination, `jobs` at once, each in
/// RUNS/[COMBINATION/]N<N>/ (COMBINATION: "NAME=VALUE,NAME=VALUE" with any character
/// but letters, digits and . _ + - = replaced by _), its standard output in
/// stdout.txt and its error in stderr.txt there. Then each combination's studies: one
/// per variable the results of any combination give (see parse_mesh_result), in the
/// order they first appear. An x,u result gives, with `exact`, the norms L1(e), L2(e)
/// and Linf(e) of the nodal error (trapezoidal weights), and u(P) for each of `points`,
/// read at a node within 1e-9 of P (a mesh with none gets a note for that variable),
/// with `exact` also its exact value. A mesh whose
/// command fails, times out or prints nothing readable is a diverged mesh with a note
/// naming why and the last line of its standard error; the others go on. An
/// interruption ends the running commands and throws its Error.
std::vector<CommandCombination> run_command_study(const CommandSettings& settings,
                                                  const Progress& progress = {});

}  // namespace talvenor

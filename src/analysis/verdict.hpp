#pragma once

// The verdict of a verification campaign on one variable of one case: does the
// error fall at the scheme's formal order?

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "analysis/mesh_study.hpp"

namespace talvenor {

enum class VerdictKind {
  verified,       ///< the observed order is within kOrderTolerance of the formal one
  exact,          ///< the errors are at round-off on every mesh: the scheme reproduces the solution
  refine,         ///< not yet: the effective orders move toward the formal one
  failed,         ///< an order that is wrong, or that moves away from the formal one
  not_converged,  ///< a mesh's iteration had not converged
  diverged,       ///< a mesh diverged
  oscillatory,    ///< the values of the meshes judged go up and down
};

/// What a verdict means for a gate: the order is right, wrong, or not judged yet.
enum class VerdictOutcome { pass, fail, open };

/// Everything a verdict is called and looks like. `counted` verdicts are the four of
/// clean meshes, always in a tally; the others appear there when they occur.
struct VerdictNames {
  VerdictKind kind;
  std::string_view name;        ///< in tables, CSV files and reports: "FAILED"
  std::string_view css_class;   ///< its class in the HTML report
  std::string_view background;  ///< a colour that tells the verdicts apart in grey too
  bool counted;
  VerdictOutcome outcome;
  std::string_view meaning;  ///< what it says, for the help
};

/// The verdicts, in the order tables and tallies list them.
inline constexpr std::array<VerdictNames, 7> kVerdicts = {{
    {VerdictKind::verified, "verified", "verified", "#b9e4b0", true, VerdictOutcome::pass,
     "the observed order is within the tolerance of the formal order"},
    {VerdictKind::exact, "exact", "exact", "#bcd7f5", true, VerdictOutcome::pass,
     "every error at round-off: the scheme reproduces the solution"},
    {VerdictKind::refine, "refine", "refine", "#ffe38f", true, VerdictOutcome::open,
     "the effective orders approach the formal one: the meshes to add are named"},
    {VerdictKind::failed, "FAILED", "failed", "#e8796f", true, VerdictOutcome::fail,
     "an order that is wrong or moves away from the formal one"},
    {VerdictKind::not_converged, "not converged", "not-converged", "#d6d6d6", false,
     VerdictOutcome::open, "a mesh's iterations have not converged (the mesh and note named)"},
    {VerdictKind::diverged, "diverged", "diverged", "#b58fcf", false, VerdictOutcome::open,
     "a mesh diverged (named)"},
    {VerdictKind::oscillatory, "oscillatory", "oscillatory", "#f4c39b", false, VerdictOutcome::open,
     "the differences change sign: no order to judge (the mesh named)"},
}};

inline constexpr std::size_t kVerdictKinds = kVerdicts.size();

/// How far the observed order may be from the formal one for `verified`.
inline constexpr double kOrderTolerance = 0.1;

struct Verdict {
  VerdictKind kind = VerdictKind::failed;
  /// The least-squares order of |E| against h over the meshes judged, when three are clean.
  std::optional<double> order;
  /// Why, in words, for every verdict but verified and exact: "add N = 1280, 2560",
  /// "N = 640: iteration not converging".
  std::string reason;
};

/// The verdict on `study` (its rows analysed, coarse to fine) for a scheme of order
/// `formal`. A clean mesh has a numerical value, an error above round-off, and an
/// iteration that converged (no "iteration ..." note). In this order:
///   - every mesh at round-off: exact;
///   - walking from the finest mesh down to the third clean one: a diverged mesh on the
///     way is diverged, an unconverged iteration is not converged (round-off meshes are
///     passed over: the error is below what the mesh can show);
///   - fewer than three clean meshes: diverged or not converged as above when a mesh
///     says so, else failed (the errors are at round-off on some meshes only);
///   - the three values change direction (oscillates): oscillatory;
///   - the least-squares order of the three within kOrderTolerance of `formal`: verified;
///   - the effective order of the finest pair closer to `formal` than that of the pair
///     before: refine, adding the next two doublings of the finest mesh, or, when the
///     case's Reynolds number `reynolds` is given and the finest mesh's cell Reynolds
///     number Re h is kResolvedCellReynolds or more, naming the first doubling below it
///     (no scheme's order shows before the mesh resolves the convection);
///   - else failed.
///   errors 0.04, 0.02, 0.01 on N = 10, 20, 40, formal 1 -> verified, order 1
///   effective orders 0.5, 0.7 on N = 10, 20, 40, formal 1 -> refine, order 0.6,
///     "effective orders 0.50, 0.70 on N = 10, 20, 40 approach 1; add N = 80, 160"
Verdict judge(const VariableStudy& study, double formal,
              std::optional<double> reynolds = std::nullopt);

/// The names of `kind`: verdict_names(VerdictKind::failed).name -> "FAILED".
const VerdictNames& verdict_names(VerdictKind kind);

/// "verified", "exact", "refine", "FAILED", "not converged", "diverged", "oscillatory".
std::string_view verdict_name(VerdictKind kind);

/// How many of `verdicts` have each kind, in the order of kVerdicts.
using VerdictCounts = std::array<std::size_t, kVerdictKinds>;
void count_verdicts(std::span<const Verdict> verdicts, VerdictCounts& counts);

/// How many of `counts` are of `kind`.
std::size_t count_of(const VerdictCounts& counts, VerdictKind kind);

/// "30 verified, 6 exact, 2 refine, 0 FAILED of 40 cells", the other verdicts before
/// "of" when there are any: "..., 0 FAILED, 3 not converged of 40 cells".
std::string tally_line(const VerdictCounts& counts);

}  // namespace talvenor

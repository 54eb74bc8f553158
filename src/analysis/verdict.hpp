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
     "the effective orders approach the formal one by a margin far above their round-off and"
     " head for it (man talvenor-study gives the rule): the meshes to add are named"},
    {VerdictKind::failed, "FAILED", "failed", "#e8796f", true, VerdictOutcome::fail,
     "an order that is wrong, steady, moving away or heading for another limit"},
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

/// The least amount by which the distance |p - formal| of the effective orders p must
/// shrink from one pair of meshes to the next for them to approach the formal order:
/// far above the round-off of an order (about 3e-16 |f| / (|E| log r), 1e-12 for an
/// error of 1e-4 |f|), far below a real approach (0.15 from 2.41 to 2.26 for
/// f = 1 + h^2 + 10 h^3 on h = 0.1, 0.05, 0.025).
inline constexpr double kOrderShrink = 0.01;

/// How much higher than the leading term of the error its next term is taken to be, at
/// the least: the effective orders then close on their limit by r^(-0.5) or faster per
/// refinement by r (0.71 for r = 2; 0.5 for the usual next term, one order higher).
inline constexpr double kNextTermGap = 0.5;

/// Where the effective orders of a sequence of meshes head, and whether that is the
/// formal order.
struct OrderTrend {
  bool approaches = false;  ///< the distance shrinks and the limit lies within reach
  bool shrinks = false;     ///< the distance to the formal order shrinks by kOrderShrink
  double low = 0.0;         ///< the limit the orders head for: a point (low == high),
  double high = 0.0;        ///<   the range it lies in, or the last order when none shows
};

/// The rule that tells refine from FAILED. `orders` are the effective orders of the
/// meshes judged, coarse to fine (two or three), `ratio` the refinement ratio of the
/// finest pair, `formal` the scheme's order. Model: p_k = L + a rho^k, the next term of
/// the error at least kNextTermGap above the leading one, so |rho| <= m = ratio^-0.5.
///   1. The distance |p - formal| of the last order is kOrderShrink or more below that
///      of the order before; else the orders do not approach (FAILED): steady, at
///      round-off, or moving away.
///   2. With three orders whose steps d1, d2 do not shrink (rho = d2 / d1 >= 1) and
///      whose first step approached by kOrderShrink too, the orders still gather speed
///      toward `formal`, as before a mesh resolves the solution: no limit shows yet, and
///      they approach (refine).
///   3. The limit L: with three orders and |rho| < m, Aitken's delta-squared,
///      L = p3 + d2 rho / (1 - rho); else, from the last step d alone,
///      L in [p + d min(-m / (1 + m), m / (1 - m)), p + d max(...)].
///   4. refine when `formal` lies within kOrderTolerance of the span from the last
///      order to L (to L's range): the orders head for it, or pass it on their way to a
///      limit beside it, which these meshes cannot tell from the formal order; else the
///      orders head for another limit (FAILED).
///   orders 0.5, 0.7, r = 2, formal 1: m = 0.707, L in [0.617, 1.183] -> approaches
///   orders 0.862, 0.936, r = 2, formal 2 (f = 1 + 0.3 h - 0.5 h^2 on h = 0.1, 0.05,
///     0.025): L in [0.905, 1.113] -> heads for another limit
///   orders 1.415, 1.778, 1.900, r = 2, formal 2 (f = 1 + h^2 - 5 h^3): rho = 0.336,
///     L = 1.963 -> approaches
///   orders 1, 1 + 1e-14, formal 2: the distance does not shrink -> does not approach
///   orders 0.05, 0.13, 0.24, formal 1 (upwind, Re h = 3.1): rho = 1.4 -> approaches
///   orders 1.63, 1.81, 1.92, r = 2, formal 2: rho = 0.61, L = 2.09; 2 lies between
///     1.92 and 2.09 -> approaches
OrderTrend order_trend(std::span<const double> orders, double ratio, double formal);

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
///   - the effective orders of the three meshes and of the next clean one coarser, when
///     there is one, approaching `formal` by order_trend: refine, adding the next two
///     doublings of the finest mesh, or, when the case's Reynolds number `reynolds` is
///     given and the finest mesh's cell Reynolds number Re h is kResolvedCellReynolds or
///     more, naming the first doubling below it (no scheme's order shows before the
///     mesh resolves the convection);
///   - with `reynolds` given, the coarsest of the finest three meshes at Re h of
///     kResolvedCellReynolds or more: refine, naming the meshes that resolve it (the
///     orders of meshes that do not resolve the convection say nothing of the scheme);
///   - else failed: the orders do not approach `formal`, or head for another limit.
///   errors 0.04, 0.02, 0.01 on N = 10, 20, 40, formal 1 -> verified, order 1
///   effective orders 0.5, 0.7 on N = 10, 20, 40, formal 1 -> refine, order 0.6,
///     "effective orders 0.50, 0.70 on N = 10, 20, 40 approach 1; add N = 80, 160"
Verdict judge(const VariableStudy& study, double formal,
              std::optional<double> reynolds = std::nullopt);

/// What a gate asks of a cell: by default only a wrong order fails it (refine and the
/// other open verdicts are not judged yet); `verified` asks for a verified or exact
/// verdict, so that every open one, and a cell without a verdict, fails too.
enum class Requirement { order, verified };

/// The outcome of a cell with `verdict` (none: the cell has no verdict) under
/// `requirement`: gate_outcome(refine, order) -> open; (refine, verified) -> fail.
VerdictOutcome gate_outcome(const std::optional<Verdict>& verdict, Requirement requirement);

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

/// How many of `cells` cells, whose verdicts `counts` tallies (a cell without a
/// verdict is in no count), fail the gate of `requirement`:
///   2 verified, 1 refine, 1 without a verdict: order -> 0, verified -> 2
std::size_t gate_failures(const VerdictCounts& counts, std::size_t cells,
                          Requirement requirement);

}  // namespace talvenor

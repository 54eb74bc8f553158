#pragma once

// How far an iteration is from its fixed point: the round-off floor, the one rule
// that judges each solver's iteration, and the iteration-error estimate.
//
// Newton's method is judged by one rule, newton_stopped_shrinking, in both places
// that judge it: solve_newton stops on it (applied to the max-norm of the update),
// and the study judges each variable of the final iterate by it (applied to the
// variable's change). Successive substitution is judged by its own rule in
// iteration_error (a change that shrinks by less than 1 %).

#include <array>
#include <cstdint>
#include <optional>

#include "record/interest.hpp"
#include "record/solver_method.hpp"

namespace talvenor {

/// The round-off floor of a value on a mesh of N elements: a difference below 100 N
/// machine epsilons of `scale` says nothing about the mesh. The factor N is the
/// growth of rounding errors through the N rows of the tridiagonal solve, and through
/// the division by h of the slope: a linear exact solution, which every scheme
/// reproduces, comes back with errors of some N epsilons.
///   at_round_off(1e-13, 0.5, 20) -> true;  at_round_off(1e-11, 0.5, 20) -> false
bool at_round_off(double difference, double scale, std::int32_t N);

/// The same floor for the change of a variable from one iterate to the next, ten
/// times higher: two iterates carry rounding errors of their own solves, smooth
/// functions of x that reach some hundreds of N epsilons on fine meshes (measured:
/// 200 N epsilons for u(1/2) and the slope at N = 10^6), so their difference jitters
/// there however long the iteration runs.
///   change_at_round_off(7.3e-8, 1.58, 1000000) -> true
bool change_at_round_off(double change, double scale, std::int32_t N);

/// How solve_newton stopped.
enum class NewtonStop {
  /// The last update was at most kNewtonRoundOffUlps ulps of max|u|: nothing is
  /// left to correct.
  round_off,
  /// The last update was no smaller than the one before. Newton's method shrinks the
  /// update quadratically until the residual is computed to round-off; from then on
  /// each update is the round-off of F carried through the solve, which does not
  /// shrink, and further iterations only move u within it. That floor grows with
  /// the mesh (the condition of the rows grows like N^2: about 2e-14 at N = 320 and
  /// 6e-9 at N = 10^6, with max|u| = 1), so no fixed tolerance could tell it. A last
  /// update far above round-off stopped here means Newton's method is not
  /// converging from this start.
  stopped_shrinking,
  /// itmax iterations ran without either; also when none could run (itmax below 1,
  /// or an esquema with no scheme).
  iteration_cap,
};

/// The round-off floor of the update, in units of DBL_EPSILON times max|u|.
inline constexpr double kNewtonRoundOffUlps = 4.0;

/// Newton's rule: a change (of the iterate, or of one variable) that is no smaller
/// than the one before has stopped shrinking; with quadratic convergence each change
/// is far smaller than the one before until round-off is reached.
///   newton_stopped_shrinking(2.0e-14, 1.4e-14) -> true
///   newton_stopped_shrinking(1.6e-14, 2.0e-13) -> false
bool newton_stopped_shrinking(double change, double change_before);

/// Whether solve_newton stops after an update of max-norm `update` that leaves
/// max|u| = `field`, the update before it having had max-norm `previous` (infinity
/// after the first): round_off when update <= kNewtonRoundOffUlps DBL_EPSILON field,
/// else stopped_shrinking by newton_stopped_shrinking, else nothing (go on).
///   newton_stop(1e-17, 1e-13, 1.0) -> round_off
///   newton_stop(2.0e-14, 1.4e-14, 1.0) -> stopped_shrinking
///   newton_stop(2.0e-13, 5.8e-7, 1.0) -> nullopt
std::optional<NewtonStop> newton_stop(double update, double previous, double field);

/// The variables of interest of the last three iterates, fed one iterate at a time.
struct LastIterates {
  std::array<InterestValues, 3> values{};  ///< oldest first: [2] is the last iterate
  int count = 0;                           ///< iterates fed so far

  void push(const InterestValues& iterate) {
    values[0] = values[1];
    values[1] = values[2];
    values[2] = iterate;
    ++count;
  }
  const InterestValues& last() const { return values[2]; }
  const InterestValues& previous() const { return values[1]; }
  const InterestValues& older() const { return values[0]; }
};

/// What the last iterates say about one variable.
enum class IterationTrend {
  settled,         ///< the last change is at round-off: the iteration stands still
  contracting,     ///< the changes shrink
  not_contracting  ///< the last change is no smaller than the one before it
};

struct IterationError {
  IterationTrend trend = IterationTrend::settled;
  /// |last iterate - fixed point| estimated; 0 when settled.
  double estimate = 0.0;
};

/// The iteration error of variable `v` of the last iterate of `iterates` (at least two
/// fed), from the last change d = last - previous and the one before it, d0 = previous
/// - older (when there were three iterates):
///   - d at round-off (change_at_round_off against the last value): settled;
///   - Newton's method: not_contracting when newton_stopped_shrinking(|d|, |d0|),
///     the rule it stops on, else contracting; it converges quadratically, so the
///     last change bounds the error either way: estimate |d|;
///   - successive substitution, |d| >= 0.99 |d0| (the iteration moves about as much
///     as before, as in a cycle of two iterates, or more): not_contracting, |d|;
///   - successive substitution contracts linearly with the ratio q = |d| / |d0|, so the
///     steps still to come add up to |d| q / (1 - q); without d0, estimate |d|.
///   successive substitution, values 1.0, 1.1, 1.15 (d0 = 0.1, d = 0.05, q = 0.5) ->
///   contracting, estimate 0.05
IterationError iteration_error(Method method, const LastIterates& iterates, std::size_t v,
                               std::int32_t N);

}  // namespace talvenor

#pragma once

// How far an iteration is from its fixed point: the round-off floor, the
// iteration-error estimate of each solver and talvenor's console warning.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

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
///   - |d| >= 0.99 |d0| (the iteration moves about as much as before, as in a cycle of
///     two iterates, or more): not_contracting, estimate |d|;
///   - Newton's method converges quadratically: the last update bounds the error,
///     estimate |d|;
///   - successive substitution contracts linearly with the ratio q = |d| / |d0|, so the
///     steps still to come add up to |d| q / (1 - q); without d0, estimate |d|.
///   successive substitution, values 1.0, 1.1, 1.15 (d0 = 0.1, d = 0.05, q = 0.5) ->
///   contracting, estimate 0.05
IterationError iteration_error(Method method, const LastIterates& iterates, std::size_t v,
                               std::int32_t N);

/// talvenor's console warning for a successive substitution that still moves, or
/// nothing. A variable has settled when its last change is at most 1e-8 of its last
/// size (at most 1e-8 when that size is below 1), or at round-off level. The warning
/// names the variable that moved most against that bound; when its changes do not
/// shrink, it says that successive substitution is not converging at this Re. With
/// fewer than two iterates there is nothing to compare.
///   iterates 0.5, 0.4, 1.2 then 0.5, 0.41, 1.2 after 50 iterations, N = 20 ->
///   "the iteration has not converged in 50 iterations: u_media changed by
///    1.000E-02 in the last one; the listing shows its last iterate"
std::optional<std::string> convergence_warning(const LastIterates& iterates, std::int32_t N);

}  // namespace talvenor

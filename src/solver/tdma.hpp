#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace talvenor {

/// The work arrays P and Q of tdma for nodes 0 to N, allocated once and reused by
/// every solve of an iteration loop.
class TdmaWorkspace {
 public:
  explicit TdmaWorkspace(std::size_t nodes);
  std::vector<double> P;  ///< ties u(i) to u(i+1)
  std::vector<double> Q;  ///< constant part: u(i) = P(i) u(i+1) + Q(i)
};

/// Solves ap(i) u(i) = aw(i) u(i-1) + ae(i) u(i+1) + bp(i) for i = 0 to N by the
/// tridiagonal matrix algorithm, without pivoting. Reads only its arguments;
/// u's previous contents are not read. u may be bp itself: the forward sweep reads
/// all of bp before the backward sweep writes u. A zero pivot is a floating-point division
/// by zero, left in the status flags for the caller to check.
void tdma(int N, std::span<const double> aw, std::span<const double> ap,
          std::span<const double> ae, std::span<const double> bp, std::span<double> u,
          TdmaWorkspace& work);

}  // namespace talvenor

#include "solver/tdma.hpp"

#include "system/platform.hpp"

namespace talvenor {

TdmaWorkspace::TdmaWorkspace(std::size_t nodes) {
  assign_zeros(P, nodes);
  assign_zeros(Q, nodes);
}

void tdma(int N, std::span<const double> aw, std::span<const double> ap,
          std::span<const double> ae, std::span<const double> bp, std::span<double> u,
          TdmaWorkspace& work) {
  double* const P = work.P.data();
  double* const Q = work.Q.data();
  // Each sweep carries its previous value in a register: read back from the
  // array it was just stored to, it would wait on the store at every node.
  double p = ae[0] / ap[0];
  double q = bp[0] / ap[0];
  P[0] = p;
  Q[0] = q;
  for (int i = 1; i <= N; ++i) {
    const double D = ap[i] - p * aw[i];
    p = ae[i] / D;
    q = (q * aw[i] + bp[i]) / D;
    P[i] = p;
    Q[i] = q;
  }
  double next = q;  // u(N) = Q(N)
  u[N] = next;
  for (int i = N - 1; i >= 0; --i) {
    next = P[i] * next + Q[i];
    u[i] = next;
  }
}

}  // namespace talvenor

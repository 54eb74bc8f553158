#include "solver/solver.hpp"

namespace talvenor {

void tdma(int N, std::span<const double> aw, std::span<const double> ap,
          std::span<const double> ae, std::span<const double> bp, std::span<double> u,
          TdmaWorkspace& work) {
  double* const P = work.P.data();
  double* const Q = work.Q.data();
  P[0] = ae[0] / ap[0];
  Q[0] = bp[0] / ap[0];
  for (int i = 1; i <= N; ++i) {
    const double D = ap[i] - P[i - 1] * aw[i];
    P[i] = ae[i] / D;
    Q[i] = (Q[i - 1] * aw[i] + bp[i]) / D;
  }
  u[N] = Q[N];
  for (int i = N - 1; i >= 0; --i) u[i] = P[i] * u[i + 1] + Q[i];
}

}  // namespace talvenor

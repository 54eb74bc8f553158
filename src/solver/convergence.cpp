#include "solver/convergence.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace talvenor {

InterestValues interest_values(const CaseData& data) {
  return {data.u[static_cast<std::size_t>(data.N / 2)], data.u_media_n, data.inclinacao_n};
}

std::optional<std::string> convergence_warning(const InterestValues& previous,
                                               const InterestValues& last, int iterations) {
  constexpr double kTolerance = 1e-8;
  if (iterations < 2) return std::nullopt;
  struct Variable {
    const char* name;  // ASCII: the console need not speak Windows-1252
    double before;
    double after;
  };
  const std::array<Variable, 3> variables{{
      {"u(1/2)", previous.u_half, last.u_half},
      {"u_media", previous.u_media, last.u_media},
      {"inclinacao(1)", previous.inclinacao, last.inclinacao},
  }};
  const Variable* worst = nullptr;
  double worst_share = kTolerance;  // only a change above the tolerance qualifies
  for (const Variable& variable : variables) {
    const double share =
        std::abs(variable.after - variable.before) / std::max(std::abs(variable.after), 1.0);
    if (share > worst_share) {
      worst = &variable;
      worst_share = share;
    }
  }
  if (worst == nullptr) return std::nullopt;
  char text[200];
  std::snprintf(text, sizeof text,
                "the iteration has not converged in %d iterations: %s changed by %.3e in the "
                "last one; the listing shows its last iterate",
                iterations, worst->name, worst->after - worst->before);
  return std::string(text);
}

}  // namespace talvenor

#include "solver/convergence.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

#include "textio/number_format.hpp"

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
  // The files' scientific form, the same on every system (printf's %e is not).
  char change[10];
  format_scientific(change, worst->after - worst->before, sizeof change, 3);
  const std::string_view field(change, sizeof change);
  return "the iteration has not converged in " + std::to_string(iterations) +
         " iterations: " + worst->name + " changed by " +
         std::string(field.substr(field.find_first_not_of(' '))) +
         " in the last one; the listing shows its last iterate";
}

}  // namespace talvenor

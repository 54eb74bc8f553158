#include "solver/solver.hpp"

namespace talvenor {

void tdma(int, std::span<const double>, std::span<const double>, std::span<const double>,
          std::span<const double>, std::span<double>, TdmaWorkspace&) {}

}  // namespace talvenor

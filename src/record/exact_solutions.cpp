#include "record/exact_solutions.hpp"

namespace talvenor {

std::string exact_solution_values_text() {
  return "0 to " + std::to_string(kExactSolutions.size() - 1);
}

}  // namespace talvenor

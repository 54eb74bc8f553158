#include "solver/calculos.hpp"

namespace talvenor {

void run_calculation(CaseData&) {}
void compute_exact(CaseData&) {}
void iterate(CaseData&) {}
void compute_variables(CaseData&) {}

}  // namespace talvenor

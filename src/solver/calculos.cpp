#include "solver/calculos.hpp"

namespace talvenor {

void run_calculation(CaseData&) {}
void compute_exact(CaseData&) {}
void run_iterations(CaseData&, const IterationObserver&) {}
void iterate(CaseData&, const IterationObserver&) {}
void compute_variables(CaseData&) {}

}  // namespace talvenor

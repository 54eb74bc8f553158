#include "solver/coeficientes.hpp"

namespace talvenor {

void compute_source(CaseData&) {}
void compute_source_bp(CaseData&) {}
void set_boundary_rows(CaseData&) {}
void coefficients_upwind_deferred(CaseData&) {}
void coefficients_upwind(CaseData&) {}
void coefficients_central(CaseData&) {}

}  // namespace talvenor

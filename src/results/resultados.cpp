#include "results/resultados.hpp"

namespace talvenor {

void write_results(const CaseData&, TextFile&) {}
void list_coefficients(const CaseData&, TextFile&) {}
void list_solutions(const CaseData&, TextFile&) {}
void write_plot_files(const CaseData&) {}
void report_variables(const CaseData&, TextFile&) {}

}  // namespace talvenor

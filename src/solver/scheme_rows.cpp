#include "solver/scheme_rows.hpp"

#include "solver/coeficientes.hpp"
#include "solver/newton.hpp"

namespace talvenor {
namespace {

constexpr auto kSchemeRows = std::to_array<SchemeRows>({
    {compute_source, coefficients_upwind_deferred, newton_rows_upwind_deferred},
    {compute_source_bp, coefficients_upwind, newton_rows_upwind},
    {compute_source_bp, coefficients_central, newton_rows_central},
});
static_assert(kSchemeRows.size() == kSchemes.size(), "one entry of rows per scheme");

}  // namespace

const SchemeRows* find_scheme_rows(std::int32_t esquema) {
  if (!find_scheme(esquema)) return nullptr;
  return &kSchemeRows[static_cast<std::size_t>(esquema)];
}

}  // namespace talvenor

#pragma once

// The difference schemes (the case's esquema): the one home of what each scheme is.
// A scheme's rows live with the solver's numerics (solver/scheme_rows.hpp), in an
// entry of the same index.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "record/variaveis.hpp"

namespace talvenor {

/// One difference scheme of the convection term: how it is named, the order at which
/// its discretisation error falls with h, and whether the case's beta changes it.
struct Scheme {
  std::string_view name;
  /// The formal order as a function of beta (ignored where !beta_matters):
  ///   upwind with deferred correction: beta 1 -> 2 (central), any other beta -> 1.
  double (*formal_order)(double beta);
  bool beta_matters;
};

/// The schemes in esquema order: esquema 0 is kSchemes[0].
inline constexpr auto kSchemes = std::to_array<Scheme>({
    {"upwind with deferred correction", [](double beta) { return beta == 1.0 ? 2.0 : 1.0; }, true},
    {"upwind", [](double) { return 1.0; }, false},
    {"central", [](double) { return 2.0; }, false},
});

/// The scheme of an esquema, or nullptr for a value with none.
///   find_scheme(1)->name -> "upwind"; find_scheme(3) -> nullptr
inline const Scheme* find_scheme(std::int32_t esquema) {
  if (esquema < 0 || static_cast<std::size_t>(esquema) >= kSchemes.size()) return nullptr;
  return &kSchemes[static_cast<std::size_t>(esquema)];
}

/// Whether the case's beta changes the scheme of an esquema (false for one with none).
///   beta_matters(0) -> true; beta_matters(2) -> false
inline bool beta_matters(std::int32_t esquema) {
  const Scheme* const scheme = find_scheme(esquema);
  return scheme && scheme->beta_matters;
}

/// The esquema values that name a scheme, as a message says them: "0, 1 or 2".
std::string scheme_values_text();

/// The order a case's scheme reaches on a smooth solution: upwind 1, central 2,
/// deferred correction 2 when beta = 1 and 1 otherwise. The case's esquema must have an
/// entry (check_study_case).
inline double formal_order(const CaseData& data) {
  return find_scheme(data.esquema)->formal_order(data.beta);
}

}  // namespace talvenor

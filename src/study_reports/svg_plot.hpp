#pragma once

// The log-log plot of a campaign's combination, drawn as inline SVG.

#include <string>
#include <vector>

#include "analysis/audit.hpp"
#include "analysis/combination.hpp"

namespace talvenor {

/// The lines of an SVG picture of |E| against h for the variables of `combination`:
/// a line and markers per variable (circle, square, triangle; hollow where the mesh
/// carries a note), a grid line per decade of |E| and per mesh, a dashed reference
/// slope of the formal order from the largest error on the coarsest mesh, and a
/// legend beside the frame. `label` names the combination in the title.
std::vector<std::string> error_plot(const Combination& combination, const std::string& label);

/// The lines of an SVG picture of each estimator's coverage in the bands of P
/// (kOrderBands): a marker at the per cent covered and a bar over its 95 % interval,
/// the three estimators side by side in each band, a dashed line at 95 %; a band
/// where an estimator gives no value has no marker.
std::vector<std::string> coverage_plot(const Audit& audit);

}  // namespace talvenor

#pragma once

#include "record/variaveis.hpp"
#include "solver/calculos.hpp"

namespace talvenor {

/// The calculation stage: the exact solution and the iteration loop under the
/// wall-clock timer (tempo), with the progress line on a terminal, then the
/// convergence warning and the editor on the iteration log.
void run_calculation(CaseData& data);

/// run_iterations with the iteration log (caso + ".itn"): the header, then one
/// record per iteration; `progress` (if set) also sees every iteration, after its
/// record is written.
void iterate(CaseData& data, const IterationObserver& progress = {});

}  // namespace talvenor

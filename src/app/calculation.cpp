#include "app/calculation.hpp"

#include "app/convergence_warning.hpp"
#include "record/interest.hpp"
#include "record/run_files.hpp"
#include "results/iteration_log.hpp"
#include "system/commands.hpp"
#include "system/console.hpp"
#include "system/platform.hpp"
#include "system/program.hpp"

namespace talvenor {

void run_calculation(CaseData& data) {
  data.tempo = wall_seconds();
  compute_exact(data);
  // The last iterates decide the convergence warning.
  LastIterates iterates;
  ProgressLine progress(stderr, stderr_is_terminal(), wall_seconds);
  iterate(data, [&](const CaseData& now) {
    iterates.push(numerical_variables(now));
    progress.update(now.it, now.itmax);
  });
  data.tempo = wall_seconds();
  progress.erase();
  if (const auto warning = convergence_warning(iterates, data.N)) warn(*warning);
  data.command_line = show_in_editor(log_name(data));
}

void iterate(CaseData& data, const IterationObserver& progress) {
  IterationLog log(data);
  run_iterations(data, [&](const CaseData& now) {
    log.write(now);
    if (progress) progress(now);
  });
  log.close();
}

}  // namespace talvenor

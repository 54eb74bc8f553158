#include "study/study_files.hpp"

#include <filesystem>
#include <optional>
#include <thread>

#include "input/run_names.hpp"
#include "study_reports/report.hpp"
#include "system/commands.hpp"
#include "system/console.hpp"
#include "system/error.hpp"
#include "system/platform.hpp"
#include "system/program.hpp"
#include "textio/text_helpers.hpp"

namespace talvenor {

int default_jobs() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(cores);
}

bool draw_plot(const std::string& script, const std::string& png) {
  std::error_code ignored;
  std::filesystem::remove(png, ignored);  // a PNG of an earlier study must not pass for this one's
  show_plot(file_argument(script));
  return std::filesystem::exists(png, ignored);
}

void check_study_file(const std::string& name, std::string_view role, bool create) {
  if (const std::optional<std::string> fault = output_name_fault(name, role)) {
    throw Error(Error::Kind::usage, "the study file '" + printable(name) + "' " + *fault +
                                        "; choose another --output prefix");
  }
  if (create) check_records_file(name, role);
}

}  // namespace talvenor

#include "system/commands.hpp"

#include "system/platform.hpp"
#include "system/program.hpp"

namespace talvenor {

std::string editor_command(std::string_view file) {
  constexpr std::size_t kFieldWidth = 90;
  std::string command = "notepad " + editor_argument(file);
  if (command.size() < kFieldWidth) command.resize(kFieldWidth, ' ');
  return command;
}

std::string show_in_editor(std::string_view file) {
  std::string command = editor_command(file);
  run_command(command);
  return command;
}

void show_plot(std::string_view script) {
  const int status = run_command("wgnuplot " + std::string(script));
  if (status == 0 || interruption()) return;
  warn(status < 0
           ? "the plotter could not be started on " + std::string(script) + "; the run goes on"
           : "the plotter ended with status " + std::to_string(status) + " on " +
                 std::string(script) + "; the run goes on");
}

}  // namespace talvenor

#include "system/commands.hpp"

#include "system/platform.hpp"

namespace talvenor {

std::string editor_command(std::string_view file) {
  constexpr std::size_t kFieldWidth = 90;
  std::string command = "notepad " + file_argument(file);
  if (command.size() < kFieldWidth) command.resize(kFieldWidth, ' ');
  return command;
}

std::string show_in_editor(std::string_view file) {
  std::string command = editor_command(file);
  run_command(command);
  return command;
}

}  // namespace talvenor

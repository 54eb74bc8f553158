#include "system/about.hpp"

#include <cstdio>
#include <string>

namespace talvenor {

bool answer_help_or_version(int argc, char** argv, std::string_view program,
                            std::string_view help) {
  if (argc != 2) return false;
  const std::string_view argument = argv[1];
  std::string text;
  if (argument == "--help") {
    text = help;
  } else if (argument == "--version") {
    text = std::string(program) + " " + TALVENOR_VERSION + "\n";
  } else {
    return false;
  }
  std::fwrite(text.data(), 1, text.size(), stdout);
  return true;
}

}  // namespace talvenor

// What every system shares of the commands run in folders: how their ends are named.

#include <charconv>

#include "system/subprocess.hpp"

namespace talvenor {

std::string describe(const CommandEnd& end, std::optional<double> timeout) {
  const std::string code = std::to_string(end.code);
  switch (end.kind) {
    case CommandEnd::Kind::exited:
      return "status " + code;
    case CommandEnd::Kind::signalled:
      return "signal " + code;
    case CommandEnd::Kind::timed_out: {
      char seconds[32] = "?";
      char* const last = timeout ? std::to_chars(seconds, seconds + sizeof seconds, *timeout).ptr
                                 : seconds + 1;
      return "timed out after " + std::string(seconds, last) + " s";
    }
    case CommandEnd::Kind::interrupted:
      return "interrupted";
    case CommandEnd::Kind::not_started:
      break;
  }
  return "not started (error " + code + ")";
}

}  // namespace talvenor

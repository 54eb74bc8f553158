#pragma once

#include <string>
#include <string_view>

namespace talvenor {

/// `text` as gnuplot reads a single-quoted string: between apostrophes, every
/// character literal, an apostrophe doubled. No text can end the string early, so
/// none runs as a command:
///   gnuplot_quoted("Burgers' equation") -> "'Burgers'' equation'"
///   gnuplot_quoted("x''; system \"touch P\"; #") -> "'x''''; system \"touch P\"; #'"
inline std::string gnuplot_quoted(std::string_view text) {
  std::string quoted = "'";
  for (const char c : text) {
    quoted += c;
    if (c == '\'') quoted += c;
  }
  return quoted + "'";
}

}  // namespace talvenor

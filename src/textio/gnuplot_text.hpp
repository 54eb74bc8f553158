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

/// `text` as one comment line of gnuplot. gnuplot joins a line that ends with a
/// backslash to the next one, a comment too (which would then swallow a command), so
/// a text that ends with one gets a blank after it:
///   gnuplot_comment("study of caso1") -> "# study of caso1"
///   gnuplot_comment("study of a\\") -> "# study of a\\ "
inline std::string gnuplot_comment(std::string_view text) {
  return "# " + std::string(text) + (text.ends_with('\\') ? " " : "");
}

}  // namespace talvenor

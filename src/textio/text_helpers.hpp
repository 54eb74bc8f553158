#pragma once

// The small text helpers that every stage shares.

#include <string>
#include <string_view>
#include <vector>

namespace talvenor {

/// `text` without its trailing blanks (spaces only):
///   trim_trailing_blanks("nome.lst  ") -> "nome.lst"; trim_trailing_blanks("   ") -> ""
inline std::string_view trim_trailing_blanks(std::string_view text) {
  return text.substr(0, text.find_last_not_of(' ') + 1);
}

/// The parts joined by `separator`, the last two by `last_separator`:
///   join({"20", "40", "80"}, ", ", " and ") -> "20, 40 and 80"; join({"20"}, ", ") -> "20"
std::string join(const std::vector<std::string>& parts, std::string_view separator = ", ",
                 std::string_view last_separator = ", ");

}  // namespace talvenor

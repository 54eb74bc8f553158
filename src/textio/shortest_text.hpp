#pragma once

#include <charconv>
#include <string>

namespace talvenor {

/// The shortest text that reads back as `value`: 1, 0.5, 1e+30.
inline std::string shortest(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return {text, result.ptr};
}

}  // namespace talvenor

#pragma once

#include <string_view>

namespace talvenor {

/// Writes "talvenor: warning: " + text as one line on the standard error stream.
void warn(std::string_view text);

}  // namespace talvenor

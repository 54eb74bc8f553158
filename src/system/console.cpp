#include "system/console.hpp"

#include <cstdio>

namespace talvenor {

void warn(std::string_view text) {
  std::fprintf(stderr, "talvenor: warning: %.*s\n", static_cast<int>(text.size()), text.data());
}

}  // namespace talvenor

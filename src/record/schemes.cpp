#include "record/schemes.hpp"

namespace talvenor {

std::string scheme_values_text() {
  std::string text;
  for (std::size_t esquema = 0; esquema < kSchemes.size(); ++esquema) {
    if (esquema > 0) text += esquema + 1 == kSchemes.size() ? " or " : ", ";
    text += std::to_string(esquema);
  }
  return text;
}

}  // namespace talvenor

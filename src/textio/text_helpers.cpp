#include "textio/text_helpers.hpp"

namespace talvenor {

std::string join(const std::vector<std::string>& parts, std::string_view separator,
                 std::string_view last_separator) {
  std::string text;
  for (std::size_t k = 0; k < parts.size(); ++k) {
    if (k > 0) text += k + 1 == parts.size() ? last_separator : separator;
    text += parts[k];
  }
  return text;
}

}  // namespace talvenor

#include "record/schemes.hpp"

#include <vector>

#include "textio/text_helpers.hpp"

namespace talvenor {

std::string scheme_values_text() {
  std::vector<std::string> values;
  for (std::size_t esquema = 0; esquema < kSchemes.size(); ++esquema) {
    values.push_back(std::to_string(esquema));
  }
  return join(values, ", ", " or ");
}

}  // namespace talvenor

#include "input/case_text.hpp"

#include <algorithm>
#include <optional>

#include "textio/code_page.hpp"

namespace talvenor {

std::string case_text_in_windows_1252(std::string_view text) {
  const auto is_ascii = [](char c) { return static_cast<unsigned char>(c) < 0x80; };
  if (std::all_of(text.begin(), text.end(), is_ascii)) return std::string(text);
  std::string converted;
  for (std::size_t position = 0; position < text.size();) {
    const std::optional<char32_t> code_point = decode_utf8(text, position);
    if (!code_point) return std::string(text);  // not UTF-8: the bytes are Windows-1252 already
    const int byte = windows_1252(*code_point);
    converted.push_back(byte < 0 ? '?' : static_cast<char>(byte));
  }
  return converted;
}

}  // namespace talvenor

#include "textio/code_page.hpp"

#include <algorithm>
#include <array>

namespace talvenor {

namespace {

/// The letters and signs that the code page places at 0x80 to 0x9F; U+FFFD (the
/// replacement character) for the five bytes it leaves undefined.
constexpr char32_t kUndefined = 0xFFFD;
constexpr std::array<char32_t, 32> kHighCodePoints = {
    0x20AC,     kUndefined, 0x201A, 0x0192, 0x201E, 0x2026,     0x2020, 0x2021,
    0x02C6,     0x2030,     0x0160, 0x2039, 0x0152, kUndefined, 0x017D, kUndefined,
    kUndefined, 0x2018,     0x2019, 0x201C, 0x201D, 0x2022,     0x2013, 0x2014,
    0x02DC,     0x2122,     0x0161, 0x203A, 0x0153, kUndefined, 0x017E, 0x0178};

}  // namespace

int windows_1252(char32_t code_point) {
  if (code_point < 0x80 || (code_point >= 0xA0 && code_point <= 0xFF)) {
    return static_cast<int>(code_point);
  }
  if (code_point == kUndefined) return -1;
  const auto* found = std::find(kHighCodePoints.begin(), kHighCodePoints.end(), code_point);
  if (found == kHighCodePoints.end()) return -1;
  return 0x80 + static_cast<int>(found - kHighCodePoints.begin());
}

char32_t windows_1252_code_point(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kHighCodePoints[byte - 0x80];
  return byte;
}

std::optional<char32_t> decode_utf8(std::string_view text, std::size_t& position) {
  static constexpr char32_t kLeast[4] = {0, 0x80, 0x800, 0x10000};
  const auto lead = static_cast<unsigned char>(text[position++]);
  if ((lead >= 0x80 && lead < 0xC0) || lead > 0xF4) return std::nullopt;
  const int continuations = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
  char32_t value = continuations == 0 ? lead : lead & (0x3F >> continuations);
  for (int i = 0; i < continuations; ++i) {
    if (position == text.size()) return std::nullopt;
    const auto next = static_cast<unsigned char>(text[position]);
    if ((next & 0xC0) != 0x80) return std::nullopt;
    ++position;
    value = value << 6 | (next & 0x3F);
  }
  if (value < kLeast[continuations] || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) {
    return std::nullopt;
  }
  return value;
}

std::string utf8_from_windows_1252(std::string_view text) {
  std::string utf8;
  for (const char c : text) {
    const char32_t point = windows_1252_code_point(static_cast<unsigned char>(c));
    if (point < 0x80) {
      utf8 += static_cast<char>(point);
    } else if (point < 0x800) {
      utf8 += static_cast<char>(0xC0 | (point >> 6));
      utf8 += static_cast<char>(0x80 | (point & 0x3F));
    } else {  // the code page reaches no further than U+FFFF
      utf8 += static_cast<char>(0xE0 | (point >> 12));
      utf8 += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
      utf8 += static_cast<char>(0x80 | (point & 0x3F));
    }
  }
  return utf8;
}

}  // namespace talvenor

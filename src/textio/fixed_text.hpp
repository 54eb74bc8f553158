#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

#include "textio/text_helpers.hpp"

namespace talvenor {

/// A text field of fixed length, blank-padded: a longer value is cut, a shorter
/// one padded with blanks. Bytes are kept as they are (Windows-1252).
///   FixedText<5> t; t.assign("ab");  t.full() -> "ab   ", t.trimmed() -> "ab"
template <std::size_t Width>
class FixedText {
 public:
  FixedText() { bytes_.fill(' '); }

  void assign(std::string_view value) {
    bytes_.fill(' ');
    std::copy_n(value.begin(), std::min(value.size(), Width), bytes_.begin());
  }

  /// All Width characters, trailing blanks included.
  std::string_view full() const { return {bytes_.data(), Width}; }

  /// Without trailing blanks (only the blank character counts); empty when all blank.
  std::string_view trimmed() const {
    return trim_trailing_blanks(full());
  }

 private:
  std::array<char, Width> bytes_;
};

}  // namespace talvenor

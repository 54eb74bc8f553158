#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <variant>
#include <vector>

#include "textio/text_file.hpp"

namespace talvenor {

/// A record layout, parsed once from its text: a parenthesised list of
/// I w, E w.d, F w.d, A w, A^, 1P, nX, Tn, /, 'literal' and n(group).
/// The text is UTF-8 in the source; literals are stored as Windows-1252 bytes.
///   Layout kLog(u8"(I8,3(1P,E23.14))");
/// A malformed layout, or a literal character outside Windows-1252, throws std::logic_error.
class Layout {
 public:
  explicit Layout(std::u8string_view text);

  struct Element;  // one step of the expanded layout
  const std::vector<Element>& elements() const { return elements_; }

 private:
  std::vector<Element> elements_;
};

/// One data item of a formatted write.
using Item = std::variant<std::int32_t, double, std::string_view>;

/// Writes `items` through `layout` into `file`, starting a new record and ending
/// the last record started. `width` stands for every "^". Processing stops at the
/// closing parenthesis, or at a data element when no item is left.
///   write_formatted(f, Layout(u8"(I8,1X,'= N')"), {20}) -> "      20 = N" CR LF
void write_formatted(TextFile& file, const Layout& layout, std::initializer_list<Item> items,
                     int width = 0);

/// Writes one free-form record: a blank, then each item in full, nothing between them.
///   write_free_form(f, {"set title '", "abc", "'"}) -> " set title 'abc'" CR LF
void write_free_form(TextFile& file, std::initializer_list<std::string_view> items);

}  // namespace talvenor

#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "textio/text_file.hpp"

namespace talvenor {

/// A record layout, parsed once from its text: a parenthesised, comma-separated list of
/// I w, E w.d, F w.d, A w, A^, 1P, nX, Tn, /, 'literal' and n(group) (or a bare group).
/// The text is UTF-8 in the source; literals are stored as Windows-1252 bytes, and a
/// doubled apostrophe inside a literal stands for one. Groups are expanded here, so a
/// write walks a flat list:  static const Layout kLog(u8"(I8,3(1P,E23.14))");
/// Every E must follow a 1P and no F may (the scale factor stays 1 once set, also
/// across the repetitions of a group). A malformed layout, numbers above 9999, or a
/// literal character outside Windows-1252 throw std::logic_error.
class Layout {
 public:
  explicit Layout(std::u8string_view text);

  /// One step of the expanded layout. 1P leaves no step: its effect is that every
  /// `scientific` step has one digit before the point.
  struct Element {
    enum class Kind : std::uint8_t {
      integer,       ///< I: `width`
      scientific,    ///< E after 1P: `width`, `digits` after the point
      fixed,         ///< F: `width`, `digits` after the point
      text,          ///< A: `width`
      text_runtime,  ///< A^: the width given with the write
      skip,          ///< X: `width` columns to the right
      tab,           ///< T: to column `width`
      new_record,    ///< /
      literal,       ///< 'text': `literal`
    };
    Kind kind;
    int width = 0;
    int digits = 0;
    std::string literal = {};  // Windows-1252 bytes
  };
  const std::vector<Element>& elements() const { return elements_; }

 private:
  std::vector<Element> elements_;
  std::size_t data_elements_ = 0;   // I, E, F, A and A^ steps
  std::size_t runtime_widths_ = 0;  // A^ steps
  std::size_t most_bytes_ = 0;      // bound on the bytes of a write, A^ texts aside

  friend class RecordWriter;
};

/// One data item of a formatted write.
using Item = std::variant<std::int32_t, double, std::string_view>;

/// Writes `items` through `layout` into `file`, starting a new record and ending
/// the last record started. `width` stands for every "^" (0: the whole text).
/// Processing stops at the closing parenthesis, or at a data element when no item is
/// left; column moves only count blanks, which are written when a character follows,
/// so a record never ends in blanks from X or T.
///   write_formatted(f, Layout(u8"(I8,1X,'= N')"), {20}) -> "      20 = N" CR LF
///   write_formatted(f, Layout(u8"(I8,' a',I8,' b')"), {7}) -> "       7 a" CR LF
/// An item of the wrong type for its element, more items than data elements, a
/// negative `width` or a T left of a character already placed are programming errors
/// (std::logic_error); the write then leaves nothing in the file.
void write_formatted(TextFile& file, const Layout& layout, std::initializer_list<Item> items,
                     int width = 0);

/// Writes one free-form record: a blank, then each item in full, nothing between them.
///   write_free_form(f, {"set title '", "abc", "'"}) -> " set title 'abc'" CR LF
void write_free_form(TextFile& file, std::initializer_list<std::string_view> items);

}  // namespace talvenor

#pragma once

// The reads of the case file, one value per read, in the manner of list-directed
// input: each read starts at the beginning of a new line and discards whatever
// follows its value on the line, so every line may carry a comment.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "record/variaveis.hpp"
#include "textio/text_helpers.hpp"  // printable, which the readers' reports use

namespace talvenor {

/// The longest value written without delimiters that a read accepts.
inline constexpr std::size_t kMaxUndelimitedLength = 260;

/// Reads the values of one case file, one value per read. A read:
///   1. starts at the beginning of the next line not yet read;
///   2. skips blanks, tabs and lines holding nothing else until a value begins;
///   3. takes the value: an undelimited one ends at a blank, tab, comma, slash or the
///      end of the line; one opened by an apostrophe or a quotation mark runs to the
///      same character (a doubled one stands for one), across line ends if need be,
///      with nothing stored for a line end; "r*c" (r an unsigned integer above 0)
///      gives c;
///   4. leaves the member as it was for a null value: a comma or a slash before any
///      value, or "r*" alone;
///   5. discards the rest of the line the value ended on.
/// Lines end with LF; a CR just before the LF (or just before the end of the file)
/// belongs to the line end. Bytes are kept as they are.
///
/// Every failure throws Error (case_file): "<source> line <n> (<member>): <what>",
/// where the line is the one the value begins on, or the one the read started on
/// when it meets the end of the file:
///   ValueReader values("abc\n", "Talvenor.in (unit 7)");
///   values.read("N", N) -> "Talvenor.in (unit 7) line 1 (N): expected an integer, found 'abc'"
class ValueReader {
 public:
  /// `bytes` is the whole file and must outlive the reader; `source` names it in
  /// reports ("Talvenor.in (unit 7)").
  ValueReader(std::string_view bytes, std::string source);

  /// An optional sign and decimal digits, from -2147483648 to 2147483647.
  void read(std::string_view member, std::int32_t& target);

  /// An optional sign, digits with an optional decimal point, an optional exponent
  /// introduced by E or D in either case with an optional sign: "-1.5D+3", "2", ".5e-1".
  /// Rounded to the nearest double; a magnitude beyond the largest double is an
  /// error, one below the smallest subnormal reads as a zero of the same sign.
  void read(std::string_view member, double& target);

  /// A text, delimited or not; cut or blank-padded to the field's width.
  template <std::size_t Width>
  void read(std::string_view member, FixedText<Width>& target) {
    if (std::optional<std::string> text = read_text(member)) target.assign(*text);
  }

  /// A text, delimited or not, whole; nothing for a null value.
  std::optional<std::string> read_text(std::string_view member);

  /// Throws Error (case_file) for the value read last: "<source> line <n> (<member>): <what>".
  [[noreturn]] void reject(std::string_view member, std::string_view what) const;

 private:
  struct Value {
    bool delimited;     // written between apostrophes or quotation marks
    std::string bytes;  // without delimiters, doubled delimiters made single
  };

  /// The next value, or nothing for a null value.
  std::optional<Value> next_value(std::string_view member);

  /// The rest of a delimited text that opens before `line[at]`, closed by `quote`.
  std::string delimited_text(std::string_view member, std::string_view line, std::size_t at,
                             char quote);

  /// The next line without its line end; the line after it becomes the next.
  std::string_view take_line();

  [[noreturn]] void fail(std::int64_t line, std::string_view member, std::string_view what) const;
  [[noreturn]] void fail_found(std::string_view member, std::string_view expected,
                               const Value& value) const;

  std::string_view bytes_;
  std::string source_;
  std::size_t next_ = 0;         // offset of the next line not yet read
  std::int64_t next_line_ = 1;   // its number
  std::int64_t value_line_ = 0;  // the line the last value began on
};

}  // namespace talvenor

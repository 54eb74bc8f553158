#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace talvenor {

/// Reads the values of a case file one read at a time. Each read starts at the
/// beginning of the next line not yet read, skips blanks, tabs and empty lines until
/// a value begins, takes the value and discards the rest of its line, so each line may
/// carry a comment after its value. A value ends at a blank, tab, comma, slash or end
/// of line, except inside a text delimited by ' or " (a doubled delimiter stands for
/// one; a text not closed on its line goes on at the next line, nothing stored for the
/// line break). r*c gives c; r* alone, a comma or a slash with no value before it
/// give a null value. Lines end at LF or CR LF; bytes are kept as they are.
///   "  20   N\r\n" -> the undelimited value "20" on line 1
///   "'caso 1', c" -> the delimited value "caso 1"
///   ", N" -> a null value
/// Failures throw Error (case_file): "Talvenor.in (unit 7) line 12 (titulo): end of file,
/// expected the value of titulo".
class CaseScanner {
 public:
  /// `file_name` names the file in reports.
  CaseScanner(std::string_view bytes, std::string_view file_name);

  /// One value as read.
  struct Value {
    enum class Kind { null, undelimited, delimited };
    Kind kind = Kind::null;
    std::string text;  ///< the value's bytes, without delimiters
    int line = 0;      ///< where the value begins
  };

  /// Reads the value of `member` (its name, for reports).
  Value next(std::string_view member);

  /// Throws Error (case_file) for `member`'s value on `line`: "<file> (unit 7) line
  /// <line> (<member>): <what>".
  [[noreturn]] void fail(int line, std::string_view member, const std::string& what) const;

 private:
  bool at_line_end() const;
  void skip_to_next_line();
  bool skip_blanks_and_empty_lines();
  std::string delimited_text(int line, std::string_view member);

  std::string_view bytes_;
  std::string_view file_name_;
  std::size_t position_ = 0;  // at the beginning of the next line not yet read
  int line_ = 1;              // the line of position_
};

/// `text` as it may stand in a one-line message: printable bytes kept, others as \xNN,
/// cut after 40 characters.  shown("a\tb") -> "a\x09b"
std::string shown(std::string_view text);

}  // namespace talvenor

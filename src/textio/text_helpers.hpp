#pragma once

// The small text helpers that every stage shares.

#include <string>
#include <string_view>
#include <vector>

namespace talvenor {

/// `text` without its trailing blanks (spaces only):
///   trim_trailing_blanks("nome.lst  ") -> "nome.lst"; trim_trailing_blanks("   ") -> ""
inline std::string_view trim_trailing_blanks(std::string_view text) {
  return text.substr(0, text.find_last_not_of(' ') + 1);
}

/// Which side of its field a padded text keeps.
enum class Align { left, right };

/// `text` in a field of `width` characters, blanks filling the other side; a longer text
/// as it is:
///   padded("ab", 4) -> "  ab"; padded("ab", 4, Align::left) -> "ab  "; padded("abc", 2) -> "abc"
std::string padded(std::string_view text, std::size_t width, Align align = Align::right);

/// The parts joined by `separator`, the last two by `last_separator`:
///   join({"20", "40", "80"}, ", ", " and ") -> "20, 40 and 80"; join({"20"}, ", ") -> "20"
std::string join(const std::vector<std::string>& parts, std::string_view separator = ", ",
                 std::string_view last_separator = ", ");

/// `bytes` with every byte outside printable ASCII written as \xHH, so that a report
/// stays one readable line whatever the file held:
///   printable("a\tb\xE9") -> "a\x09b\xE9" (the backslash sequences as text)
std::string printable(std::string_view bytes);

/// UTF-8 `text` with the characters that mean something in HTML and XML written as
/// references, and every character outside ASCII as its code point's reference (a
/// malformed sequence, or a control character, as U+FFFD):
///   html_escape("a < b & 'c'") -> "a &lt; b &amp; &#39;c&#39;";  "\xCE\x94p" -> "&#916;p"
/// Windows-1252 text is converted first (utf8_from_windows_1252).
std::string html_escape(std::string_view text);

/// html_escape(text) appended to `escaped`, without a string of its own.
void append_html_escaped(std::string& escaped, std::string_view text);

/// `text` as a CSV field: as it is, or quoted when it holds a comma, a quote or a
/// line end (RFC 4180): csv_field("a,b") -> "\"a,b\"", csv_field("x") -> "x".
std::string csv_field(std::string_view text);

}  // namespace talvenor

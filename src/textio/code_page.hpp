#pragma once

// Windows-1252, the code page of every file a run writes, and the UTF-8 that texts
// may arrive in (the layouts in the source, titles typed in a Linux editor).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace talvenor {

/// The Windows-1252 byte of a code point, or -1 when the code page has none.
///   U+00E7 (ç) -> 0xE7, U+20AC (€) -> 0x80, U+0081 -> -1, U+0100 -> -1
int windows_1252(char32_t code_point);

/// The code point of a Windows-1252 byte; U+FFFD for the five bytes the code page
/// leaves undefined.
///   0x41 -> U+0041, 0xE9 -> U+00E9, 0x80 -> U+20AC (€), 0x81 -> U+FFFD
char32_t windows_1252_code_point(unsigned char byte);

/// The code point of the UTF-8 sequence that starts at `text[position]`, with
/// `position` moved past it; nothing for a malformed sequence (a stray or missing
/// continuation byte, an overlong form, a surrogate, a value beyond U+10FFFF), with
/// `position` past the bytes examined.
///   "\xC3\xA7", 0 -> U+00E7, position 2;  "\xE7a", 0 -> nothing
std::optional<char32_t> decode_utf8(std::string_view text, std::size_t& position);

/// Windows-1252 text as UTF-8, for the files the study writes in UTF-8 (a case's title
/// in its HTML report): "Caf\xE9 \x80" -> "Caf\xC3\xA9 \xE2\x82\xAC".
std::string utf8_from_windows_1252(std::string_view text);

}  // namespace talvenor

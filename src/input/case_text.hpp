#pragma once

#include <string>
#include <string_view>

namespace talvenor {

/// A text of the case file (the title) as the Windows-1252 files of the run take
/// it. A text that is valid UTF-8 and holds a character beyond ASCII, as Linux
/// editors write it, is converted, and a character that Windows-1252 lacks becomes
/// '?'; any other text (plain ASCII, or Windows-1252 bytes that are not valid UTF-8)
/// is kept byte for byte, so a case file written for Windows reads as it always did.
///   "Solu\xC3\xA7\xC3\xA3o \xE2\x9C\x93" (UTF-8 "Solução ✓") -> "Solu\xE7\xE3o ?"
///   "Solu\xE7\xE3o" (already Windows-1252) -> "Solu\xE7\xE3o"
std::string case_text_in_windows_1252(std::string_view text);

}  // namespace talvenor

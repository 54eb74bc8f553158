#pragma once

#include <string>
#include <string_view>

namespace talvenor {

/// The command line that shows `file` in the editor: "notepad " and the file name
/// as editor_argument writes it (never read as an option, quoted when it needs it),
/// padded with blanks to 90 characters.
///   editor_command("teste1.txt.itn") -> "notepad teste1.txt.itn" + 68 blanks
std::string editor_command(std::string_view file);

/// Shows `file` in the editor and waits until it is closed, whatever the editor did:
/// runs editor_command(file) and returns that command line.
std::string show_in_editor(std::string_view file);

}  // namespace talvenor

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

/// Shows the plot of the gnuplot script `script`, written as a command line takes it
/// ("Talvenor_u.gnu", or as file_argument writes a name), and waits for the plotter:
/// runs "wgnuplot " + script. The plotter's status never changes the run's status or
/// files (its picture is no result of the run, whose files are complete before it
/// starts); a plotter that cannot be started or ends with a status other than 0 gets
/// one warning line, except after an interruption, which the run reports itself:
///   show_plot("Talvenor_u.gnu"), gnuplot missing -> "talvenor: warning: the plotter
///   ended with status 127 on Talvenor_u.gnu; the run goes on"
void show_plot(std::string_view script);

}  // namespace talvenor

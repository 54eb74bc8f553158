#pragma once

#include <string_view>

namespace talvenor {

/// What talvenor --help prints.
inline constexpr std::string_view kTalvenorHelp =
    R"(Usage: talvenor [NAME]
       talvenor --help | --version

Solves the steady 1-D Burgers equation for the case in Talvenor.in in the working
folder and writes beside it the listing (named by caso), the iteration log
(caso.itn) and, with graficos = 1, Talvenor_u.dat and the plot scripts
Talvenor_u.gnu and Talvenor_E.gnu. NAME names the listing when caso is blank.

The editor shows Talvenor.in before the run, then the log and the listing, and
the run waits until it is closed: TALVENOR_EDITOR, else VISUAL, else EDITOR; with
none of them set, sensible-editor, else editor, else vi when the run has a
terminal, and no editor (one note says so) when it has none. The plots are drawn
by TALVENOR_PLOTTER, else gnuplot -persist. A variable set but empty launches
nothing: TALVENOR_EDITOR= TALVENOR_PLOTTER= talvenor is a batch run.

Encodings: every file written is Windows-1252 text with CR LF line ends.
Talvenor.in may be Windows-1252 or UTF-8: a UTF-8 title is written in
Windows-1252 ('?' for a character it lacks); caso is a file name and is used
byte for byte.

Exit status: 0 a complete run, 1 a case file that cannot be used, 3 a file that
cannot be written, 4 a mesh too large for memory, 5 a floating-point fault, 6 a
failure not foreseen, 7 another run working in the same folder, 8 an interruption.
man talvenor tells the rest.
)";

}  // namespace talvenor

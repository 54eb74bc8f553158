#pragma once

// The names of the files a run writes, checked against the files it must never replace.

#include <optional>
#include <string>
#include <string_view>

namespace talvenor {

/// What forbids a run to write a file named `name` as its `role`, in the words of a
/// report: a control byte in the name (a NUL would cut the name the system sees),
/// or a name that designates one of the fixed files of the folder (kFixedFiles) by
/// its text or as the same file (same_file). Nothing when the name may be written.
///   output_name_fault("Talvenor.in", "listing")
///     -> "names the file Talvenor.in, which the listing would overwrite"
///   output_name_fault("Talvenor.in\0x", "listing") -> "holds the control byte \x00"
std::optional<std::string> output_name_fault(std::string_view name, std::string_view role);

/// Stops a run whose listing or iteration log would replace a fixed file of the
/// folder, or whose log would be its listing, wherever the names came from (caso,
/// the command line or the console). Throws Error (case_file):
///   check_run_files(".itn", ".itn") -> "the listing name '.itn' names the file .itn,
///   which the iteration log would overwrite; choose another name"
void check_run_files(std::string_view listing, std::string_view log);

}  // namespace talvenor

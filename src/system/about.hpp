#pragma once

#include <string_view>

namespace talvenor {

/// Answers a command line that is "--help" or "--version" alone: writes `help`, or
/// the program's name and version, on standard output and returns true, having read
/// and created no file. Any other command line returns false and keeps its meaning.
///   {"talvenor", "--version"} -> writes "talvenor 1.0.0\n", true
///   {"talvenor", "listing.txt"} -> writes nothing, false
bool answer_help_or_version(int argc, char** argv, std::string_view program, std::string_view help);

}  // namespace talvenor

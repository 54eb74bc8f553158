#pragma once

// The names of the columns that a study's CSV file and a data file share: the study's
// writer heads them so, and the data file's reader knows them so, which lets a study's
// own CSV file be read back as data.

#include <string_view>

namespace talvenor::study_column {

inline constexpr std::string_view variable = "variable";
inline constexpr std::string_view h = "h";
inline constexpr std::string_view numerical = "numerical";
inline constexpr std::string_view exact = "exact";
inline constexpr std::string_view error = "error";

}  // namespace talvenor::study_column

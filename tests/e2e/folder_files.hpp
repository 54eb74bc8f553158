#pragma once

// The files that a run leaves in its folder, read for comparison.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace talvenor_e2e {

inline std::string read_bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

/// The processing time is the one thing that differs between two runs of a case:
/// its F14.3 field is replaced by asterisks.
inline std::string mask_time(std::string text) {
  const std::string label = " = tempo de processamento (segundos)";
  for (std::size_t at = text.find(label); at != std::string::npos;
       at = text.find(label, at + label.size())) {
    if (at >= 14) text.replace(at - 14, 14, 14, '*');
  }
  return text;
}

/// Every regular file below `folder`, by relative path, with its bytes.
inline std::map<std::string, std::string> folder_files(const std::filesystem::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      files[std::filesystem::relative(entry.path(), folder).generic_string()] =
          read_bytes(entry.path());
    }
  }
  return files;
}

}  // namespace talvenor_e2e

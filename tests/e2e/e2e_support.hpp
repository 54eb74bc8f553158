#pragma once

// What the end-to-end tests share: the built program run in a scratch folder with
// the launches off, and the files it leaves there read back.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace fs = std::filesystem;

namespace e2e {

inline const fs::path kProgram = TALVENOR_PROGRAM;
inline const fs::path kCases = TALVENOR_CASES;
inline const fs::path kScratch = TALVENOR_SCRATCH;

inline std::string read_bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write_bytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
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
inline std::map<std::string, std::string> folder_files(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      files[fs::relative(entry.path(), folder).generic_string()] = read_bytes(entry.path());
    }
  }
  return files;
}

struct Outcome {
  int status;
  std::string stderr_text;
  std::string stdout_text;
};

/// Runs `program` in `folder` with the launches off, standard input from
/// `console_input`; `environment` and `arguments` go on the shell command line.
inline Outcome run_program(const fs::path& program, const fs::path& folder,
                           const std::string& arguments = "", const std::string& environment = "",
                           const std::string& console_input = "") {
  const fs::path input = fs::path(folder).concat(".stdin");
  const fs::path errors = fs::path(folder).concat(".stderr");
  const fs::path output = fs::path(folder).concat(".stdout");
  write_bytes(input, console_input);
  const std::string command = "cd '" + folder.string() + "' && TALVENOR_EDITOR= TALVENOR_PLOTTER= " +
                              environment + " '" + program.string() + "' " + arguments + " <'" +
                              input.string() + "' >'" + output.string() + "' 2>'" + errors.string() + "'";
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_bytes(errors), read_bytes(output)};
}

/// run_program with talvenor.
inline Outcome run_talvenor(const fs::path& folder, const std::string& arguments = "",
                            const std::string& environment = "",
                            const std::string& console_input = "") {
  return run_program(kProgram, folder, arguments, environment, console_input);
}

/// A fresh scratch folder holding the case's input files.
inline fs::path prepare(const std::string& name) {
  const fs::path folder = kScratch / name;
  fs::remove_all(folder);
  fs::create_directories(folder);
  const fs::path in = kCases / name / "in";
  if (fs::exists(in)) fs::copy(in, folder, fs::copy_options::recursive);
  return folder;
}

/// A fresh scratch folder holding only `case_file` as Talvenor.in.
inline fs::path folder_with(const std::string& name, const std::string& case_file) {
  const fs::path folder = kScratch / name;
  fs::remove_all(folder);
  fs::create_directories(folder);
  write_bytes(folder / "Talvenor.in", case_file);
  return folder;
}

}  // namespace e2e

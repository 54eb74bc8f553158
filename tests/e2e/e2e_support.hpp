#pragma once

// What the end-to-end tests share: the built program run in a scratch folder with
// the launches off, and the files it leaves there read back.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace e2e {

inline const fs::path kProgram = TALVENOR_PROGRAM;
inline const fs::path kCases = TALVENOR_CASES;
/// The scratch root of the running test: a folder named by the test under the build's
/// scratch folder (Cases/WholeRun.X/example -> scratch/Cases_WholeRun.X_example), so
/// that tests run at the same time never share a folder, a file or a mount point.
/// Every path a test makes starts here: `kScratch / "safety_full"`.
class TestScratch {
 public:
  fs::path path() const {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test == nullptr ? std::string("no_test")
                                       : std::string(test->test_suite_name()) + "." + test->name();
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    const fs::path root = fs::path(TALVENOR_SCRATCH) / name;
    fs::create_directories(root);
    return root;
  }
  fs::path operator/(const fs::path& name) const { return path() / name; }
  std::string string() const { return path().string(); }
};
inline const TestScratch kScratch;

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

/// A fresh scratch folder holding the case's input files, named by the case or by
/// `folder_name` (for tests that share a case and may run at the same time).
inline fs::path prepare(const std::string& name, const std::string& folder_name = "") {
  const fs::path folder = kScratch / (folder_name.empty() ? name : folder_name);
  fs::remove_all(folder);
  fs::create_directories(folder);
  const fs::path in = kCases / name / "in";
  if (fs::exists(in)) fs::copy(in, folder, fs::copy_options::recursive);
  return folder;
}

/// Replaces whole lines of the text file `path`, counted from 1, each with its line
/// end kept: {{7, "0  itmax"}} sets the seventh line of a case file.
inline void replace_lines(const fs::path& path, const std::map<int, std::string>& lines) {
  const std::string bytes = read_bytes(path);
  std::string changed;
  int number = 1;
  for (std::size_t at = 0; at < bytes.size(); ++number) {
    std::size_t end = bytes.find('\n', at);
    end = end == std::string::npos ? bytes.size() : end + 1;
    std::string line = bytes.substr(at, end - at);
    if (const auto found = lines.find(number); found != lines.end()) {
      const std::size_t text_end = line.find_first_of("\r\n");
      line.replace(0, text_end, found->second);
    }
    changed += line;
    at = end;
  }
  write_bytes(path, changed);
}

/// What a file looks like at one moment: its size, and whether it ends with a
/// complete record (CR LF).
struct FileState {
  std::uintmax_t size;
  bool whole;
  bool operator==(const FileState&) const = default;
};

inline FileState state_of(const fs::path& path) {
  const std::string bytes = read_bytes(path);
  return {bytes.size(), bytes.ends_with("\r\n")};
}

/// One launch seen by the fake editor or plotter: "notepad" or "wgnuplot", the file
/// it was given, and the state of every file of the run's folder at that moment.
struct Launch {
  std::string program;
  std::string file;
  std::map<std::string, FileState> folder;
};

/// The folder beside `folder` from which the fakes take a user's edits: a file of
/// the launched name there is moved over the launched file once the launch is logged,
/// as a user saving changes in the editor would.
inline fs::path edits_of(const fs::path& folder) {
  return fs::path(folder).concat(".edits");
}

/// Writes a fake editor and plotter beside `folder`, one shell script that logs each
/// launch in order with the state of every file in the folder; returns the
/// environment that names them for run_program. Empties the log and the edits.
inline std::string fake_launchers(const fs::path& folder) {
  const fs::path script = fs::path(folder).concat(".fake.sh");
  const fs::path log = fs::path(folder).concat(".launches");
  fs::remove(log);
  fs::remove_all(edits_of(folder));
  fs::create_directories(edits_of(folder));
  write_bytes(script,
              "#!/bin/sh\n"
              "program=$1; shift; file=\"$*\"\n"
              "{\n"
              "  printf 'launch\\t%s\\t%s\\n' \"$program\" \"$file\"\n"
              "  for f in * .*; do\n"
              "    [ -f \"$f\" ] || continue\n"
              "    size=$(wc -c < \"$f\" | tr -d ' ')\n"
              "    end=$(tail -c 2 \"$f\" | od -An -tx1 | tr -d ' \\n')\n"
              "    printf '%s\\t%s\\t%s\\n' \"$f\" \"$size\" \"$end\"\n"
              "  done\n"
              "} >> '" + log.string() + "'\n"
              "edit='" + edits_of(folder).string() + "'/\"$file\"\n"
              "if [ -f \"$edit\" ]; then mv \"$edit\" \"$file\"; fi\n");
  fs::permissions(script, fs::perms::owner_all, fs::perm_options::add);
  return "TALVENOR_EDITOR='" + script.string() + " notepad' TALVENOR_PLOTTER='" +
         script.string() + " wgnuplot'";
}

/// The launches that the fakes of `folder` logged, in order.
inline std::vector<Launch> launches_of(const fs::path& folder) {
  std::vector<Launch> launches;
  std::ifstream log(fs::path(folder).concat(".launches"));
  for (std::string line; std::getline(log, line);) {
    const std::size_t first = line.find('\t');
    const std::size_t second = line.find('\t', first + 1);
    const std::string head = line.substr(0, first);
    const std::string middle = line.substr(first + 1, second - first - 1);
    const std::string tail = line.substr(second + 1);
    if (head == "launch") {
      launches.push_back({middle, tail, {}});
    } else if (!launches.empty()) {
      launches.back().folder[head] = {std::stoull(middle), tail == "0d0a"};
    }
  }
  return launches;
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

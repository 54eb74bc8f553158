// Runs the built talvenor in a scratch folder per case, editor and plotter off,
// and compares every file the run leaves there with the case's expected files,
// byte for byte. A case is a folder under cases/: in/ is copied into the
// scratch folder before the run, out/ is the whole folder expected after it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <string>

#include "system/platform.hpp"

namespace fs = std::filesystem;

namespace {

const fs::path kProgram = TALVENOR_PROGRAM;
const fs::path kCases = TALVENOR_CASES;
const fs::path kScratch = TALVENOR_SCRATCH;

std::string read_bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_bytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

/// The processing time is the one thing that differs between two runs of a case:
/// its F14.3 field is replaced by asterisks.
std::string mask_time(std::string text) {
  const std::string label = " = tempo de processamento (segundos)";
  for (std::size_t at = text.find(label); at != std::string::npos;
       at = text.find(label, at + label.size())) {
    if (at >= 14) text.replace(at - 14, 14, 14, '*');
  }
  return text;
}

/// Every regular file below `folder`, by relative path, with its bytes.
std::map<std::string, std::string> folder_files(const fs::path& folder) {
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
};

/// Runs talvenor in `folder` with the launches off, standard input from
/// `console_input`; `environment` and `arguments` go on the shell command line.
Outcome run_talvenor(const fs::path& folder, const std::string& arguments = "",
                     const std::string& environment = "", const std::string& console_input = "") {
  const fs::path input = fs::path(folder).concat(".stdin");
  const fs::path errors = fs::path(folder).concat(".stderr");
  write_bytes(input, console_input);
  const std::string command = "cd '" + folder.string() + "' && TALVENOR_EDITOR= TALVENOR_PLOTTER= " +
                              environment + " '" + kProgram.string() + "' " + arguments + " <'" +
                              input.string() + "' >/dev/null 2>'" + errors.string() + "'";
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_bytes(errors)};
}

/// A fresh scratch folder holding the case's input files.
fs::path prepare(const std::string& name) {
  const fs::path folder = kScratch / name;
  fs::remove_all(folder);
  fs::create_directories(folder);
  const fs::path in = kCases / name / "in";
  if (fs::exists(in)) fs::copy(in, folder, fs::copy_options::recursive);
  return folder;
}

void expect_folder_matches(const fs::path& folder, const fs::path& expected_folder) {
  const auto actual = folder_files(folder);
  const auto expected = folder_files(expected_folder);
  for (const auto& [name, bytes] : expected) {
    const auto found = actual.find(name);
    if (found == actual.end()) {
      ADD_FAILURE() << name << " was not written";
      continue;
    }
    EXPECT_EQ(mask_time(found->second), mask_time(bytes)) << name << " differs";
  }
  for (const auto& [name, bytes] : actual) {
    EXPECT_TRUE(expected.count(name)) << name << " was written but is not expected";
  }
}

/// One case: its folder under cases/, how often it is run in the same scratch
/// folder, and the status and standard error of the last run.
struct Case {
  std::string name;
  int runs;
  int status;
  std::string stderr_text;
};

class WholeRun : public testing::TestWithParam<Case> {};

TEST_P(WholeRun, LeavesExactlyTheExpectedFiles) {
  const Case& c = GetParam();
  const fs::path folder = prepare(c.name);
  Outcome outcome{};
  for (int run = 0; run < c.runs; ++run) outcome = run_talvenor(folder);
  EXPECT_EQ(outcome.status, c.status);
  EXPECT_EQ(outcome.stderr_text, c.stderr_text);
  expect_folder_matches(folder, kCases / c.name / "out");
}

INSTANTIATE_TEST_SUITE_P(Cases, WholeRun, testing::ValuesIn(std::vector<Case>{
    // A missing case file is left behind empty, and the first value is named.
    {"missing_case_file", 1, 1,
     "talvenor: Talvenor.in (unit 7) line 1 (caso): end of file, expected the value of caso\n"},
}),
                         [](const auto& param_info) { return param_info.param.name; });

/// A case file of the fonte 0 case at N elements, one iteration, every table off.
std::string one_iteration_case(const std::string& N) {
  return "'mesh'  caso\r\n0  esquema\r\n0  fonte\r\n" + N +
         "  N\r\n10.0  Re\r\n0.5  beta\r\n1  itmax\r\n0  graficos\r\n0  lista_coef\r\n"
         "0  lista_sol\r\n1  freq\r\n'mesh'  titulo\r\n";
}

// The largest N, 2^31 - 1, needs 2^31 nodes of 80 bytes: 163840 MiB. Without the
// check, overcommit would let the allocation succeed and the kernel would kill the
// run later, without a word.
TEST(MeshMemory, RefusesAMeshLargerThanTheMemoryAvailableBeforeWritingAnything) {
  const auto available = talvenor::available_memory();
  if (!available || *available / (1024 * 1024) >= 163840) {
    GTEST_SKIP() << "this machine could hold the largest mesh";
  }
  const fs::path folder = prepare("mesh_too_large");
  const std::string case_file = one_iteration_case("2147483647");
  write_bytes(folder / "Talvenor.in", case_file);

  const Outcome outcome = run_talvenor(folder);

  EXPECT_EQ(outcome.status, 4);
  EXPECT_TRUE(std::regex_match(
      outcome.stderr_text,
      std::regex("talvenor: the mesh of N = 2147483647 needs 163840 MiB \\(80 bytes per node\\), "
                 "only [0-9]+ MiB of memory are available\n")))
      << outcome.stderr_text;
  EXPECT_EQ(folder_files(folder), (std::map<std::string, std::string>{{"Talvenor.in", case_file}}));
}

TEST(MeshMemory, AcceptsAMeshThatFits) {
  const fs::path folder = prepare("mesh_that_fits");
  write_bytes(folder / "Talvenor.in", one_iteration_case("1000000"));

  const Outcome outcome = run_talvenor(folder);

  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.stderr_text, "");
  EXPECT_TRUE(fs::exists(folder / "mesh.itn"));
  EXPECT_TRUE(fs::exists(folder / "mesh"));
}

}  // namespace

// What the run tells the console besides its files: the warning for an iteration
// that has not converged, and the progress line drawn only on a terminal. Standard
// error is a pseudo-terminal or a file; the files must not care which.

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "e2e_support.hpp"

namespace {

using namespace e2e;

/// A value of the sample case replaced: the line that ends in "  " + name becomes
/// value + "  " + name, its line end kept.
struct Change {
  std::string name;
  std::string value;
};

/// A fresh scratch folder holding the sample case with `changes`.
fs::path sample_with(const std::string& name, const std::vector<Change>& changes) {
  const fs::path folder = kScratch / "console" / name;
  fs::remove_all(folder);
  fs::create_directories(folder);
  std::ifstream example(kCases / "example" / "in" / "Talvenor.in", std::ios::binary);
  std::ofstream out(folder / "Talvenor.in", std::ios::binary);
  for (std::string line; std::getline(example, line);) {
    const bool crlf = line.ends_with('\r');
    if (crlf) line.pop_back();
    for (const Change& change : changes) {
      const std::string label = "  " + change.name;
      if (line.size() > label.size() && line.ends_with(label)) line = change.value + label;
    }
    out << line << (crlf ? "\r\n" : "\n");
  }
  return folder;
}

/// Runs talvenor in `folder` with the launches off, standard input and output
/// /dev/null, and standard error a pseudo-terminal when `on_terminal`, else a
/// file beside the folder.
Outcome run_on_stderr(const fs::path& folder, bool on_terminal) {
  const fs::path errors = fs::path(folder).concat(".stderr");
  int reader = -1;
  int error_fd = -1;
  if (on_terminal) {
    if (openpty(&reader, &error_fd, nullptr, nullptr, nullptr) != 0) return {-1, "no pty", ""};
  } else {
    error_fd = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  }
  const pid_t child = fork();
  if (child == 0) {
    const int null = open("/dev/null", O_RDWR);
    if (chdir(folder.c_str()) != 0 || dup2(null, 0) < 0 || dup2(null, 1) < 0 ||
        dup2(error_fd, 2) < 0) {
      _exit(126);
    }
    setenv("TALVENOR_EDITOR", "", 1);
    setenv("TALVENOR_PLOTTER", "", 1);
    execl(kProgram.c_str(), kProgram.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(error_fd);
  std::string text;
  if (on_terminal) {
    // Read while the program runs; the read fails once the last writer has gone.
    char buffer[4096];
    for (ssize_t got; (got = read(reader, buffer, sizeof buffer)) > 0;) text.append(buffer, got);
    close(reader);
  }
  int status = 0;
  waitpid(child, &status, 0);
  if (!on_terminal) text = read_bytes(errors);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text, ""};
}

const std::string kWarning =
    "talvenor: warning: the iteration has not converged in 50 iterations: inclinacao(1) "
    "changed by 1.472E-03 in the last one; the listing shows its last iterate";

TEST(ConvergenceWarning, OnlyForAnIterationThatStillMoves) {
  // The example case (Re 10) oscillates for ever.
  Outcome outcome = run_on_stderr(sample_with("example", {}), false);
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.stderr_text, kWarning + "\n");

  outcome = run_on_stderr(sample_with("settles", {{"Re", "1.0"}, {"itmax", "200"}}), false);
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.stderr_text, "");

  outcome = run_on_stderr(sample_with("one_iteration", {{"itmax", "1"}}), false);
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.stderr_text, "");
}

TEST(ProgressLine, ShortRunDrawsNothingOnATerminal) {
  const Outcome outcome = run_on_stderr(sample_with("example_terminal", {}), true);
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.stderr_text, kWarning + "\r\n");  // the terminal ends lines with CR LF
}

TEST(ProgressLine, LongRunIsDrawnThenErasedAndTheFilesStayTheSame) {
  // About two seconds: a mesh of a million elements, 150 iterations.
  const std::vector<Change> long_run{
      {"N", "1000000"}, {"Re", "1.0"}, {"itmax", "150"}, {"lista_coef", "0"}, {"lista_sol", "0"}};
  const fs::path terminal = sample_with("long_terminal", long_run);
  const fs::path plain = sample_with("long_plain", long_run);
  const Outcome drawn = run_on_stderr(terminal, true);
  const Outcome quiet = run_on_stderr(plain, false);
  EXPECT_EQ(drawn.status, 0);
  EXPECT_EQ(quiet.status, 0);

  const std::string& text = drawn.stderr_text;
  ASSERT_TRUE(text.starts_with("\riteration ")) << text;
  const std::size_t last = text.rfind("\riteration ");
  const std::size_t end = text.find('\r', last + 1);
  ASSERT_NE(end, std::string::npos) << text;
  const std::string line = text.substr(last + 1, end - last - 1);
  EXPECT_TRUE(line.find(" of 150, ") != std::string::npos) << line;
  std::string erasure(line.size() + 2, ' ');  // CR, a blank over each character, CR
  erasure.front() = erasure.back() = '\r';
  EXPECT_EQ(text.substr(end, erasure.size()), erasure);
  EXPECT_EQ(quiet.stderr_text.find('\r'), std::string::npos) << quiet.stderr_text;
  // Whatever follows the erased line is what a file would have received.
  std::string after = text.substr(end + erasure.size());
  for (std::size_t at; (at = after.find("\r\n")) != std::string::npos;) after.erase(at, 1);
  EXPECT_EQ(after, quiet.stderr_text);

  auto expected = folder_files(plain);
  auto actual = folder_files(terminal);
  for (auto& [name, bytes] : expected) bytes = mask_time(bytes);
  for (auto& [name, bytes] : actual) bytes = mask_time(bytes);
  EXPECT_EQ(actual, expected);
}

}  // namespace

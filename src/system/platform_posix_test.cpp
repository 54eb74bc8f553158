// The POSIX shell side of run_command: the editor and plotter stand-ins, the
// quoting of names for sh, and the exit status of a killed child.

#include "system/platform.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "system/commands.hpp"
#include "system/scratch_folder_test.hpp"

namespace talvenor {
namespace {

/// The variables that choose the stand-ins, and PATH; set or unset for one case.
using Environment = std::map<std::string, std::optional<std::string>>;

const char* const kVariables[] = {"TALVENOR_EDITOR", "VISUAL", "EDITOR", "TALVENOR_PLOTTER",
                                  "PATH"};

void apply(const Environment& environment) {
  for (const auto& [name, value] : environment) {
    if (value) {
      setenv(name.c_str(), value->c_str(), 1);
    } else {
      unsetenv(name.c_str());
    }
  }
}

/// Runs in a scratch folder holding bin/log, a script that appends its
/// arguments, each in brackets, as one line to the file "log", and, when its
/// first argument is "stdin", what its standard input is. The variables are
/// unset at the start and restored at the end.
class StandInTest : public ScratchFolderTest {
 protected:
  void SetUp() override {
    ScratchFolderTest::SetUp();
    for (const char* name : kVariables) {
      const char* value = std::getenv(name);
      saved_[name] = value ? std::optional<std::string>(value) : std::nullopt;
      if (std::string(name) != "PATH") unsetenv(name);
    }
    std::filesystem::create_directory(folder() / "bin");
    write_script("log",
                 "{ for a in \"$@\"; do printf '[%s]' \"$a\"; done\n"
                 "  [ \"$1\" = stdin ] && printf '<%s>' \"$(readlink /proc/$$/fd/0)\"\n"
                 "  printf '\\n'; } >> " +
                     quote_argument((folder() / "log").string()) + "\n");
  }

  void TearDown() override {
    apply(saved_);
    ScratchFolderTest::TearDown();
  }

  /// An executable shell script bin/`name` with the body `body`.
  void write_script(const std::string& name, const std::string& body) {
    const std::filesystem::path path = folder() / "bin" / name;
    std::ofstream(path) << "#!/bin/sh\n" << body;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
  }

  /// The command line that runs the log script with the first argument `tag`.
  std::string logger(const std::string& tag) const {
    return quote_argument((folder() / "bin" / "log").string()) + " " + tag;
  }

  /// PATH with bin/ of the scratch folder ahead of the rest.
  std::string path_with_bin() const {
    return (folder() / "bin").string() + ":" + saved_.at("PATH").value_or("/usr/bin:/bin");
  }

 private:
  Environment saved_;
};

TEST_F(StandInTest, NotepadAndWgnuplotStandForTheProgramsTheEnvironmentNames) {
  write_script("notepadx", "exec log notepadx \"$@\"\n");
  write_script("gnuplot", "exec log gnuplot \"$@\"\n");
  const std::string path = path_with_bin();
  const std::string t = logger("T"), v = logger("V"), e = logger("E"), p = logger("P");
  struct Case {
    const char* what;
    Environment environment;
    std::string command;
    std::string log;  // empty: nothing was launched
  };
  const Case cases[] = {
      {"TALVENOR_EDITOR first",
       {{"TALVENOR_EDITOR", t}, {"VISUAL", v}, {"EDITOR", e}},
       "notepad a.txt",
       "[T][a.txt]\n"},
      {"then VISUAL", {{"VISUAL", v}, {"EDITOR", e}}, "notepad a.txt", "[V][a.txt]\n"},
      {"then EDITOR", {{"EDITOR", e}}, "notepad a.txt", "[E][a.txt]\n"},
      {"set but empty", {{"TALVENOR_EDITOR", ""}, {"VISUAL", v}}, "notepad a.txt", ""},
      {"the first set decides", {{"VISUAL", ""}, {"EDITOR", e}}, "notepad a.txt", ""},
      {"the rest follows", {{"TALVENOR_EDITOR", t}}, "notepad  a.txt b.txt", "[T][a.txt][b.txt]\n"},
      {"the word alone", {{"TALVENOR_EDITOR", t}}, "notepad", "[T]\n"},
      {"after leading blanks", {{"TALVENOR_EDITOR", t}}, "   notepad a.txt", "[T][a.txt]\n"},
      {"only the whole word",
       {{"TALVENOR_EDITOR", t}, {"PATH", path}},
       "notepadx a.txt",
       "[notepadx][a.txt]\n"},
      // Had the blanks stayed, sh would read "a\ " as the argument "a ".
      {"no trailing blanks",
       {{"TALVENOR_EDITOR", t}},
       "notepad a\\" + std::string(80, ' '),
       "[T][a\\]\n"},
      {"TALVENOR_PLOTTER", {{"TALVENOR_PLOTTER", p}}, "wgnuplot a.gnu", "[P][a.gnu]\n"},
      {"else gnuplot", {{"PATH", path}}, "wgnuplot a.gnu", "[gnuplot][-persist][a.gnu]\n"},
      {"plotter set but empty", {{"TALVENOR_PLOTTER", ""}}, "wgnuplot a.gnu", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove("log");
    for (const char* name : {"TALVENOR_EDITOR", "VISUAL", "EDITOR", "TALVENOR_PLOTTER"}) {
      unsetenv(name);
    }
    apply(c.environment);
    EXPECT_EQ(run_command(c.command), 0);
    EXPECT_EQ(read("log"), c.log);
  }
}

TEST_F(StandInTest, ThePlotterReadsNothingAndTheEditorKeepsTheInputOfTheRun) {
  // The run's input is a file here, so that /dev/null can only come from the launch.
  // This test's process keeps that input to its end.
  std::ofstream("input") << "quit\n";
  ASSERT_NE(std::freopen("input", "r", stdin), nullptr);
  setenv("TALVENOR_EDITOR", logger("stdin").c_str(), 1);
  setenv("TALVENOR_PLOTTER", logger("stdin").c_str(), 1);
  EXPECT_EQ(run_command("notepad a.txt"), 0);
  EXPECT_EQ(run_command("wgnuplot a.gnu"), 0);
  EXPECT_EQ(read("log"), "[stdin][a.txt]<" + (folder() / "input").string() + ">\n" +
                             "[stdin][a.gnu]</dev/null>\n");
}

TEST_F(StandInTest, AQuotedNameReachesTheEditorAsOneArgumentAndStartsNothing) {
  setenv("TALVENOR_EDITOR", logger("T").c_str(), 1);
  const std::vector<std::string> names = {
      "caso 1", "x;touch y", "it's",      "$HOME",      "`touch z`", "$(touch z)", "a\\b",
      "*",      "tab\there", "new\nline", "\"quoted\"", "a&b|c>d",   "a\xe7\xe3o", ""};
  std::string expected;
  for (const std::string& name : names) {
    EXPECT_EQ(run_command(editor_command(name)), 0) << name;
    expected += "[T][" + name + "]\n";
  }
  EXPECT_EQ(read("log"), expected);
  EXPECT_FALSE(std::filesystem::exists("y"));
  EXPECT_FALSE(std::filesystem::exists("z"));
  EXPECT_FALSE(std::filesystem::exists("d"));
}

TEST(QuoteArgumentPosix, UsesSingleQuotes) {
  const std::pair<const char*, const char*> cases[] = {
      {"caso 1", "'caso 1'"},
      {"it's", "'it'\\''s'"},
      {"", "''"},
      {"x;touch y", "'x;touch y'"},
  };
  for (const auto& [name, quoted] : cases) EXPECT_EQ(quote_argument(name), quoted);
}

TEST(RunCommandPosix, AChildKilledByASignalGives128PlusItsNumber) {
  EXPECT_EQ(run_command("kill -KILL $$"), 128 + 9);
  EXPECT_EQ(run_command("kill -TERM $$"), 128 + 15);
}

}  // namespace
}  // namespace talvenor

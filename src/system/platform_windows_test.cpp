// The Windows side of run_command: the interpreter named by COMSPEC, and the
// quoting of names for cmd.exe.

#include "system/platform.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace talvenor {
namespace {

/// Sets COMSPEC for one test and restores it afterwards (an empty value unsets it).
class ComspecTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* value = std::getenv("COMSPEC")) saved_ = value;
  }
  void TearDown() override { _putenv_s("COMSPEC", saved_.value_or("").c_str()); }
  static void set(const std::string& value) { _putenv_s("COMSPEC", value.c_str()); }

 private:
  std::optional<std::string> saved_;
};

TEST_F(ComspecTest, MissingMeansCmdExe) {
  set("");
  EXPECT_EQ(run_command("exit 3"), 3);
}

TEST_F(ComspecTest, AnInterpreterThatCannotStartGivesMinusOne) {
  set("no-such-interpreter.exe");
  EXPECT_EQ(run_command("exit 3"), -1);
}

TEST_F(ComspecTest, ANameLongerThan260CharactersGivesMinusOne) {
  set(std::string(261, 'a'));
  EXPECT_EQ(run_command("exit 3"), -1);
}

TEST(QuoteArgumentWindows, UsesDoubleQuotesAndKeepsPercentSignsOutOfThem) {
  const std::pair<const char*, const char*> cases[] = {
      {"caso 1", "\"caso 1\""},
      {"x&echo y", "\"x&echo y\""},
      {"", "\"\""},
      {"50%", "\"50\"%\"\""},
      {"a%PATH%b", "\"a\"%\"PATH\"%\"b\""},
      {"C:\\dir\\", "\"C:\\dir\\\\\""},  // a backslash ahead of the closing quote
      {"a\\%b", "\"a\\\\\"%\"b\""},      // and ahead of the quote before a %
      {"C:\\a b\\c", "\"C:\\a b\\c\""},  // other backslashes stay single
  };
  for (const auto& [name, quoted] : cases) EXPECT_EQ(quote_argument(name), quoted) << name;
}

TEST(EditorArgumentWindows, QuotesOnlyANameHoldingACharacterCmdActsOn) {
  const std::pair<const char*, const char*> cases[] = {
      {"caso 1.itn", "caso 1.itn"},  // notepad takes its whole tail as the name
      {"C:\\a b\\", "C:\\a b\\"},
      {"a&calc", "\"a&calc\""},
      {"a|b", "\"a|b\""},
      {"(a)", "\"(a)\""},
      {"50%", "\"50\"%\"\""},
  };
  for (const auto& [name, argument] : cases) EXPECT_EQ(editor_argument(name), argument) << name;
}

}  // namespace
}  // namespace talvenor

#include "system/commands.hpp"

#include <gtest/gtest.h>

#include <string>

#include "system/platform.hpp"

namespace talvenor {
namespace {

TEST(EditorCommand, PadsThePlainCommandTo90Characters) {
  EXPECT_EQ(editor_command("teste1.txt.itn"), "notepad teste1.txt.itn" + std::string(68, ' '));
  EXPECT_EQ(editor_command("Talvenor.in").size(), 90u);
}

TEST(EditorCommand, QuotesANameThatNeedsIt) {
  const std::string command = "notepad " + editor_argument("a&b");
  EXPECT_EQ(editor_command("a&b"), command + std::string(90 - command.size(), ' '));
}

TEST(EditorCommand, KeepsALongNameWhole) {
  const std::string name(100, 'a');
  EXPECT_EQ(editor_command(name), "notepad " + name);
}

}  // namespace
}  // namespace talvenor

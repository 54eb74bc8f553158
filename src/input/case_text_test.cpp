// Titles typed in UTF-8 reach the Windows-1252 files converted; those already in
// Windows-1252 (or plain ASCII) pass unchanged.

#include "input/case_text.hpp"

#include <gtest/gtest.h>

#include <string>

namespace talvenor {
namespace {

TEST(CaseText, UTF8IsConvertedAndWindows1252Kept) {
  struct Case {
    const char* what;
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {"ASCII", "Teste com N = 20", "Teste com N = 20"},
      {"UTF-8 letters", "Solu\xC3\xA7\xC3\xA3o t\xC3\xADtulo", "Solu\xE7\xE3o t\xEDtulo"},
      {"UTF-8 signs at 0x80 to 0x9F", "\xE2\x82\xAC \xE2\x80\x93 \xC5\xB8", "\x80 \x96 \x9F"},
      {"no Windows-1252 form", "a \xE2\x9C\x93 \xC4\x80 \xF0\x9F\x98\x80 b", "a ? ? ? b"},
      {"a C1 control has none", "\xC2\x81", "?"},
      {"Windows-1252 already", "Solu\xE7\xE3o t\xEDtulo \x80", "Solu\xE7\xE3o t\xEDtulo \x80"},
      {"UTF-8 cut short at the end", "a\xC3\xA7\xC3", "a\xC3\xA7\xC3"},
      {"overlong form", "\xC1\x81", "\xC1\x81"},
      {"surrogate", "\xED\xA0\x80", "\xED\xA0\x80"},
      {"empty", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(case_text_in_windows_1252(c.text), c.expected) << c.what;
  }
}

}  // namespace
}  // namespace talvenor

// What a first run on Linux meets: no editor variable and no terminal, and a title
// typed in UTF-8 for files written in Windows-1252.

#include <gtest/gtest.h>

#include <string>

#include "e2e_support.hpp"

namespace {

using namespace e2e;

const fs::path kExample = kCases / "example";
const std::string kExampleTitle = "Teste com N = 20";

/// A scratch folder holding the sample case with its title replaced by `title`.
fs::path example_folder(const std::string& name, const std::string& title = kExampleTitle) {
  const fs::path folder = kScratch / name;
  fs::remove_all(folder);
  fs::create_directories(folder);
  std::string text = read_bytes(kExample / "in" / "Talvenor.in");
  text.replace(text.find(kExampleTitle), kExampleTitle.size(), title);
  write_bytes(folder / "Talvenor.in", text);
  return folder;
}

/// `text` with every `from` replaced by `to`.
std::string replaced(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

TEST(Launch, NoEditorVariableAndNoTerminalNotesItOnceAndWritesTheSameFiles) {
  const Outcome batch = run_talvenor(example_folder("editor_off"));
  const fs::path folder = example_folder("no_editor_variable");
  const Outcome outcome = run_talvenor(folder, "", "env -u TALVENOR_EDITOR -u VISUAL -u EDITOR");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.stderr_text,
            "talvenor: note: no editor is started: TALVENOR_EDITOR, VISUAL and EDITOR are unset"
            " and there is no terminal\n" +
                batch.stderr_text);
  EXPECT_EQ(mask_time(read_bytes(folder / "teste1.txt")),
            mask_time(read_bytes(kExample / "out" / "teste1.txt")));
  EXPECT_EQ(read_bytes(folder / "teste1.txt.itn"), read_bytes(kExample / "out" / "teste1.txt.itn"));
}

TEST(Encoding, TheTitleReachesTheListingInWindows1252) {
  struct Case {
    const char* what;
    std::string in_case_file;  // 16 characters, as long as the sample's title
    std::string in_listing;
  };
  const Case cases[] = {
      {"UTF-8, converted", "A\xC3\xA7\xC3\xA3o \xE2\x80\x93 N = 20 \xE2\x9C\x93!",
       "A\xE7\xE3o \x96 N = 20 ?!"},
      {"Windows-1252, as it is", "T\xEDtulo: a\xE7\xE3o 20!", "T\xEDtulo: a\xE7\xE3o 20!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(c.in_listing.size(), kExampleTitle.size());
    const fs::path folder = example_folder("title", c.in_case_file);
    ASSERT_EQ(run_talvenor(folder).status, 0);
    const std::string expected = read_bytes(kExample / "out" / "teste1.txt");
    EXPECT_EQ(mask_time(read_bytes(folder / "teste1.txt")),
              mask_time(replaced(expected, kExampleTitle, c.in_listing)));
    EXPECT_EQ(read_bytes(folder / "teste1.txt.itn"),
              read_bytes(kExample / "out" / "teste1.txt.itn"));
  }
}

}  // namespace

#include "textio/text_file.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "system/error.hpp"
#include "textio/test_support.hpp"

namespace talvenor {
namespace {

using testing::file_bytes;
using testing::put_file;

/// The message of the Error (file) that `action` throws, or "" when it throws none.
template <typename Action>
std::string file_error(Action action) {
  try {
    action();
  } catch (const Error& error) {
    EXPECT_EQ(error.kind(), Error::Kind::file);
    return error.what();
  }
  return "";
}

class TextFileTest : public ::testing::Test {
 protected:
  testing::ScratchDir scratch_;
  const std::string path_ = scratch_.file("out.txt");
};

TEST_F(TextFileTest, EveryRecordEndsWithCrLf) {
  TextFile file(path_, 10, "listing");
  file.write_record("a");
  file.write_record("");
  file.write_record("b c  ");
  file.close();
  EXPECT_EQ(file_bytes(path_), "a\r\n\r\nb c  \r\n");
}

TEST_F(TextFileTest, WritingFromTheStartReplacesTheFileWhole) {
  put_file(path_, "an older and much longer content\r\nsecond line\r\n");
  TextFile file(path_, 10, "listing");
  file.write_record("x");
  file.close();
  EXPECT_EQ(file_bytes(path_), "x\r\n");
}

TEST_F(TextFileTest, FlushHandsOverWhatIsBuffered) {
  TextFile file(path_, 10, "listing");
  file.write_record("first");
  EXPECT_EQ(file_bytes(path_), "");
  file.flush();
  EXPECT_EQ(file_bytes(path_), "first\r\n");
  file.close();
}

TEST_F(TextFileTest, OnlyWholeRecordsReachTheFile) {
  TextFile file(path_, 10, "listing");
  std::string expected;
  for (int i = 0; i < 40000; ++i) {
    const std::string record(static_cast<std::size_t>(i % 97), static_cast<char>('a' + i % 26));
    file.write_record(record);
    expected += record + "\r\n";
    if (i % 5000 == 4999) {
      const std::string on_disk = file_bytes(path_);
      ASSERT_FALSE(on_disk.empty());
      EXPECT_EQ(on_disk, expected.substr(0, on_disk.size()));
      EXPECT_EQ(on_disk.substr(on_disk.size() - 2), "\r\n");
    }
  }
  file.close();
  EXPECT_EQ(file_bytes(path_), expected);
}

TEST_F(TextFileTest, MovedFileKeepsWriting) {
  TextFile first(path_, 10, "listing");
  first.write_record("one");
  TextFile second(std::move(first));
  second.write_record("two");
  second.close();
  EXPECT_EQ(file_bytes(path_), "one\r\ntwo\r\n");
}

TEST_F(TextFileTest, AfterLinesKeepsTheBytesOfTheLinesRead) {
  const struct {
    const char* name;
    std::string before;
    int keep;
    std::string after;
  } cases[] = {
      {"CR LF", "l1\r\nl2\r\nl3\r\nold title\r\nold replot\r\n", 3,
       "l1\r\nl2\r\nl3\r\nnew1\r\nnew2\r\n"},
      {"LF", "l1\nl2\nl3\nold title\nold replot\n", 3, "l1\nl2\nl3\nnew1\r\nnew2\r\n"},
      {"mixed", "l1\r\nl2\nl3\r\n", 2, "l1\r\nl2\nnew1\r\nnew2\r\n"},
      {"exactly", "l1\nl2\n", 2, "l1\nl2\nnew1\r\nnew2\r\n"},
      {"no last end", "l1\nl2", 2, "l1\nl2\r\nnew1\r\nnew2\r\n"},
      {"lone CR", "a\rb\nc\n", 1, "a\rb\nnew1\r\nnew2\r\n"},
      {"none kept", "abc\n", 0, "new1\r\nnew2\r\n"},
      {"long lines", std::string(5000, 'x') + "\n" + std::string(5000, 'y') + "\nold\n", 2,
       std::string(5000, 'x') + "\n" + std::string(5000, 'y') + "\nnew1\r\nnew2\r\n"},
  };
  for (const auto& c : cases) {
    put_file(path_, c.before);
    TextFile file = TextFile::after_lines(path_, 11, "plot template", c.keep);
    file.write_record("new1");
    file.write_record("new2");
    file.close();
    EXPECT_EQ(file_bytes(path_), c.after) << c.name;
  }
}

TEST_F(TextFileTest, AfterLinesTwiceGivesTheSameFile) {
  put_file(path_, "1\n2\n3\n4\n5\n6\n");
  for (int run = 0; run < 2; ++run) {
    TextFile file = TextFile::after_lines(path_, 11, "plot template", 6);
    file.write_record(" set title 'x'");
    file.write_record(" replot");
    file.close();
    EXPECT_EQ(file_bytes(path_), "1\n2\n3\n4\n5\n6\n set title 'x'\r\n replot\r\n") << run;
  }
}

TEST_F(TextFileTest, TemplateWithTooFewLines) {
  for (const std::string content : {"l1\nl2\nl3\n", "l1\nl2\nl3"}) {
    put_file(path_, content);
    EXPECT_EQ(file_error([&] { TextFile::after_lines(path_, 11, "plot template", 8); }),
              "cannot use the plot template '" + path_ +
                  "' (unit 11): expected at least 8 lines, found 3");
    EXPECT_EQ(file_bytes(path_), content);
  }
}

TEST_F(TextFileTest, MissingTemplateIsCreatedEmptyAndHasNoLines) {
  EXPECT_EQ(file_error([&] { TextFile::after_lines(path_, 11, "plot template", 6); }),
            "cannot use the plot template '" + path_ +
                "' (unit 11): expected at least 6 lines, found 0");
  EXPECT_TRUE(std::filesystem::exists(path_));
  EXPECT_EQ(std::filesystem::file_size(path_), 0u);
}

TEST_F(TextFileTest, ReplacingLeavesThePlaceAsItWasUntilClosed) {
  const std::string replacement = path_ + ".talvenor-new";
  for (const bool existed : {false, true}) {
    if (existed) put_file(path_, "old\r\n");
    {
      // Destroyed without close(), as when an interruption or a full disk stops the writing.
      TextFile file = TextFile::replacing(path_, 12, "study table");
      file.write_record("new");
      file.flush();
      EXPECT_EQ(std::filesystem::exists(path_), existed);
    }
    EXPECT_EQ(std::filesystem::exists(path_), existed);
    EXPECT_EQ(file_bytes(path_), existed ? "old\r\n" : "");
    EXPECT_FALSE(std::filesystem::exists(replacement));
  }
  TextFile file = TextFile::replacing(path_, 12, "study table");
  file.write_record("new");
  file.close();
  EXPECT_EQ(file_bytes(path_), "new\r\n");
  EXPECT_FALSE(std::filesystem::exists(replacement));
}

TEST_F(TextFileTest, OpenFailuresNameRoleFileAndUnit) {
  const std::string missing = scratch_.file("nodir/x.txt");
  EXPECT_EQ(file_error([&] { TextFile(missing, 10, "listing"); }),
            "cannot open the listing '" + missing + "' (unit 10): No such file or directory");
  EXPECT_EQ(file_error([&] { TextFile::after_lines(missing, 11, "plot template", 8); }),
            "cannot open the plot template '" + missing + "' (unit 11): No such file or directory");
}

TEST(TextFileDeviceFull, WriteFailuresNameRoleFileAndUnit) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  const std::string message =
      "cannot write the listing '/dev/full' (unit 10): No space left on device";
  {
    TextFile file("/dev/full", 10, "listing");
    file.write_record("x");
    EXPECT_EQ(file_error([&] { file.flush(); }), message);
  }
  {
    TextFile file("/dev/full", 10, "listing");
    file.write_record("x");
    EXPECT_EQ(file_error([&] { file.close(); }), message);
    EXPECT_THROW(file.write_record("y"), std::logic_error);
  }
  // Unwinding: the destructor swallows the failure of its last hand-over.
  EXPECT_NO_THROW({
    TextFile file("/dev/full", 10, "listing");
    file.write_record("x");
  });
}

}  // namespace
}  // namespace talvenor

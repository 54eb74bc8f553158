// The run driver seen from outside: the launches and their order, the processing
// time, the listing replaced whole, and the name of the listing for a blank caso.

#include <gtest/gtest.h>

#include <string>

#include "e2e_support.hpp"

namespace {

using namespace e2e;

/// A scratch folder holding the sample case with `caso` and `itmax` replaced, and
/// a fake editor, editor.sh, that logs each file it is asked to show to launches.log
/// and then sleeps for `sleep` seconds.
fs::path sample_folder(const std::string& name, const std::string& caso = "'teste1.txt'",
                       const std::string& sleep = "0") {
  const fs::path folder = kScratch / name;
  fs::remove_all(folder);
  fs::create_directories(folder);
  std::string text = read_bytes(kCases / "example" / "in" / "Talvenor.in");
  text.replace(0, text.find("  caso"), caso);
  write_bytes(folder / "Talvenor.in", text);
  write_bytes(folder / "editor.sh",
              "#!/bin/sh\nprintf '%s\\n' \"$*\" >> launches.log\nsleep " + sleep + "\n");
  fs::permissions(folder / "editor.sh", fs::perms::owner_all, fs::perm_options::add);
  return folder;
}

std::string editor(const fs::path& folder) {
  return "TALVENOR_EDITOR='" + (folder / "editor.sh").string() + "'";
}

/// The processing time that the listing reports, in seconds.
double reported_time(const std::string& listing) {
  const std::size_t at = listing.find(" = tempo de processamento (segundos)");
  return std::stod(listing.substr(at - 14, 14));
}

TEST(Driver, ShowsTheCaseTheLogAndTheListingInThatOrder) {
  const fs::path folder = sample_folder("launches");
  const Outcome outcome = run_talvenor(folder, "", editor(folder));
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(read_bytes(folder / "launches.log"), "Talvenor.in\nteste1.txt.itn\nteste1.txt\n");
  EXPECT_EQ(mask_time(read_bytes(folder / "teste1.txt")),
            mask_time(read_bytes(kCases / "example" / "out" / "teste1.txt")));
}

TEST(Driver, ProcessingTimeLeavesOutTheEditor) {
  const fs::path folder = sample_folder("sleeping_editor", "'teste1.txt'", "1");
  ASSERT_EQ(run_talvenor(folder, "", editor(folder)).status, 0);
  EXPECT_EQ(read_bytes(folder / "launches.log"), "Talvenor.in\nteste1.txt.itn\nteste1.txt\n");
  EXPECT_LT(reported_time(read_bytes(folder / "teste1.txt")), 0.5);
}

TEST(Driver, AnEditorThatCannotStartChangesNothing) {
  const fs::path folder = sample_folder("missing_editor");
  const Outcome outcome = run_talvenor(folder, "", "TALVENOR_EDITOR=/no/such/editor");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(mask_time(read_bytes(folder / "teste1.txt")),
            mask_time(read_bytes(kCases / "example" / "out" / "teste1.txt")));
}

TEST(Driver, ReplacesAnEarlierListingWhole) {
  const fs::path folder = sample_folder("replaced");
  write_bytes(folder / "teste1.txt", std::string(100000, 'x'));
  write_bytes(folder / "teste1.txt.itn", std::string(100000, 'y'));
  ASSERT_EQ(run_talvenor(folder).status, 0);
  EXPECT_EQ(mask_time(read_bytes(folder / "teste1.txt")),
            mask_time(read_bytes(kCases / "example" / "out" / "teste1.txt")));
  EXPECT_EQ(read_bytes(folder / "teste1.txt.itn"),
            read_bytes(kCases / "example" / "out" / "teste1.txt.itn"));
}

const std::string kQuestion = "File name missing or blank - please enter file name\nUNIT 10? ";

TEST(BlankCaso, TheArgumentNamesTheListing) {
  const fs::path folder = sample_folder("blank_argument", "'  '");
  const Outcome outcome = run_talvenor(folder, "named.lst", editor(folder));
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.stdout_text, "");
  EXPECT_TRUE(fs::exists(folder / "named.lst"));
  EXPECT_TRUE(fs::exists(folder / ".itn"));  // the log is named by caso alone
  EXPECT_EQ(read_bytes(folder / "launches.log"), "Talvenor.in\n.itn\nnamed.lst\n");
}

TEST(BlankCaso, TheConsoleIsAskedUntilItAnswers) {
  const fs::path folder = sample_folder("blank_console", "' '");
  const Outcome outcome = run_talvenor(folder, "", "", "\n\r\nasked.lst\r\n");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.stdout_text, kQuestion + kQuestion + kQuestion);
  EXPECT_TRUE(fs::exists(folder / "asked.lst"));
}

TEST(BlankCaso, EndOfInputStopsTheRun) {
  const fs::path folder = sample_folder("blank_eof", "''");
  const Outcome outcome = run_talvenor(folder, "", "", "\n");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.stdout_text, kQuestion + kQuestion);
  EXPECT_EQ(outcome.stderr_text,
            "talvenor: caso is blank and no name for the listing (unit 10) was given on the "
            "console\n");
  EXPECT_FALSE(fs::exists(folder / ".itn"));
}

}  // namespace

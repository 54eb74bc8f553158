// The exit statuses as the help texts, the manual pages and the user guide's status
// table give them, against the one list of them (system/exit_status.hpp): a status
// documented in one place and not in another fails here.

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "app/help.hpp"
#include "study/options.hpp"
#include "system/exit_status.hpp"

namespace talvenor {
namespace {

std::string source_file(const std::string& path) {
  std::ifstream in(std::string(TALVENOR_SOURCE_DIR) + "/" + path, std::ios::binary);
  EXPECT_TRUE(in) << path;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::set<int> statuses_of(unsigned program) {
  std::set<int> numbers;
  for (const ExitStatus& status : kExitStatuses) {
    if (status.programs & program) numbers.insert(status.number);
  }
  return numbers;
}

/// The one-digit numbers that `pattern`'s first group matches in `text`.
std::set<int> numbers_in(const std::string& text, const std::string& pattern) {
  std::set<int> numbers;
  const std::regex expression(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), expression);
       it != std::sregex_iterator(); ++it) {
    numbers.insert(std::stoi((*it)[1].str()));
  }
  return numbers;
}

/// The statuses of a help text: the digits of its paragraph "Exit status: 0 ..., 1 ...".
std::set<int> help_statuses(std::string_view help) {
  const std::string text(help);
  const std::size_t start = text.find("Exit status:");
  EXPECT_NE(start, std::string::npos);
  const std::size_t end = text.find("\n\n", start);
  return numbers_in(text.substr(start, end - start), "(?:^|[ \\n])([0-9]) ");
}

/// The statuses of a manual page: the ".B n" items of its EXIT STATUS section.
std::set<int> manual_statuses(const std::string& page) {
  const std::string text = source_file(page);
  const std::size_t start = text.find(".SH EXIT STATUS");
  EXPECT_NE(start, std::string::npos) << page;
  const std::size_t end = text.find(".SH", start + 1);
  return numbers_in(text.substr(start, end - start), "\\n\\.B ([0-9])\\n");
}

TEST(ExitStatusDocs, HelpTextsListTheStatusesOfTheirProgram) {
  EXPECT_EQ(help_statuses(kTalvenorHelp), statuses_of(kTalvenorBit));
  EXPECT_EQ(help_statuses(help_text()), statuses_of(kStudyBit));
}

TEST(ExitStatusDocs, ManualPagesListTheStatusesOfTheirProgram) {
  EXPECT_EQ(manual_statuses("man/talvenor.1"), statuses_of(kTalvenorBit));
  EXPECT_EQ(manual_statuses("man/talvenor-study.1"), statuses_of(kStudyBit));
}

TEST(ExitStatusDocs, TheGuidesTableHasARowPerStatusAndTheFailuresUseThem) {
  const std::string guide = source_file("docs/failures.md");
  // | 3 | file | meaning | yes | yes |
  const std::regex row("\\n\\| ([0-9]) \\| `([a-z_]+)` \\| [^|]+ \\| (yes|no) \\| (yes|no) \\|");
  std::set<int> rows;
  for (auto it = std::sregex_iterator(guide.begin(), guide.end(), row);
       it != std::sregex_iterator(); ++it) {
    const ExitStatus& status = kExitStatuses.at(std::stoul((*it)[1].str()));
    rows.insert(status.number);
    EXPECT_EQ((*it)[2].str(), status.name);
    EXPECT_EQ((*it)[3].str() == "yes", (status.programs & kTalvenorBit) != 0) << status.number;
    EXPECT_EQ((*it)[4].str() == "yes", (status.programs & kStudyBit) != 0) << status.number;
  }
  EXPECT_EQ(rows, statuses_of(kBothBits));
  // The failure table's Status column: | condition | message | 3 | left on disk |
  const std::set<int> used = numbers_in(guide, "\\n\\|[^\\n]*\\| ([0-9]) \\| [^\\n]*\\|(?=\\n)");
  for (const int number : used) {
    EXPECT_NE(statuses_of(kBothBits).count(number), 0u) << number;
  }
}

}  // namespace
}  // namespace talvenor

#include "study_reports/junit.hpp"

#include "study_reports/markup.hpp"
#include "textio/number_format.hpp"
#include "textio/shortest_text.hpp"

namespace talvenor {
namespace {

VerdictOutcome outcome(const JunitCell& cell, Requirement requirement) {
  return gate_outcome(cell.verdict, requirement);
}

/// What a cell that is neither passed nor failed says: "refine: add N = 80, 160".
std::string skip_reason(const JunitCell& cell) {
  if (!cell.verdict) return cell.no_verdict;
  const std::string name(verdict_name(cell.verdict->kind));
  return cell.verdict->reason.empty() ? name : name + ": " + cell.verdict->reason;
}

std::string testcase(const JunitCell& cell, Requirement requirement) {
  const std::string head =
      open_tag("testcase", {{"name", cell.name}, {"classname", "talvenor-study"}, {"time", "0"}});
  switch (outcome(cell, requirement)) {
    case VerdictOutcome::pass:
      return head + "</testcase>";
    case VerdictOutcome::fail: {
      if (!cell.verdict || cell.verdict->kind != VerdictKind::failed) {
        // An open cell where the gate asks for verified.
        const std::string name(cell.verdict ? verdict_name(cell.verdict->kind) : "no verdict");
        return head +
               text_element("failure", {{"message", name + ", verified required"}, {"type", name}},
                            cell.verdict ? cell.verdict->reason : cell.no_verdict) +
               "</testcase>";
      }
      const Verdict& verdict = *cell.verdict;
      const std::string message =
          (verdict.order ? "observed order " + fixed_text(*verdict.order, 3) : "no observed order") +
          ", formal order " + shortest(cell.formal);
      return head +
             text_element("failure", {{"message", message}, {"type", "FAILED"}}, verdict.reason) +
             "</testcase>";
    }
    case VerdictOutcome::open:
      break;
  }
  return head + empty_element("skipped", {{"message", skip_reason(cell)}}) + "</testcase>";
}

}  // namespace

std::vector<std::string> junit_records(std::string_view suite, std::span<const JunitCell> cells,
                                       Requirement requirement) {
  std::size_t failures = 0;
  std::size_t skipped = 0;
  for (const JunitCell& cell : cells) {
    failures += outcome(cell, requirement) == VerdictOutcome::fail ? 1 : 0;
    skipped += outcome(cell, requirement) == VerdictOutcome::open ? 1 : 0;
  }
  std::vector<std::string> records = {
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
      open_tag("testsuite", {{"name", std::string(suite)},
                             {"tests", std::to_string(cells.size())},
                             {"failures", std::to_string(failures)},
                             {"errors", "0"},
                             {"skipped", std::to_string(skipped)},
                             {"time", "0"}})};
  for (const JunitCell& cell : cells) records.push_back(testcase(cell, requirement));
  records.emplace_back("</testsuite>");
  return records;
}

}  // namespace talvenor

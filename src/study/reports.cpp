#include "study/reports.hpp"

#include <array>
#include <cstdio>

#include "study/analyse.hpp"
#include "study/study_files.hpp"
#include "study_reports/audit_report.hpp"
#include "study_reports/campaign_report.hpp"
#include "study_reports/html_report.hpp"
#include "study_reports/junit.hpp"
#include "study_reports/paper_table.hpp"
#include "study_reports/plot_script.hpp"
#include "study_reports/report.hpp"
#include "system/console.hpp"
#include "system/error.hpp"
#include "system/platform.hpp"
#include "system/program.hpp"
#include "textio/code_page.hpp"
#include "textio/shortest_text.hpp"
#include "textio/text_helpers.hpp"

namespace talvenor {
namespace {

constexpr unsigned kOwnCharts = kCaseStudy | kDataStudy;  ///< the studies of one group

const std::vector<VariableStudy>& studies_of(const StudyOutcome& outcome) {
  return outcome.groups.front().studies;
}

/// The label of a group: a combination's values, or the study's subject.
std::string label_of(const StudyOutcome& outcome, const Combination& group) {
  return outcome.mode == kCampaign ? combination_label(group.case_values) : outcome.subject;
}

/// A label per group.
std::vector<std::string> labels(const StudyOutcome& outcome) {
  std::vector<std::string> names;
  for (const Combination& group : outcome.groups) names.push_back(label_of(outcome, group));
  return names;
}

/// The campaign's CSV records: its head, then each combination's block, made in the
/// pool when the campaign ran there.
std::vector<std::string> campaign_records(const StudyOutcome& outcome) {
  if (outcome.finished.empty()) return campaign_csv_records(outcome.groups);
  std::vector<std::string> records = {campaign_csv_header()};
  for (const FinishedGroup& finished : outcome.finished) {
    if (!finished.csv.empty()) records.push_back(finished.csv);
  }
  return records;
}

PlotTitles plot_titles(const StudyOutcome& outcome) {
  if (outcome.mode == kDataStudy) return {outcome.subject, outcome.subject, false};
  return case_plot_titles(outcome.base, outcome.method);
}

HtmlPage html_page(const StudyOutcome& outcome) {
  HtmlPage page{outcome.title, {}, labels(outcome), outcome.judged, outcome.has_errors};
  if (outcome.mode == kDataStudy) {
    page.paragraphs = {outcome.data_head};
  } else {
    page.paragraphs = {
        utf8_from_windows_1252(outcome.base.titulo.trimmed()),
        campaign_summary(outcome.base, outcome.meshes, outcome.method, outcome.groups.size()) +
            "."};
  }
  return page;
}

/// The HTML report, its sections made in the pool when the campaign ran there.
std::vector<std::string> html_records(const StudyOutcome& outcome) {
  std::vector<std::string> sections;
  for (const FinishedGroup& finished : outcome.finished) sections.push_back(finished.html);
  return html_report_records(html_page(outcome), outcome.groups, outcome.audit, sections);
}

/// The JUnit cells: each group's variables, "LABEL: VARIABLE" in a campaign.
std::vector<JunitCell> junit_cells(const StudyOutcome& outcome) {
  const std::string none = outcome.has_errors
                               ? "no verdict: --formal-order gives the order to judge against"
                               : "no exact values: no error to judge";
  std::vector<JunitCell> cells;
  const std::vector<std::string> names = labels(outcome);
  for (std::size_t c = 0; c < outcome.groups.size(); ++c) {
    const Combination& group = outcome.groups[c];
    for (std::size_t v = 0; v < group.studies.size(); ++v) {
      cells.push_back({(outcome.mode == kCampaign ? names[c] + ": " : "") + group.studies[v].name,
                       outcome.judged ? std::optional<Verdict>(group.verdicts[v]) : std::nullopt,
                       group.formal, outcome.mode == kCampaign ? std::string() : none});
    }
  }
  return cells;
}

std::vector<std::vector<std::string>> paper(const StudyOutcome& outcome) {
  return paper_cells(outcome.groups, labels(outcome));
}

bool always(const StudyOutcome&) {
  return true;
}

const std::array<Report, 9> kReports = {{
    {".csv", "study table", kOwnCharts, "the table with full 17-digit numbers and the notes",
     always, [](const StudyOutcome& o) { return csv_records(studies_of(o)); }},
    {".csv", "campaign table", kCampaign,
     "every row of every study, the combination first and the verdict last", always,
     campaign_records},
    {"-estimators.csv", "estimators table", kEveryStudy,
     "the audit of the estimators against the exact errors (a data study: with exact values)",
     [](const StudyOutcome& o) { return o.has_errors; },
     [](const StudyOutcome& o) { return audit_csv_records(o.audit); }},
    {".gnu", "study plot script", kOwnCharts,
     "a gnuplot script of |E| (or of the differences) against h on log-log axes, reference"
     " slopes 1 and 2, flagged points hollow",
     always,
     [](const StudyOutcome& o) {
       return plot_script_records(plot_titles(o), studies_of(o), o.prefix + ".png");
     }},
    {".png", "study plot", kOwnCharts, "the picture of the script, drawn when gnuplot can be run",
     always, nullptr},
    {".html", "HTML report", kCampaign | kDataStudy,
     "the verdict matrix, the audit and a log-log plot per combination, for any browser,"
     " offline",
     always,
     html_records},
    {".md", "Markdown table", kEveryStudy,
     "with --table markdown: per variable the orders, Richardson value, uncertainties and"
     " verdict, ready to paste",
     [](const StudyOutcome& o) { return o.table == PaperTable::markdown; },
     [](const StudyOutcome& o) { return markdown_records(paper(o)); }},
    {".tex", "LaTeX table", kEveryStudy, "with --table latex: the same table as a LaTeX tabular",
     [](const StudyOutcome& o) { return o.table == PaperTable::latex; },
     [](const StudyOutcome& o) { return latex_records(paper(o)); }},
    {"", "JUnit report", kCampaign | kDataStudy,
     "the file of --junit: the verdicts, a test case per cell, for a CI server",
     [](const StudyOutcome& o) { return o.junit.has_value(); },
     [](const StudyOutcome& o) { return junit_records(o.title, junit_cells(o)); }},
}};

std::string path_of(const Report& report, const StudyOutcome& outcome) {
  return report.suffix.empty() ? *outcome.junit : outcome.prefix + std::string(report.suffix);
}

bool in_study(const Report& report, const StudyOutcome& outcome) {
  return (report.modes & outcome.mode) != 0 && report.wanted(outcome);
}

/// The table of the standard output, with the audit where errors exist.
std::string console_text(const StudyOutcome& outcome) {
  const std::vector<Verdict>& verdicts = outcome.groups.front().verdicts;
  switch (outcome.mode) {
    case kCampaign:
      return campaign_table(outcome.base, outcome.meshes, outcome.method, outcome.groups) +
             audit_text(outcome.audit, outcome.prefix + ".html");
    case kDataStudy:
      return data_table(outcome.data_head, studies_of(outcome), verdicts, outcome.formal_known) +
             (outcome.has_errors ? audit_text(outcome.audit, "") : "");
    default:
      return study_table(outcome.base, outcome.method, studies_of(outcome)) +
             audit_text(outcome.audit, "");
  }
}

/// Error (verification) when a cell is FAILED, after every file is written.
void gate(const StudyOutcome& outcome) {
  const VerdictCounts counts = tally(outcome.groups);
  const std::size_t failed = count_of(counts, VerdictKind::failed);
  if (failed == 0) return;
  std::size_t cells = 0;
  for (const std::size_t count : counts) cells += count;
  const std::string reason = std::to_string(failed) + " of the " + std::to_string(cells);
  throw Error(Error::Kind::verification,
              outcome.mode == kCampaign
                  ? reason +
                        " cells FAILED: their orders do not approach the formal order; the"
                        " table gives each reason, " +
                        outcome.prefix + ".html the plots"
                  : reason + " variables FAILED: their orders do not approach the formal order " +
                        shortest(outcome.groups.front().formal) + "; the table gives each reason");
}

/// The warning of a study of talvenor's case whose meshes are in trouble.
void warn_troubled(const StudyOutcome& outcome) {
  const std::size_t troubled = troubled_meshes(studies_of(outcome));
  if (outcome.mode != kCaseStudy || troubled == 0) return;
  warn(std::to_string(troubled) + " of the " + std::to_string(outcome.meshes.size()) +
       " meshes diverged or are not iteratively converged; the table ends with the details");
}

}  // namespace

FinishedGroup finish_group(const StudyOutcome& outcome, std::size_t index, Combination& group) {
  FinishedGroup finished{judge_group(outcome, group), {}, {}};
  finished.csv = campaign_csv_block(group);
  finished.html = html_section(group, label_of(outcome, group), outcome.has_errors, index);
  return finished;
}

std::span<const Report> reports() {
  return kReports;
}

void check_reports(const StudyOutcome& outcome, const std::string& source) {
  for (const Report& report : kReports) {
    if (!in_study(report, outcome)) continue;
    const std::string path = path_of(report, outcome);
    if (!source.empty() && same_file(path, source)) {
      throw Error(Error::Kind::usage, "the study file '" + printable(path) +
                                          "' is the data file; choose another --output prefix");
    }
    check_study_file(path, report.role, report.records != nullptr);
  }
}

void deliver(const StudyOutcome& outcome) {
  std::fputs(console_text(outcome).c_str(), stdout);
  warn_troubled(outcome);
  std::string written;
  std::string script;  // the file before the picture, that draws it
  for (const Report& report : kReports) {
    if (!in_study(report, outcome)) continue;
    const std::string path = path_of(report, outcome);
    if (report.records) {
      write_records(path, report.role, report.records(outcome));
      script = path;
    } else {
      std::fflush(stdout);
      if (!draw_plot(script, path)) continue;
    }
    written += (written.empty() ? "" : ", ") + path;
  }
  std::printf("\nwritten: %s\n", written.c_str());
  std::fflush(stdout);
  gate(outcome);
}

}  // namespace talvenor

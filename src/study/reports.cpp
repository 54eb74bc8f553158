#include "study/reports.hpp"

#include <algorithm>
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

/// The studies of one table (talvenor's case, a data file, a command and its combinations).
constexpr unsigned kOwnCharts = kCaseStudy | kUsersValues;

/// The one group of a data study's studies (the first ones only: it streams the others).
const std::vector<VariableStudy>& studies_of(const StudyOutcome& outcome) {
  return outcome.groups.front().studies;
}

/// The label of `group`: a campaign's combination by its values; otherwise `group` is
/// one of outcome.groups, named by its own label (a command's combination) or the
/// study's subject.
std::string label_of(const StudyOutcome& outcome, const Combination& group) {
  if (outcome.mode == kCampaign) return combination_label(group.case_values);
  const auto c = static_cast<std::size_t>(&group - outcome.groups.data());
  const bool own = c < outcome.labels.size() && !outcome.labels[c].empty();
  return own ? outcome.labels[c] : outcome.subject;
}

/// A label per group.
std::vector<std::string> labels(const StudyOutcome& outcome) {
  std::vector<std::string> names;
  for (const Combination& group : outcome.groups) names.push_back(label_of(outcome, group));
  return names;
}

/// Whether a variable is named after its group in the reports of one table and the
/// JUnit cells: "LABEL: VARIABLE" in a campaign of talvenor's case or of a command.
bool labelled(const StudyOutcome& outcome) {
  return outcome.mode == kCampaign || (outcome.mode == kRunStudy && outcome.groups.size() > 1);
}

/// The studies and verdicts of the one table, every group's in order; a variable named
/// after its group where `labelled` ("scheme=upwind: u(0.5)").
struct OneTable {
  std::vector<VariableStudy> studies;
  std::vector<Verdict> verdicts;
};

OneTable one_table(const StudyOutcome& outcome) {
  if (outcome.groups.size() == 1) return {outcome.groups[0].studies, outcome.groups[0].verdicts};
  OneTable table;
  const std::vector<std::string> names = labels(outcome);
  for (std::size_t c = 0; c < outcome.groups.size(); ++c) {
    const Combination& group = outcome.groups[c];
    for (const VariableStudy& study : group.studies) {
      table.studies.push_back(study);
      table.studies.back().name = names[c] + ": " + study.name;
    }
    table.verdicts.insert(table.verdicts.end(), group.verdicts.begin(), group.verdicts.end());
  }
  return table;
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
  if (outcome.mode & kUsersValues) return {outcome.subject, outcome.subject, false};
  return case_plot_titles(outcome.base, outcome.method);
}

HtmlPage html_page(const StudyOutcome& outcome) {
  HtmlPage page{outcome.title, {}, labels(outcome), outcome.judged, outcome.has_errors};
  if (outcome.mode & kUsersValues) {
    page.paragraphs = {outcome.head};
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
      cells.push_back({(labelled(outcome) ? names[c] + ": " : "") + group.studies[v].name,
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
     always, [](const StudyOutcome& o) { return csv_records(one_table(o).studies); }, true},
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
       const std::string png = o.prefix + ".png";
       return o.streamed ? plot_script_records(plot_titles(o), o.curves, png)
                         : plot_script_records(plot_titles(o), one_table(o).studies, png);
     }},
    {".png", "study plot", kOwnCharts, "the picture of the script, drawn when gnuplot can be run",
     always, nullptr},
    {".html", "HTML report", kCampaign | kUsersValues,
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
    {"", "JUnit report", kCampaign | kUsersValues,
     "the file of --junit: the verdicts, a test case per cell, for a CI server",
     [](const StudyOutcome& o) { return o.junit.has_value(); },
     [](const StudyOutcome& o) { return junit_records(o.title, junit_cells(o), o.require); }},
}};

std::string path_of(const Report& report, const StudyOutcome& outcome) {
  return report.suffix.empty() ? *outcome.junit : outcome.prefix + std::string(report.suffix);
}

bool in_study(const Report& report, const StudyOutcome& outcome) {
  return (report.modes & outcome.mode) != 0 && report.wanted(outcome);
}

/// The end of a streamed study's table (its head and blocks went out as its variables
/// passed), with the audit where errors exist, and a line when the plot leaves out some
/// variables.
std::string streamed_end(const StudyOutcome& outcome) {
  const std::vector<VariableStudy>& studies = studies_of(outcome);
  std::vector<std::string> names;
  for (const VariableStudy& study : studies) names.push_back(study.name);
  std::string text = data_table_end(outcome.any_errors, outcome.formal_known, names,
                                    outcome.groups.front().verdicts) +
                     (outcome.has_errors ? audit_text(outcome.audit, "") : "");
  if (studies.size() > kPlottedVariables) {
    text += "\nThe plot draws the first " + std::to_string(kPlottedVariables) + " of the " +
            std::to_string(studies.size()) + " variables; " + outcome.prefix +
            ".csv holds them all.\n";
  }
  return text;
}

/// A --run study's table whole, as a data study writes it a variable at a time: the
/// head, each variable's block, the closing lines.
std::string users_table(const StudyOutcome& outcome, const OneTable& table) {
  std::string text = outcome.head + "\n";
  bool any_errors = false;
  std::vector<std::string> names;
  for (const VariableStudy& study : table.studies) {
    text += variable_block(study);
    any_errors = any_errors || has_errors(study);
    names.push_back(study.name);
  }
  return text + data_table_end(any_errors, outcome.formal_known, names, table.verdicts);
}

/// The table of the standard output, with the audit where errors exist; a --run study's
/// notes of the meshes that gave nothing between them.
std::string console_text(const StudyOutcome& outcome) {
  if (outcome.streamed) return streamed_end(outcome);
  if (outcome.mode == kCampaign) {
    return campaign_table(outcome.base, outcome.meshes, outcome.method, outcome.groups) +
           audit_text(outcome.audit, outcome.prefix + ".html");
  }
  const OneTable table = one_table(outcome);
  if (outcome.mode == kCaseStudy) {
    return study_table(outcome.base, outcome.method, table.studies) +
           audit_text(outcome.audit, "");
  }
  std::string notes;
  for (const std::string& note : outcome.notes) notes += note + "\n";
  return users_table(outcome, table) + notes +
         (outcome.has_errors ? audit_text(outcome.audit, "") : "");
}

/// " 2", the formal order every group shares; "" when the groups differ (a --run
/// campaign's order per value).
std::string shared_order(const StudyOutcome& outcome) {
  const double formal = outcome.groups.front().formal;
  for (const Combination& group : outcome.groups) {
    if (group.formal != formal) return "";
  }
  return " " + shortest(formal);
}

/// Error (verification) when a cell is FAILED, or under --require verified when a cell
/// (with a verdict or without) is not verified or exact, after every file is written.
void gate(const StudyOutcome& outcome) {
  const VerdictCounts counts = tally(outcome.groups);
  std::size_t cells = 0;
  for (const Combination& group : outcome.groups) cells += group.studies.size();
  const std::string of = " of the " + std::to_string(cells) +
                         (outcome.mode == kCampaign ? " cells " : " variables ");
  const std::size_t failed = count_of(counts, VerdictKind::failed);
  if (failed == 0) {
    const std::size_t open = gate_failures(counts, cells, outcome.require);
    if (open == 0) return;
    throw Error(Error::Kind::verification,
                std::to_string(open) + of +
                    "are not verified, as --require verified asks; the table gives each reason");
  }
  const std::string reason = std::to_string(failed) + of;
  throw Error(Error::Kind::verification,
              outcome.mode == kCampaign
                  ? reason +
                        "FAILED: their orders do not approach the formal order; the"
                        " table gives each reason, " +
                        outcome.prefix + ".html the plots"
                  : reason + "FAILED: their orders do not approach the formal order" +
                        shared_order(outcome) + "; the table gives each reason");
}

/// The warning of a study of talvenor's case whose meshes are in trouble.
void warn_troubled(const StudyOutcome& outcome) {
  // Only talvenor's meshes are shared by every variable: a data file's variables may
  // have meshes of their own, and a streamed study keeps few of them.
  if (outcome.mode != kCaseStudy) return;
  const std::size_t troubled = troubled_meshes(studies_of(outcome));
  if (troubled == 0) return;
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

TextFile open_streamed(const StudyOutcome& outcome) {
  const auto report = std::find_if(kReports.begin(), kReports.end(), [&](const Report& entry) {
    return entry.streams && in_study(entry, outcome);
  });
  return TextFile::replacing(path_of(*report, outcome), kNoUnit, std::string(report->role));
}

void deliver(const StudyOutcome& outcome) {
  std::fputs(console_text(outcome).c_str(), stdout);
  warn_troubled(outcome);
  std::string written;
  std::string script;  // the file before the picture, that draws it
  for (const Report& report : kReports) {
    if (!in_study(report, outcome)) continue;
    const std::string path = path_of(report, outcome);
    if (report.streams && outcome.streamed) {
      // written as the variables passed (open_streamed)
    } else if (report.records) {
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

#include "study_reports/audit_report.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "study_reports/svg_plot.hpp"
#include "textio/number_format.hpp"
#include "textio/text_helpers.hpp"

namespace talvenor {
namespace {

std::string name_of(Estimator estimator) {
  return std::string(kEstimators[static_cast<std::size_t>(estimator)].name);
}

/// A short figure for people: 98.4, 0.0737, 170; empty for none.
std::string figure(const std::optional<double>& value, int digits = 3) {
  if (!value) return "";
  const double size = std::fabs(*value);
  if (size == 0.0) return fixed_text(*value, 0);  // no logarithm to take
  if (size < 1e-3 || size >= 1e5) return scientific_text(*value, digits - 1);
  // digits significant digits in fixed notation.
  const int before = size >= 1.0 ? static_cast<int>(std::floor(std::log10(size))) + 1 : 0;
  const int after = size >= 1.0 ? std::max(digits - before, 0)
                                : digits - 1 - static_cast<int>(std::floor(std::log10(size)));
  return fixed_text(*value, after);
}

std::string full(const std::optional<double>& value) {
  return value ? full_digits(*value) : std::string();
}

std::string count(std::size_t value) {
  return std::to_string(value);
}

/// A figure for people, or in full for the CSV file.
std::string number(const std::optional<double>& value, bool in_full) {
  return in_full ? full(value) : figure(value);
}

std::optional<double> percent_of(const std::optional<Interval>& interval, bool low) {
  if (!interval) return {};
  return 100.0 * (low ? interval->low : interval->high);
}

/// One column of the audit's table: its heading in the terminal and the HTML page, its
/// name in the CSV file, its width in the terminal, and its cell of a group (numbers in
/// full for the CSV file). The one home of the table's shape for all three reports.
struct AuditColumn {
  std::string_view heading;
  std::string_view csv_name;
  std::size_t width;
  std::string (*cell)(const Coverage&, bool in_full);
};

const std::array<AuditColumn, 11> kAuditColumns = {{
    {"estimator", "estimator", 10, [](const Coverage& c, bool) { return name_of(c.estimator); }},
    {"group", "group", 16, [](const Coverage& c, bool) { return c.group; }},
    {"values", "values", 7, [](const Coverage& c, bool) { return count(c.valued); }},
    {"covered", "covered", 8, [](const Coverage& c, bool) { return count(c.covered); }},
    {"%", "coverage_percent", 7,
     [](const Coverage& c, bool in_full) { return number(c.percent(), in_full); }},
    {"95% low", "coverage_low_percent", 9,
     [](const Coverage& c, bool in_full) {
       return number(percent_of(c.interval(), true), in_full);
     }},
    {"high", "coverage_high_percent", 7,
     [](const Coverage& c, bool in_full) {
       return number(percent_of(c.interval(), false), in_full);
     }},
    {"abstained", "abstained", 10, [](const Coverage& c, bool) { return count(c.abstained); }},
    {"U/|E| min", "effectivity_min", 11,
     [](const Coverage& c, bool in_full) { return number(c.effectivity_min, in_full); }},
    {"median", "effectivity_median", 10,
     [](const Coverage& c, bool in_full) { return number(c.effectivity_median, in_full); }},
    {"max", "effectivity_max", 10,
     [](const Coverage& c, bool in_full) { return number(c.effectivity_max, in_full); }},
}};

/// The columns that are text, aligned left in the terminal.
constexpr std::size_t kTextColumns = 2;

/// The cells of one group's row, in the order of the columns.
std::vector<std::string> cells(const Coverage& coverage, bool in_full = false) {
  std::vector<std::string> row;
  for (const AuditColumn& column : kAuditColumns) row.push_back(column.cell(coverage, in_full));
  return row;
}

std::vector<std::string> headings() {
  std::vector<std::string> row;
  for (const AuditColumn& column : kAuditColumns) row.emplace_back(column.heading);
  return row;
}

std::string failure_text(const AuditRow& row) {
  return name_of(row.estimator) + " fails on " + row.label + ": U = " +
         scientific_text(*row.uncertainty, 2) + ", |E| = " + scientific_text(std::fabs(row.error), 2) +
         " (U/|E| = " + figure(*row.uncertainty / std::fabs(row.error), 2) + ")";
}

}  // namespace

std::string audit_text(const Audit& audit, std::string_view report_name) {
  std::string text = "\nUncertainty estimators against the exact error (U covers it when U >= |E|):\n";
  const auto line = [&](const std::vector<std::string>& row) {
    std::string out;
    for (std::size_t c = 0; c < row.size(); ++c) {
      // A figure as wide as its column (an effectivity of 1e10 and more) keeps a blank
      // before it: the columns never run together.
      if (c >= kTextColumns && row[c].size() >= kAuditColumns[c].width) out += ' ';
      const Align align = c < kTextColumns ? Align::left : Align::right;
      out += padded(row[c], kAuditColumns[c].width, align);
    }
    return std::string(trim_trailing_blanks(out)) + "\n";
  };
  text += line(headings());
  for (const Coverage& coverage : audit.groups) text += line(cells(coverage));
  const std::size_t shown = report_name.empty()
                                ? audit.failing.size()
                                : std::min(audit.failing.size(), kFailuresOnTerminal);
  for (std::size_t k = 0; k < shown; ++k) text += failure_text(audit.failing[k]) + "\n";
  if (audit.failing.size() > shown) {
    text += "... and " + std::to_string(audit.failing.size() - shown) + " more failures in " +
            std::string(report_name) + "\n";
  }
  return text;
}

std::string audit_csv_header() {
  std::string header(kAuditColumns.front().csv_name);
  for (std::size_t c = 1; c < kAuditColumns.size(); ++c) {
    header.append(",").append(kAuditColumns[c].csv_name);
  }
  return header;
}

std::vector<std::string> audit_csv_records(const Audit& audit) {
  std::vector<std::string> records = {audit_csv_header()};
  for (const Coverage& coverage : audit.groups) {
    const std::vector<std::string> row = cells(coverage, true);
    std::string record = row.front();
    for (std::size_t c = 1; c < row.size(); ++c) record.append(",").append(row[c]);
    records.push_back(std::move(record));
  }
  return records;
}

namespace {

using Escape = std::string (*)(std::string_view);

/// A row of an HTML table: each item escaped in a cell `tag` (th or td).
std::string html_row(Escape escape, std::string_view tag, const std::vector<std::string>& items) {
  std::string line = "<tr>";
  for (const std::string& item : items) {
    const std::string name(tag);
    line += "<" + name + ">" + escape(item) + "</" + name + ">";
  }
  return line + "</tr>";
}

/// The table of every failing row, the worst first, under its heading.
void add_failures(const Audit& audit, Escape escape, std::vector<std::string>& records) {
  records.push_back("<h3>Values not covered, the worst first (" +
                    std::to_string(audit.failing.size()) + ")</h3>");
  if (audit.failing.empty()) return;
  records.emplace_back("<table class=\"audit\">");
  records.push_back(html_row(escape, "th", {"estimator", "value", "U", "|E|", "U/|E|"}));
  for (const AuditRow& failing : audit.failing) {
    records.push_back(html_row(
        escape, "td",
        {name_of(failing.estimator), failing.label, scientific_text(*failing.uncertainty, 2),
         scientific_text(std::fabs(failing.error), 2),
         figure(*failing.uncertainty / std::fabs(failing.error), 2)}));
  }
  records.emplace_back("</table>");
}

}  // namespace

std::vector<std::string> audit_html_records(const Audit& audit, Escape escape) {
  std::string legend =
      "U covers a value when U >= |E|; the effectivity is U/|E|; the 95 % interval of the "
      "coverage is Wilson's; abstained counts the values with an exact error and no U. Each "
      "value is grouped by Re*h of its own mesh, the finest its estimate used, and by "
      "P = p_apparent / p_formal; finest mesh: the value a study quotes.";
  for (const EstimatorInfo& info : kEstimators) {
    legend.append(" ").append(info.name).append(": ").append(info.description).append(".");
  }
  std::vector<std::string> records = {"<h2>Uncertainty estimators against the exact error</h2>",
                                      "<p>" + escape(legend) + "</p>", "<table class=\"audit\">",
                                      html_row(escape, "th", headings())};
  for (const Coverage& coverage : audit.groups) {
    records.push_back(html_row(escape, "td", cells(coverage)));
  }
  records.emplace_back("</table>");
  const std::vector<std::string> plot = coverage_plot(audit);
  records.insert(records.end(), plot.begin(), plot.end());
  add_failures(audit, escape, records);
  return records;
}

}  // namespace talvenor

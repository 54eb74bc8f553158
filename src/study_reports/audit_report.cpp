#include "study_reports/audit_report.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

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
  if (size != 0.0 && (size < 1e-3 || size >= 1e5)) return scientific_text(*value, digits - 1);
  // digits significant digits in fixed notation.
  const int before = size >= 1.0 ? static_cast<int>(std::floor(std::log10(size))) + 1 : 0;
  const int after = size >= 1.0 ? std::max(digits - before, 0)
                                : digits - 1 - static_cast<int>(std::floor(std::log10(size)));
  return fixed_text(*value, size == 0.0 ? 0 : after);
}

std::string full(const std::optional<double>& value) {
  return value ? scientific_text(*value, 16) : std::string();
}

std::string padded(std::string text, std::size_t width, bool left = false) {
  const std::string pad(width > text.size() ? width - text.size() : 0, ' ');
  return left ? text + pad : pad + text;
}

/// The cells of one group's row, in the order of the tables' columns.
std::vector<std::string> cells(const Coverage& coverage) {
  return {name_of(coverage.estimator),
          coverage.group,
          std::to_string(coverage.valued),
          std::to_string(coverage.covered),
          figure(coverage.percent()),
          figure(coverage.effectivity_min),
          figure(coverage.effectivity_median),
          figure(coverage.effectivity_max)};
}

const std::vector<std::string> kColumns = {"estimator", "group",  "values", "covered",
                                           "%",         "U/|E| min", "median", "max"};
constexpr std::size_t kWidths[] = {10, 14, 8, 8, 7, 11, 8, 8};

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
      if (c >= 2 && row[c].size() >= kWidths[c]) out += ' ';
      out += padded(row[c], kWidths[c], c < 2);
    }
    return std::string(trim_trailing_blanks(out)) + "\n";
  };
  text += line(kColumns);
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

std::vector<std::string> audit_csv_records(const Audit& audit) {
  std::vector<std::string> records = {std::string(kAuditCsvHeader)};
  for (const Coverage& coverage : audit.groups) {
    records.push_back(name_of(coverage.estimator) + "," + coverage.group + "," +
                      std::to_string(coverage.valued) + "," + std::to_string(coverage.covered) +
                      "," + full(coverage.percent()) + "," + full(coverage.effectivity_min) + "," +
                      full(coverage.effectivity_median) + "," + full(coverage.effectivity_max));
  }
  return records;
}

std::vector<std::string> audit_html_records(const Audit& audit,
                                            std::string (*escape)(std::string_view)) {
  const auto row = [escape](std::string_view tag, const std::vector<std::string>& items) {
    std::string line = "<tr>";
    for (const std::string& item : items) {
      line.append("<").append(tag).append(">").append(escape(item)).append("</").append(tag).append(">");
    }
    return line + "</tr>";
  };
  std::string legend = "U covers a value when U >= |E|; the effectivity is U/|E|.";
  for (const EstimatorInfo& info : kEstimators) {
    legend.append(" ").append(info.name).append(": ").append(info.description).append(".");
  }
  std::vector<std::string> records = {"<h2>Uncertainty estimators against the exact error</h2>",
                                      "<p>" + escape(legend) + "</p>", "<table class=\"audit\">",
                                      row("th", kColumns)};
  for (const Coverage& coverage : audit.groups) records.push_back(row("td", cells(coverage)));
  records.emplace_back("</table>");
  records.push_back("<h3>Values not covered, the worst first (" +
                    std::to_string(audit.failing.size()) + ")</h3>");
  if (audit.failing.empty()) return records;
  records.emplace_back("<table class=\"audit\">");
  records.push_back(row("th", {"estimator", "value", "U", "|E|", "U/|E|"}));
  for (const AuditRow& failing : audit.failing) {
    records.push_back(row("td", {name_of(failing.estimator), failing.label,
                                 scientific_text(*failing.uncertainty, 2),
                                 scientific_text(std::fabs(failing.error), 2),
                                 figure(*failing.uncertainty / std::fabs(failing.error), 2)}));
  }
  records.emplace_back("</table>");
  return records;
}

}  // namespace talvenor

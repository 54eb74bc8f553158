#include "study_reports/html_report.hpp"

#include <iterator>
#include <string>

#include "study_reports/audit_report.hpp"
#include "study_reports/campaign_report.hpp"
#include "study_reports/markup.hpp"
#include "study_reports/report.hpp"
#include "study_reports/svg_plot.hpp"
#include "textio/number_format.hpp"
#include "textio/shortest_text.hpp"

namespace talvenor {
namespace {

/// The head of the page: its title and its style sheet, a colour per verdict.
std::vector<std::string> page_head(const std::string& title) {
  std::vector<std::string> lines = {
      "<!DOCTYPE html>",
      "<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\">",
      "<head>",
      "<meta charset=\"utf-8\"/>",
      text_element("title", title),
      "<style>",
      "body { font-family: sans-serif; margin: 1.5em; color: #111111; }",
      "table.matrix { border-collapse: collapse; }",
      "table.matrix th, table.matrix td { border: 1px solid #555555; padding: 0.25em 0.6em; "
      "text-align: center; }",
      "table.matrix td.label { text-align: left; }",
      "svg text { font-size: 11px; font-family: sans-serif; }",
      "section { margin-top: 1.5em; page-break-inside: avoid; }",
      "td.failed { font-weight: bold; }",
      "table.audit { border-collapse: collapse; }",
      "table.audit th, table.audit td { border: 1px solid #999999; padding: 0.2em 0.5em; "
      "text-align: right; }",
  };
  for (const VerdictNames& names : kVerdicts) {
    lines.push_back("td." + std::string(names.css_class) +
                    " { background: " + std::string(names.background) + "; }");
  }
  lines.insert(lines.end(), {"</style>", "</head>"});
  return lines;
}

std::string verdict_cell(const Verdict& verdict) {
  const VerdictNames& names = verdict_names(verdict.kind);
  std::string cell =
      open_tag("td", {{"class", std::string(names.css_class)}}) + html_escape(names.name);
  if (verdict.order) cell += "<br/><small>order " + fixed_text(*verdict.order, 3) + "</small>";
  return cell + "</td>";
}

/// The verdict matrix: a row per group, linked to its section, a column per variable.
void add_matrix(const HtmlPage& page, std::span<const Combination> groups,
                std::vector<std::string>& lines) {
  lines.emplace_back("<table class=\"matrix\">");
  std::string heading = "<tr><th>combination</th><th>formal order</th>";
  if (!groups.empty()) {
    for (const VariableStudy& study : groups.front().studies) {
      heading += text_element("th", study.name);
    }
  }
  lines.push_back(heading + "</tr>");
  for (std::size_t c = 0; c < groups.size(); ++c) {
    const Combination& group = groups[c];
    std::string row = "<tr><td class=\"label\">";
    row += text_element("a", {{"href", std::string("#c").append(std::to_string(c + 1))}},
                        page.labels[c]);
    row += "</td>" + text_element("td", group.formal > 0.0 ? shortest(group.formal) : "none");
    for (const Verdict& verdict : group.verdicts) row += verdict_cell(verdict);
    if (group.verdicts.empty()) {
      for (std::size_t v = 0; v < group.studies.size(); ++v) row += "<td>no verdict</td>";
    }
    lines.push_back(row + "</tr>");
  }
  lines.emplace_back("</table>");
}

/// The tally and the rule of the verdicts, as paragraphs.
void add_verdict_rule(std::span<const Combination> groups, std::vector<std::string>& lines) {
  lines.insert(lines.end(),
               {"<p><strong>" + html_escape(tally_line(tally(groups))) + "</strong></p>",
                text_element("p",
                             "A verdict judges the finest three clean meshes (no divergence, "
                             "iteration or round-off note): verified when the least-squares "
                             "order is within " +
                                 shortest(kOrderTolerance) +
                                 " of the formal order; exact when every error is "
                                 "at round-off; refine when the effective orders approach the "
                                 "formal one; FAILED otherwise.")});
}

}  // namespace

std::vector<std::string> html_report_records(const HtmlPage& page,
                                             std::span<const Combination> groups,
                                             const Audit& audit,
                                             std::span<const std::string> sections) {
  std::vector<std::string> lines = page_head(page.title);
  lines.insert(lines.end(), {"<body>", text_element("h1", page.title)});
  for (const std::string& paragraph : page.paragraphs)
    lines.push_back(text_element("p", paragraph));
  if (page.judged) add_verdict_rule(groups, lines);
  add_matrix(page, groups, lines);
  const std::vector<std::string> table = audit_html_records(audit, html_escape);
  lines.insert(lines.end(), table.begin(), table.end());
  for (std::size_t c = 0; c < groups.size(); ++c) {
    lines.push_back(sections.empty() ? html_section(groups[c], page.labels[c], page.plots, c)
                                     : sections[c]);
  }
  lines.insert(lines.end(), {"</body>", "</html>"});
  return lines;
}

std::string html_section(const Combination& group, const std::string& label, bool plot,
                         std::size_t index) {
  std::vector<std::string> lines = {
      open_tag("section", {{"id", std::string("c").append(std::to_string(index + 1))}})};
  lines.push_back(text_element(
      "h2", group.formal > 0.0 ? label + " (formal order " + shortest(group.formal) + ")" : label));
  if (plot) {
    std::vector<std::string> svg = error_plot(group, label);
    lines.insert(lines.end(), std::make_move_iterator(svg.begin()),
                 std::make_move_iterator(svg.end()));
  }
  lines.emplace_back("<ul>");
  for (std::size_t v = 0; v < group.verdicts.size(); ++v) {
    lines.push_back(text_element("li", verdict_summary(group.studies[v].name, group.verdicts[v])));
  }
  lines.emplace_back("</ul>");
  lines.emplace_back("</section>");
  return record_block(lines);
}

}  // namespace talvenor

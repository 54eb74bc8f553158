#include "study_reports/html_report.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "study_reports/audit_report.hpp"
#include "study_reports/campaign_report.hpp"
#include "study_reports/report.hpp"
#include "textio/number_format.hpp"
#include "textio/shortest_text.hpp"

namespace talvenor {
namespace {

/// The characters of Windows-1252 bytes 0x80 to 0x9F; the five bytes it leaves
/// undefined are the replacement character.
constexpr std::array<char32_t, 32> kWindows1252High = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

/// The variables in the plots, then the norms: a colour and a marker shape each, so
/// that a black-and-white print still tells the three of each kind apart.
constexpr std::array<std::string_view, 6> kCurveColours = {"#1f5fa8", "#b8322a", "#2b8a3e",
                                                          "#6a3d9a", "#c76f00", "#4d4d4d"};

std::string number(double value) {
  return fixed_text(value, 1);
}

std::string text_element(std::string_view tag, std::string_view text) {
  std::string element = "<";
  element.append(tag).append(">").append(html_escape(text)).append("</").append(tag).append(">");
  return element;
}

// The plot's frame, in pixels.
constexpr double kPlotWidth = 640.0;
constexpr double kPlotHeight = 320.0;
constexpr double kLeft = 62.0;
constexpr double kRight = 180.0;  // the legend, beside the frame: it hides no point
constexpr double kTop = 14.0;
constexpr double kBottom = 44.0;

/// A marker of variable `v` at (x, y): circle, square or triangle (the three
/// variables, then the three norms), filled when the mesh is clean, hollow when it
/// carries a note.
std::string marker(std::size_t v, double x, double y, bool hollow) {
  const std::string_view colour = kCurveColours[v % kCurveColours.size()];
  const std::string paint = " fill=\"" + std::string(hollow ? "#ffffff" : colour) +
                            "\" stroke=\"" + std::string(colour) + "\"/>";
  v %= 3;
  if (v == 0) return "<circle cx=\"" + number(x) + "\" cy=\"" + number(y) + "\" r=\"4\"" + paint;
  if (v == 1) {
    return "<rect x=\"" + number(x - 3.5) + "\" y=\"" + number(y - 3.5) +
           "\" width=\"7\" height=\"7\"" + paint;
  }
  return "<polygon points=\"" + number(x) + "," + number(y - 4.5) + " " + number(x - 4.5) + "," +
         number(y + 3.5) + " " + number(x + 4.5) + "," + number(y + 3.5) + "\"" + paint;
}

/// The log-log plot of |E| against h of one combination.
std::vector<std::string> plot(const Combination& combination) {
  const std::vector<MeshRow>& meshes = combination.studies.front().rows;
  const double h_fine = meshes.back().h;
  const double h_coarse = meshes.front().h;
  double smallest = INFINITY;
  double largest = 0.0;
  for (const VariableStudy& study : combination.studies) {
    for (const MeshRow& row : study.rows) {
      if (!row.error || *row.error == 0.0) continue;
      smallest = std::min(smallest, std::fabs(*row.error));
      largest = std::max(largest, std::fabs(*row.error));
    }
  }
  const bool any = largest > 0.0;
  if (!any) smallest = largest = 1.0;
  // The reference line starts at the largest error on the coarsest mesh.
  const double reference_end = largest * std::pow(h_fine / h_coarse, combination.formal);
  smallest = std::min(smallest, reference_end);
  const double decade_low = std::floor(std::log10(smallest));
  const double decade_high = std::max(std::ceil(std::log10(largest)), decade_low + 1.0);
  const double log_h_low = std::log10(h_fine) - 0.08;
  const double log_h_high = std::log10(h_coarse) + 0.08;
  const double width = kPlotWidth - kLeft - kRight;
  const double height = kPlotHeight - kTop - kBottom;
  const auto x_of = [&](double h) {
    return kLeft + (std::log10(h) - log_h_low) / (log_h_high - log_h_low) * width;
  };
  const auto y_of = [&](double error) {
    return kTop + (decade_high - std::log10(error)) / (decade_high - decade_low) * height;
  };

  std::vector<std::string> lines = {
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + number(kPlotWidth) + "\" height=\"" +
          number(kPlotHeight) + "\" viewBox=\"0 0 " + number(kPlotWidth) + " " +
          number(kPlotHeight) + "\" role=\"img\">",
      text_element("title", "|E| against h, " + combination_label(combination.data)),
      "<rect x=\"" + number(kLeft) + "\" y=\"" + number(kTop) + "\" width=\"" + number(width) +
          "\" height=\"" + number(height) + "\" fill=\"#ffffff\" stroke=\"#444444\"/>"};
  // A grid line and a label per decade of |E|, at most about twelve labels.
  const double step = std::ceil((decade_high - decade_low) / 12.0);
  for (double decade = decade_low; decade <= decade_high; decade += step) {
    const double y = y_of(std::pow(10.0, decade));
    lines.push_back("<line x1=\"" + number(kLeft) + "\" y1=\"" + number(y) + "\" x2=\"" +
                    number(kLeft + width) + "\" y2=\"" + number(y) +
                    "\" stroke=\"#dddddd\"/><text x=\"" + number(kLeft - 6.0) + "\" y=\"" +
                    number(y + 4.0) + "\" text-anchor=\"end\">1e" +
                    std::to_string(static_cast<int>(decade)) + "</text>");
  }
  // A tick per mesh, named by its N.
  for (const MeshRow& row : meshes) {
    const double x = x_of(row.h);
    lines.push_back("<line x1=\"" + number(x) + "\" y1=\"" + number(kTop) + "\" x2=\"" + number(x) +
                    "\" y2=\"" + number(kTop + height) + "\" stroke=\"#dddddd\"/><text x=\"" +
                    number(x) + "\" y=\"" + number(kTop + height + 16.0) +
                    "\" text-anchor=\"middle\">1/" + std::to_string(row.N) + "</text>");
  }
  lines.push_back("<text x=\"" + number(kLeft + width / 2.0) + "\" y=\"" +
                  number(kPlotHeight - 6.0) + "\" text-anchor=\"middle\">h = 1/N</text>");
  lines.push_back("<text transform=\"translate(14," + number(kTop + height / 2.0) +
                  ") rotate(-90)\" text-anchor=\"middle\">|E| = |exact - numerical|</text>");
  if (any) {
    lines.push_back("<line x1=\"" + number(x_of(h_coarse)) + "\" y1=\"" + number(y_of(largest)) +
                    "\" x2=\"" + number(x_of(h_fine)) + "\" y2=\"" + number(y_of(reference_end)) +
                    "\" stroke=\"#555555\" stroke-dasharray=\"6 4\"/>");
  }
  for (std::size_t v = 0; v < combination.studies.size(); ++v) {
    std::string path;
    std::vector<std::string> markers;
    for (const MeshRow& row : combination.studies[v].rows) {
      if (!row.error || *row.error == 0.0) continue;  // nothing a logarithmic axis shows
      const double x = x_of(row.h);
      const double y = y_of(std::fabs(*row.error));
      path += (path.empty() ? "M" : " L") + number(x) + " " + number(y);
      markers.push_back(marker(v, x, y, !flags(row).empty()));
    }
    if (path.empty()) continue;
    lines.push_back("<path d=\"" + path + "\" fill=\"none\" stroke=\"" +
                    std::string(kCurveColours[v % kCurveColours.size()]) +
                    "\" stroke-width=\"1.5\"/>");
    lines.insert(lines.end(), markers.begin(), markers.end());
  }
  const double legend_x = kLeft + width + 20.0;
  double legend_y = kTop + 12.0;
  for (std::size_t v = 0; v < combination.studies.size(); ++v, legend_y += 16.0) {
    lines.push_back(marker(v, legend_x + 4.0, legend_y - 4.0, false) + "<text x=\"" +
                    number(legend_x + 16.0) + "\" y=\"" + number(legend_y) + "\">" +
                    html_escape(combination.studies[v].name) + "</text>");
  }
  lines.push_back("<line x1=\"" + number(legend_x - 4.0) + "\" y1=\"" + number(legend_y - 4.0) +
                  "\" x2=\"" + number(legend_x + 12.0) + "\" y2=\"" + number(legend_y - 4.0) +
                  "\" stroke=\"#555555\" stroke-dasharray=\"6 4\"/><text x=\"" +
                  number(legend_x + 16.0) + "\" y=\"" + number(legend_y) + "\">order " +
                  html_escape(shortest(combination.formal)) + " (formal)</text>");
  legend_y += 16.0;
  lines.push_back("<circle cx=\"" + number(legend_x + 4.0) + "\" cy=\"" + number(legend_y - 4.0) +
                  "\" r=\"4\" fill=\"#ffffff\" stroke=\"#000000\"/><text x=\"" +
                  number(legend_x + 16.0) + "\" y=\"" + number(legend_y) +
                  "\">hollow: flagged mesh</text>");
  lines.emplace_back("</svg>");
  return lines;
}

std::string verdict_cell(const Verdict& verdict) {
  const VerdictNames& names = verdict_names(verdict.kind);
  std::string cell = "<td class=\"" + std::string(names.css_class) + "\">" +
                     html_escape(names.name);
  if (verdict.order) cell += "<br/><small>order " + fixed_text(*verdict.order, 3) + "</small>";
  return cell + "</td>";
}

/// The section of combination number `c` (from 0): its heading, its plot and the
/// verdict of each variable with its order and reason.
std::vector<std::string> combination_section(const Combination& combination, std::size_t c) {
  std::vector<std::string> lines = {"<section id=\"c" + std::to_string(c + 1) + "\">",
                                    text_element("h2", combination_label(combination.data) +
                                                           " (formal order " +
                                                           shortest(combination.formal) + ")")};
  const std::vector<std::string> svg = plot(combination);
  lines.insert(lines.end(), svg.begin(), svg.end());
  lines.emplace_back("<ul>");
  for (std::size_t v = 0; v < combination.studies.size(); ++v) {
    const Verdict& verdict = combination.verdicts[v];
    std::string item = combination.studies[v].name + ": " + std::string(verdict_name(verdict.kind));
    if (verdict.order) item += ", order " + fixed_text(*verdict.order, 3);
    if (!verdict.reason.empty()) item += "; " + verdict.reason;
    lines.push_back(text_element("li", item));
  }
  lines.emplace_back("</ul>");
  lines.emplace_back("</section>");
  return lines;
}

}  // namespace

std::string html_escape(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      case '\'':
        escaped += "&#39;";
        break;
      default:
        if (byte >= 0x80 && byte < 0xA0) {
          escaped +=
              "&#" + std::to_string(static_cast<unsigned>(kWindows1252High[byte - 0x80])) + ";";
        } else if (byte >= 0xA0) {
          escaped += "&#" + std::to_string(byte) + ";";
        } else if (byte < 0x20 && c != '\t' && c != '\n' && c != '\r') {
          escaped += "&#65533;";  // no control character is text in XML
        } else {
          escaped += c;
        }
    }
  }
  return escaped;
}

std::vector<std::string> html_report_records(const CaseData& base,
                                             std::span<const std::int32_t> meshes, Method method,
                                             std::span<const Combination> combinations) {
  const std::string title = "Verification campaign of " + std::string(base.caso.trimmed());
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
  lines.insert(
      lines.end(),
      {"</style>", "</head>", "<body>", text_element("h1", title),
       text_element("p", std::string(base.titulo.trimmed())),
       text_element("p", campaign_summary(base, meshes, method, combinations.size()) + "."),
       "<p><strong>" + html_escape(tally_line(tally(combinations))) + "</strong></p>",
       text_element("p",
                    "A verdict judges the finest three clean meshes (no divergence, "
                    "iteration or round-off note): verified when the least-squares "
                    "order is within 0.1 of the formal order; exact when every error is "
                    "at round-off; refine when the effective orders approach the formal "
                    "one; FAILED otherwise."),
       "<table class=\"matrix\">", "<tr><th>combination</th><th>formal order</th>"});
  if (!combinations.empty()) {
    for (const VariableStudy& variable : combinations.front().studies) {
      lines.back() += text_element("th", variable.name);
    }
  }
  lines.back() += "</tr>";
  for (std::size_t c = 0; c < combinations.size(); ++c) {
    const Combination& combination = combinations[c];
    std::string row = "<tr><td class=\"label\"><a href=\"#c" + std::to_string(c + 1) + "\">" +
                      html_escape(combination_label(combination.data)) + "</a></td><td>" +
                      html_escape(shortest(combination.formal)) + "</td>";
    for (const Verdict& verdict : combination.verdicts) row += verdict_cell(verdict);
    lines.push_back(row + "</tr>");
  }
  lines.emplace_back("</table>");
  const std::vector<std::string> audit = audit_html_records(campaign_audit(combinations), html_escape);
  lines.insert(lines.end(), audit.begin(), audit.end());
  for (std::size_t c = 0; c < combinations.size(); ++c) {
    const std::vector<std::string> section = combination_section(combinations[c], c);
    lines.insert(lines.end(), section.begin(), section.end());
  }
  lines.insert(lines.end(), {"</body>", "</html>"});
  return lines;
}

}  // namespace talvenor

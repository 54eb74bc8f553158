#include "study_reports/paper_table.hpp"

#include <optional>
#include <string_view>

#include "analysis/verdict.hpp"
#include "textio/number_format.hpp"

namespace talvenor {
namespace {

constexpr int kValueDigits = 5;  ///< significant digits after the first of a value
constexpr int kOrderDecimals = 3;

std::string value_cell(const std::optional<double>& value) {
  return value ? scientific_text(*value, kValueDigits) : std::string();
}

std::string order_cell(const std::optional<double>& order) {
  return order ? fixed_text(*order, kOrderDecimals) : std::string();
}

/// `text` with each character of `specials` preceded by '\'.
std::string escaped(std::string_view text, std::string_view specials) {
  std::string out;
  for (const char c : text) {
    if (specials.find(c) != std::string_view::npos) out += '\\';
    out += c;
  }
  return out;
}

/// `text` as LaTeX prints it: the ten special characters escaped.
std::string latex_text(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '\\':
        out += "\\textbackslash{}";
        break;
      case '~':
        out += "\\textasciitilde{}";
        break;
      case '^':
        out += "\\textasciicircum{}";
        break;
      case '&':
      case '%':
      case '$':
      case '#':
      case '_':
      case '{':
      case '}':
        out.append(1, '\\').append(1, c);
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace

std::vector<std::vector<std::string>> paper_cells(std::span<const Combination> groups,
                                                  std::span<const std::string> labels) {
  const bool labelled = groups.size() > 1;
  std::vector<std::vector<std::string>> cells = {
      {"variable", "h", "order", "p_U", "Richardson", "u_gci", "u_fs", "u_lsq", "verdict"}};
  if (labelled) cells.front().insert(cells.front().begin(), "combination");
  for (std::size_t c = 0; c < groups.size(); ++c) {
    for (std::size_t v = 0; v < groups[c].studies.size(); ++v) {
      const VariableStudy& study = groups[c].studies[v];
      const MeshRow& finest = study.rows.back();
      std::vector<std::string> row = {study.name, value_cell(finest.h),
                                      order_cell(study.order_finest), order_cell(finest.p_apparent),
                                      value_cell(finest.richardson)};
      for (const std::optional<double>& u : finest.uncertainty) row.push_back(value_cell(u));
      row.emplace_back(v < groups[c].verdicts.size() ? verdict_name(groups[c].verdicts[v].kind)
                                                     : std::string_view());
      if (labelled) row.insert(row.begin(), labels[c]);
      cells.push_back(std::move(row));
    }
  }
  return cells;
}

std::vector<std::string> markdown_records(const std::vector<std::vector<std::string>>& cells) {
  std::vector<std::string> lines;
  for (std::size_t r = 0; r < cells.size(); ++r) {
    std::string line = "|";
    for (const std::string& cell : cells[r]) {
      line.append(" ").append(escaped(cell, "\\|*_`")).append(" |");
    }
    lines.push_back(line);
    if (r == 0) {
      std::string rule = "|";
      for (std::size_t k = 0; k < cells[r].size(); ++k) rule += k == 0 ? " --- |" : " ---: |";
      lines.push_back(rule);
    }
  }
  return lines;
}

std::vector<std::string> latex_records(const std::vector<std::vector<std::string>>& cells) {
  const std::size_t columns = cells.empty() ? 0 : cells.front().size();
  // Appended, never prefixed: MinGW's GCC 12 at -O3 sees a false overlap (-Wrestrict).
  std::vector<std::string> lines = {
      std::string("\\begin{tabular}{l").append(columns - 1, 'r').append("}"), "\\toprule"};
  for (std::size_t r = 0; r < cells.size(); ++r) {
    std::string line;
    for (std::size_t k = 0; k < cells[r].size(); ++k) {
      line.append(k == 0 ? "" : " & ").append(latex_text(cells[r][k]));
    }
    lines.push_back(line + " \\\\");
    if (r == 0) lines.emplace_back("\\midrule");
  }
  lines.insert(lines.end(), {"\\bottomrule", "\\end{tabular}"});
  return lines;
}

}  // namespace talvenor

#include "study_reports/campaign_report.hpp"

#include "record/schemes.hpp"
#include "study_reports/report.hpp"
#include "textio/number_format.hpp"
#include "textio/shortest_text.hpp"
#include "textio/text_file.hpp"
#include "textio/text_helpers.hpp"

namespace talvenor {
namespace {

// Columns of the terminal's rows.
constexpr std::size_t kWidthField = 8;
constexpr std::size_t kWidthOrder = 9;
constexpr std::size_t kWidthVerdict = 15;

}  // namespace

std::string campaign_summary(const CaseData& base, std::span<const std::int32_t> meshes,
                             Method method, std::size_t count) {
  std::string mesh_list;
  for (const std::int32_t N : meshes) {
    mesh_list += (mesh_list.empty() ? "" : ", ") + std::to_string(N);
  }
  return std::to_string(count) + " combinations, each a study on meshes " + mesh_list + "; itmax " +
         std::to_string(base.itmax) + ", solver " + std::string(method_names(method).option);
}

std::string combination_label(const CaseData& data) {
  return "esquema " + std::to_string(data.esquema) + ", fonte " + solution_name(data) +
         ", Re = " + shortest(data.Re) +
         (beta_matters(data.esquema) ? ", beta = " + shortest(data.beta) : std::string());
}

std::string campaign_table(const CaseData& base, std::span<const std::int32_t> meshes,
                           Method method, std::span<const Combination> combinations) {
  std::string text = "Verification campaign of " + std::string(base.caso.trimmed()) + ": " +
                     std::string(base.titulo.trimmed()) + "\n" +
                     campaign_summary(base, meshes, method, combinations.size()) + "\n\n";
  std::string heading = std::string(5 * kWidthField, ' ');
  std::string columns = padded("esquema", kWidthField) + padded("fonte", kWidthField) +
                        padded("Re", kWidthField) + padded("beta", kWidthField) +
                        padded("formal", kWidthField);
  // Every combination has the same variables, those of the first.
  const std::span<const VariableStudy> variables =
      combinations.empty() ? std::span<const VariableStudy>() : combinations.front().studies;
  for (const VariableStudy& variable : variables) {
    heading += "  " + padded(variable.name, kWidthOrder + kWidthVerdict, Align::left);
    columns += padded("order", kWidthOrder) + "  " + padded("verdict", kWidthVerdict, Align::left);
  }
  text.append(trim_trailing_blanks(heading)).append("\n");
  text.append(trim_trailing_blanks(columns)).append("\n");
  std::string reasons;
  for (const Combination& combination : combinations) {
    const CaseData& data = combination.case_values;
    std::string row = padded(std::to_string(data.esquema), kWidthField) +
                      padded(" " + solution_name(data), kWidthField) +
                      padded(shortest(data.Re), kWidthField) +
                      padded(beta_matters(data.esquema) ? shortest(data.beta) : "-", kWidthField) +
                      padded(shortest(combination.formal), kWidthField);
    for (std::size_t v = 0; v < combination.studies.size(); ++v) {
      const Verdict& verdict = combination.verdicts[v];
      row += padded(verdict.order ? fixed_text(*verdict.order, 3) : "", kWidthOrder) + "  " +
             padded(verdict_name(verdict.kind), kWidthVerdict, Align::left);
      if (!verdict.reason.empty()) {
        reasons += combination_label(data) + ": " + combination.studies[v].name + " " +
                   std::string(verdict_name(verdict.kind)) + ": " + verdict.reason + "\n";
      }
    }
    text.append(trim_trailing_blanks(row)).append("\n");
  }
  if (!reasons.empty()) text += "\n" + reasons;
  return text + "\n" + tally_line(tally(combinations)) + "\n";
}

std::string campaign_csv_header() {
  std::string line;
  for (const ColumnInfo& column : kCombinationColumns) line.append(column.name).append(",");
  return line + csv_header() + "," + std::string(kVerdictColumn.name);
}

std::string campaign_csv_block(const Combination& combination) {
  const CaseData& data = combination.case_values;
  const std::string fields = std::to_string(data.esquema) + "," + csv_field(solution_name(data)) +
                             "," + shortest(data.Re) + "," +
                             (beta_matters(data.esquema) ? shortest(data.beta) : std::string()) +
                             "," + shortest(combination.formal) + ",";
  std::string block;
  for (std::size_t v = 0; v < combination.studies.size(); ++v) {
    const VariableStudy& study = combination.studies[v];
    const std::string_view verdict = verdict_name(combination.verdicts[v].kind);
    for (const MeshRow& row : study.rows) {
      if (!block.empty()) block += kRecordEnd;
      block.append(fields);
      append_csv_record(block, study.name, row);
      block.append(",").append(verdict);
    }
  }
  return block;
}

std::vector<std::string> campaign_csv_records(std::span<const Combination> combinations) {
  std::vector<std::string> records = {campaign_csv_header()};
  for (const Combination& combination : combinations) {
    std::string block = campaign_csv_block(combination);
    if (!block.empty()) records.push_back(std::move(block));
  }
  return records;
}

}  // namespace talvenor

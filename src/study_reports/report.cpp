#include "study_reports/report.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "textio/number_format.hpp"
#include "textio/shortest_text.hpp"
#include "textio/text_file.hpp"

namespace talvenor {
namespace {

/// The channel that failure reports name for the study's files.
constexpr int kStudyUnit = 12;

/// Appends `item` to a list written "a, b, c".
void add_to_list(std::string& list, std::string_view item) {
  if (!list.empty()) list += ", ";
  list += item;
}

/// A number column of a mesh's row: its heading in the CSV file and in the table, its
/// width and form in the table (the CSV file has 17 digits), and its value. A new
/// quantity of the analysis is one entry here.
struct MeshColumn {
  std::string_view csv;
  std::string_view table;
  std::size_t width;
  std::string (*form)(double, int);
  int digits;
  std::optional<double> (*value)(const MeshRow&);
};

template <Estimator estimator>
std::optional<double> uncertainty_of(const MeshRow& row) {
  return row.uncertainty[static_cast<std::size_t>(estimator)];
}

// numerical, exact and Richardson show 15 digits; the orders 4 decimals.
const std::array<MeshColumn, 11> kMeshColumns = {{
    {"h", "h", 12, scientific_text, 4, [](const MeshRow& row) { return std::optional(row.h); }},
    {"numerical", "numerical", 23, scientific_text, 14,
     [](const MeshRow& row) { return row.numerical; }},
    {"exact", "exact", 23, scientific_text, 14, [](const MeshRow& row) { return row.exact; }},
    {"error", "error", 14, scientific_text, 5, [](const MeshRow& row) { return row.error; }},
    {"p_effective", "p_E", 9, fixed_text, 4, [](const MeshRow& row) { return row.p_effective; }},
    {"p_apparent", "p_U", 9, fixed_text, 4, [](const MeshRow& row) { return row.p_apparent; }},
    {"richardson", "Richardson", 23, scientific_text, 14,
     [](const MeshRow& row) { return row.richardson; }},
    {"gci", "GCI", 11, scientific_text, 3, [](const MeshRow& row) { return row.gci; }},
    {kEstimators[0].name, kEstimators[0].name, 11, scientific_text, 3, uncertainty_of<Estimator::gci>},
    {kEstimators[1].name, kEstimators[1].name, 11, scientific_text, 3, uncertainty_of<Estimator::fs>},
    {kEstimators[2].name, kEstimators[2].name, 11, scientific_text, 3, uncertainty_of<Estimator::lsq>},
}};

constexpr std::size_t kWidthN = 8;

/// The mesh's count, empty when the source gives only h.
std::string mesh_count(const MeshRow& row) {
  return row.N > 0 ? std::to_string(row.N) : std::string();
}

std::string table_row(const MeshRow& row) {
  std::string line = right(mesh_count(row), kWidthN);
  for (const MeshColumn& column : kMeshColumns) {
    const std::optional<double> value = column.value(row);
    std::string text;
    if (value) {
      text = column.form(*value, column.digits);
    } else if (column.csv == "numerical" && diverged(row)) {
      text = "diverged";
    }
    line += right(text, column.width);
  }
  const std::string tags = notes(row);
  if (!tags.empty()) line += "  " + tags;
  return line.erase(line.find_last_not_of(' ') + 1);
}

std::string table_header() {
  std::string line = right("N", kWidthN);
  for (const MeshColumn& column : kMeshColumns) line += right(column.table, column.width);
  return line + "  notes";
}

std::string least_squares_line(const VariableStudy& study) {
  const std::size_t meshes = study.rows.size();
  std::string line = "least-squares order: ";
  if (!study.order_all) {
    line += "none over all meshes (fewer than two errors without a note)";
  } else if (study.order_all_meshes == meshes) {
    line += fixed_text(*study.order_all, 4) + " over all " + std::to_string(meshes) + " meshes";
  } else {
    line += fixed_text(*study.order_all, 4) + " over " + std::to_string(study.order_all_meshes) +
            " of the " + std::to_string(meshes) + " meshes (the others carry a note)";
  }
  if (meshes >= 3) {
    line += study.order_finest
                ? ", " + fixed_text(*study.order_finest, 4) + " over the finest three"
                : ", none over the finest three";
  }
  return line;
}

/// The case as the head of the table and the plot title show it.
std::string case_summary(const CaseData& base) {
  return "esquema " + std::to_string(base.esquema) + ", fonte " + std::to_string(base.fonte) +
         ", Re = " + shortest(base.Re) + ", beta = " + shortest(base.beta) + ", itmax " +
         std::to_string(base.itmax);
}

const std::vector<MeshRow>& mesh_rows(std::span<const VariableStudy> studies) {
  static const std::vector<MeshRow> none;
  return studies.empty() ? none : studies.front().rows;
}

/// The variables of mesh `k` that `flagged` picks, "u(1/2), u_media".
std::string variables_where(std::span<const VariableStudy> studies, std::size_t k,
                            bool (*flagged)(const MeshRow&)) {
  std::string names;
  for (const VariableStudy& study : studies) {
    // The norms carry the flags of the mesh's variables: naming them adds nothing.
    if (study.rows[k].numerical && flagged(study.rows[k])) add_to_list(names, study.name);
  }
  return names;
}

/// "Newton's method (--solver newton)".
std::string method_name(Method method) {
  const MethodNames& names = method_names(method);
  return std::string(names.prose) + " (--solver " + std::string(names.option) + ")";
}

}  // namespace

std::string right(std::string_view text, std::size_t width) {
  std::string padded(width > text.size() ? width - text.size() : 0, ' ');
  return padded.append(text);
}

std::string study_table(const CaseData& base, Method method,
                        std::span<const VariableStudy> studies) {
  std::string meshes;
  std::string iterations;
  for (const MeshRow& row : mesh_rows(studies)) {
    add_to_list(meshes, std::to_string(row.N));
    add_to_list(iterations, std::to_string(row.iterations));
  }
  std::string text = "Mesh-refinement study of " + std::string(base.caso.trimmed()) + ": " +
                     std::string(base.titulo.trimmed()) + "\n" + case_summary(base) + "; meshes " +
                     meshes + "\nsolver: " + method_name(method) +
                     "; iterations per mesh: " + iterations + "\n";
  for (const VariableStudy& study : studies) {
    text.append("\n").append(study.name).append("\n").append(table_header()).append("\n");
    for (const MeshRow& row : study.rows) text.append(table_row(row)).append("\n");
    text.append("  ").append(least_squares_line(study)).append("\n");
  }
  const std::vector<std::string> warnings = study_warnings(base, method, studies);
  if (!warnings.empty()) text += "\n";
  for (const std::string& warning : warnings) text.append(warning).append("\n");
  return text;
}

std::vector<std::string> study_warnings(const CaseData& base, Method method,
                                        std::span<const VariableStudy> studies) {
  std::vector<std::string> lines;
  const std::vector<MeshRow>& rows = mesh_rows(studies);
  const std::string share = fixed_text(kIterativeShare * 100.0, 0) + " % of the error or more";
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const std::string mesh = "N = " + std::to_string(rows[k].N);
    if (diverged(rows[k])) {
      lines.push_back(mesh + " diverged: " + rows[k].fault);
      continue;
    }
    const std::string stuck = variables_where(
        studies, k, [](const MeshRow& row) { return row.iteration_not_converging; });
    const std::string short_of = variables_where(
        studies, k, [](const MeshRow& row) { return row.iterative_share.has_value(); });
    if (!stuck.empty() && method == Method::successive_substitution) {
      lines.push_back(mesh + " is not iteratively converged: the changes of " + stuck +
                      " do not shrink, so more iterations will not help; successive"
                      " substitution does not converge at this Re; --solver newton solves the"
                      " same discrete equations");
    } else if (!stuck.empty()) {
      lines.push_back(mesh + " is not iteratively converged: the updates of " + stuck +
                      " do not shrink; Newton's method does not converge from the exact"
                      " solution on this mesh");
    } else if (!short_of.empty()) {
      lines.push_back(mesh + " is not iteratively converged: after " +
                      std::to_string(rows[k].iterations) + " iterations the iteration error of " +
                      short_of + " is " + share + "; the iteration contracts: raise itmax (" +
                      std::to_string(base.itmax) + ") for a study that means something");
    }
  }
  return lines;
}

std::string csv_header() {
  std::string line = "variable,N";
  for (const MeshColumn& column : kMeshColumns) line.append(",").append(column.csv);
  return line + ",notes";
}

std::string csv_record(std::string_view name, const MeshRow& row) {
  std::string line = std::string(name) + "," + mesh_count(row);
  for (const MeshColumn& column : kMeshColumns) {
    const std::optional<double> value = column.value(row);
    line += ',';
    if (value) line += scientific_text(*value, 16);
  }
  return line + "," + notes(row, ";");
}

std::vector<std::string> csv_records(std::span<const VariableStudy> studies) {
  std::vector<std::string> records = {csv_header()};
  for (const VariableStudy& study : studies) {
    for (const MeshRow& row : study.rows) records.push_back(csv_record(study.name, row));
  }
  return records;
}

PlotTitles case_plot_titles(const CaseData& base, Method method) {
  const std::string caso(base.caso.trimmed());
  return {caso, caso + ": " + case_summary(base) + ", " + std::string(method_names(method).title),
          true};
}

void write_records(const std::string& path, std::string_view role,
                   std::span<const std::string> records) {
  TextFile file(path, kStudyUnit, std::string(role));
  for (const std::string& record : records) file.write_record(record);
  file.close();
}

void check_records_file(const std::string& path, std::string_view role) {
  TextFile::check_creatable(path, kStudyUnit, std::string(role));
}

}  // namespace talvenor

#include "study_reports/report.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <utility>

#include "analysis/study_columns.hpp"
#include "textio/number_format.hpp"
#include "textio/shortest_text.hpp"
#include "textio/text_file.hpp"
#include "textio/text_helpers.hpp"

namespace talvenor {
namespace {

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
  std::string_view description;  ///< what it holds, for the help
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
    {study_column::h, "h", "the mesh size", 12, scientific_text, 4,
     [](const MeshRow& row) { return std::optional(row.h); }},
    {study_column::numerical, "numerical", "the value of the mesh (empty: diverged)", 23,
     scientific_text, 14, [](const MeshRow& row) { return row.numerical; }},
    {study_column::exact, "exact", "the exact value, where the source knows it", 23,
     scientific_text, 14, [](const MeshRow& row) { return row.exact; }},
    {study_column::error, "error", "E = exact - numerical, or the norm of the error", 14,
     scientific_text, 5, [](const MeshRow& row) { return row.error; }},
    {"p_effective", "p_E",
     "effective order against the previous mesh, log(|E(h1)| / |E(h2)|) / log(h1 / h2)", 9,
     fixed_text, 4, [](const MeshRow& row) { return row.p_effective; }},
    {"p_apparent", "p_U",
     "apparent order from the three latest meshes: the p for which f0 + C h^p passes through their "
     "values (any refinement ratio)",
     9, fixed_text, 4, [](const MeshRow& row) { return row.p_apparent; }},
    {"richardson", "Richardson", "the value extrapolated to h = 0 from the finest pair with p_U",
     23, scientific_text, 14, [](const MeshRow& row) { return row.richardson; }},
    {"gci", "GCI", "grid convergence index of the finest pair, a fraction of its fine value", 11,
     scientific_text, 3, [](const MeshRow& row) { return row.gci; }},
    {kEstimators[0].name, kEstimators[0].name, kEstimators[0].description, 11, scientific_text, 3,
     uncertainty_of<Estimator::gci>},
    {kEstimators[1].name, kEstimators[1].name, kEstimators[1].description, 11, scientific_text, 3,
     uncertainty_of<Estimator::fs>},
    {kEstimators[2].name, kEstimators[2].name, kEstimators[2].description, 11, scientific_text, 3,
     uncertainty_of<Estimator::lsq>},
}};

constexpr std::size_t kWidthN = 8;

/// The mesh's count, empty when the source gives only h.
std::string mesh_count(const MeshRow& row) {
  return row.N > 0 ? std::to_string(row.N) : std::string();
}

std::string table_row(const MeshRow& row) {
  std::string line = padded(mesh_count(row), kWidthN);
  for (const MeshColumn& column : kMeshColumns) {
    const std::optional<double> value = column.value(row);
    std::string text;
    if (value) {
      text = column.form(*value, column.digits);
    } else if (column.csv == "numerical" && diverged(row)) {
      text = "diverged";
    }
    line += padded(text, column.width);
  }
  const std::string tags = notes(row);
  if (!tags.empty()) line += "  " + tags;
  return std::string(trim_trailing_blanks(line));
}

std::string table_header() {
  std::string line = padded("N", kWidthN);
  for (const MeshColumn& column : kMeshColumns) line += padded(column.table, column.width);
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
  return "esquema " + std::to_string(base.esquema) + ", fonte " + solution_name(base) +
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

/// The meshes of one kind of advice, in order, with the variables each names
/// ("u(1/2), u_media") and the iterations each ran.
struct TroubledMeshes {
  std::vector<std::int32_t> N;
  std::vector<std::string> variables;
  std::vector<int> iterations;
  std::size_t line = 0;  ///< where its line stands among the closing lines

  /// "N = 20 is", "N = 20, 40 and 80 are".
  std::string subject() const {
    std::string text = "N = ";
    for (std::size_t i = 0; i < N.size(); ++i) {
      if (i > 0) text += i + 1 == N.size() ? " and " : ", ";
      text += std::to_string(N[i]);
    }
    return text + (N.size() == 1 ? " is" : " are");
  }

  /// The variables named, once when every mesh names the same ("u(1/2), u_media"),
  /// else with their meshes ("u(1/2) on N = 20 and of u(1/2), u_media on N = 40, 80").
  std::string named_variables() const {
    std::vector<std::pair<std::string, std::string>> sets;  // variables, meshes
    for (std::size_t i = 0; i < N.size(); ++i) {
      const auto found = std::find_if(sets.begin(), sets.end(),
                                      [&](const auto& set) { return set.first == variables[i]; });
      if (found == sets.end()) {
        sets.emplace_back(variables[i], "N = " + std::to_string(N[i]));
      } else {
        found->second += ", " + std::to_string(N[i]);
      }
    }
    if (sets.size() == 1) return sets.front().first;
    std::string text;
    for (const auto& [names, meshes] : sets) {
      text += (text.empty() ? "" : " and of ") + names + " on " + meshes;
    }
    return text;
  }
};

/// The line of the meshes whose iterations do not contract, with the remedy of `method`.
std::string not_contracting_line(const TroubledMeshes& stuck, Method method) {
  if (method == Method::successive_substitution) {
    return stuck.subject() + " not iteratively converged: the changes of " +
           stuck.named_variables() +
           " do not shrink, so more iterations will not help; successive"
           " substitution does not converge at this Re; --solver newton solves"
           " the same discrete equations";
  }
  return stuck.subject() + " not iteratively converged: the updates of " +
         stuck.named_variables() +
         " do not shrink; Newton's method does not converge from the exact"
         " solution on " +
         (stuck.N.size() == 1 ? "this mesh" : "these meshes");
}

/// The line of the meshes whose iterations contract but have not converged in `itmax`.
std::string contracting_line(const TroubledMeshes& short_of, int itmax) {
  const auto [fewest, most] =
      std::minmax_element(short_of.iterations.begin(), short_of.iterations.end());
  return short_of.subject() + " not iteratively converged: after " +
         (*fewest == *most ? "" : std::to_string(*fewest) + " to ") + std::to_string(*most) +
         " iterations the iteration error of " + short_of.named_variables() + " is " +
         fixed_text(kIterativeShare * 100.0, 0) +
         " % of the error or more; the iteration contracts: raise itmax (" +
         std::to_string(itmax) + ") for a study that means something";
}

/// "Newton's method (--solver newton)".
std::string method_name(Method method) {
  const MethodNames& names = method_names(method);
  return std::string(names.prose) + " (--solver " + std::string(names.option) + ")";
}

/// "least-squares fit of the values: f0 + C h^p with p = 1.5340, f0 = 6.16...e+00,
/// C = ... over 4 meshes", for a study without exact values.
std::string value_fit_line(const VariableStudy& study) {
  if (!study.value_fit) {
    return "least-squares fit of the values: none (fewer than three meshes with a value, or"
           " no power law of order 0.1 to 16 fits)";
  }
  const PowerFit& fit = *study.value_fit;
  return "least-squares fit of the values: f0 + C h^p with p = " + fixed_text(fit.order, 4) +
         ", f0 = " + scientific_text(fit.limit, 14) +
         ", C = " + scientific_text(fit.coefficient, 5) + " over " +
         std::to_string(study.value_fit_meshes) + " meshes";
}

/// A block per variable: its name, a row per mesh with its notes and, where errors
/// exist, the least-squares orders.
std::string variable_blocks(std::span<const VariableStudy> studies) {
  std::string text;
  for (const VariableStudy& study : studies) text += variable_block(study);
  return text;
}

}  // namespace

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
  text += variable_blocks(studies);
  const std::vector<std::string> warnings = study_warnings(base, method, studies);
  if (!warnings.empty()) text += "\n";
  for (const std::string& warning : warnings) text.append(warning).append("\n");
  return text;
}

bool has_errors(const VariableStudy& study) {
  return std::any_of(study.rows.begin(), study.rows.end(), [](const MeshRow& row) {
    return row.exact.has_value() || row.error.has_value();
  });
}

std::string variable_block(const VariableStudy& study) {
  std::string text = "\n" + study.name + "\n" + table_header() + "\n";
  for (const MeshRow& row : study.rows) text.append(table_row(row)).append("\n");
  return text.append("  ")
      .append(has_errors(study) ? least_squares_line(study) : value_fit_line(study))
      .append("\n");
}

std::string data_table_end(bool any_errors, bool formal_known,
                           std::span<const std::string> variables,
                           std::span<const Verdict> verdicts) {
  std::string text;
  if (!any_errors) {
    text += "\nNo exact values: no error, effective order, least-squares order or verdict;"
            " p_U, Richardson, GCI, the uncertainties and the least-squares fit come from the"
            " values alone.\n";
  }
  if (!formal_known) {
    text +=
        "\nu_fs is empty: the factor of safety of Xing and Stern weighs the observed order"
        " against the formal one; give it with --formal-order P (it also gives the second"
        " mesh its GCI).\n";
  }
  if (verdicts.empty()) return text;
  text += "\n";
  VerdictCounts counts{};
  count_verdicts(verdicts, counts);
  for (std::size_t v = 0; v < verdicts.size(); ++v) {
    text += verdict_summary(variables[v], verdicts[v]) + "\n";
  }
  return text + "\n" + tally_line(counts) + "\n";
}

std::string verdict_summary(std::string_view variable, const Verdict& verdict) {
  std::string text = std::string(variable) + ": " + std::string(verdict_name(verdict.kind));
  if (verdict.order) text += ", order " + fixed_text(*verdict.order, 3);
  if (!verdict.reason.empty()) text += "; " + verdict.reason;
  return text;
}

std::vector<std::string> study_warnings(const CaseData& base, Method method,
                                        std::span<const VariableStudy> studies) {
  // Each diverged mesh has its own fault; each kind of advice is one line naming its
  // meshes, where its first mesh would stand.
  std::vector<std::string> lines;
  std::array<TroubledMeshes, 2> kinds;  // not contracting, contracting too slowly
  const std::vector<MeshRow>& rows = mesh_rows(studies);
  for (std::size_t k = 0; k < rows.size(); ++k) {
    if (diverged(rows[k])) {
      lines.push_back("N = " + std::to_string(rows[k].N) + " diverged: " + rows[k].fault);
      continue;
    }
    std::string stuck = variables_where(
        studies, k, [](const MeshRow& row) { return row.iteration_not_converging; });
    std::string short_of = variables_where(
        studies, k, [](const MeshRow& row) { return row.iterative_share.has_value(); });
    TroubledMeshes& kind = stuck.empty() ? kinds[1] : kinds[0];
    std::string& variables = stuck.empty() ? short_of : stuck;
    if (variables.empty()) continue;
    if (kind.N.empty()) {
      kind.line = lines.size();
      lines.emplace_back();
    }
    kind.N.push_back(rows[k].N);
    kind.variables.push_back(std::move(variables));
    kind.iterations.push_back(rows[k].iterations);
  }
  const auto& [stuck, short_of] = kinds;
  if (!stuck.N.empty()) lines[stuck.line] = not_contracting_line(stuck, method);
  if (!short_of.N.empty()) lines[short_of.line] = contracting_line(short_of, base.itmax);
  return lines;
}

std::size_t troubled_meshes(std::span<const VariableStudy> studies) {
  const std::vector<MeshRow>& rows = mesh_rows(studies);
  std::size_t troubled = 0;
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const bool flagged = std::any_of(studies.begin(), studies.end(), [k](const VariableStudy& v) {
      return diverged(v.rows[k]) || v.rows[k].iteration_not_converging ||
             v.rows[k].iterative_share.has_value();
    });
    if (flagged) ++troubled;
  }
  return troubled;
}

std::vector<ColumnInfo> csv_columns() {
  std::vector<ColumnInfo> columns = {
      {study_column::variable, "the variable of interest, or the norm of the error"},
      {"N", "the mesh's elements (cells for a data file's cells; empty for h alone)"}};
  for (const MeshColumn& column : kMeshColumns) columns.push_back({column.csv, column.description});
  columns.push_back({"notes", "what the numbers cannot say, separated by ';'"});
  return columns;
}

std::string csv_header() {
  std::string line;
  for (const ColumnInfo& column : csv_columns()) {
    line.append(line.empty() ? "" : ",").append(column.name);
  }
  return line;
}

std::string csv_record(std::string_view name, const MeshRow& row) {
  std::string line;
  append_csv_record(line, name, row);
  return line;
}

void append_csv_record(std::string& line, std::string_view name, const MeshRow& row) {
  line.append(csv_field(name)).append(",").append(mesh_count(row));
  for (const MeshColumn& column : kMeshColumns) {
    const std::optional<double> value = column.value(row);
    line += ',';
    if (value) append_full_digits(line, *value);
  }
  line.append(",").append(notes(row, ";"));
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
  // Built beside its place and renamed into it: complete, or the file as it was.
  TextFile file = TextFile::replacing(path, kNoUnit, std::string(role));
  for (const std::string& record : records) file.write_record(record);
  file.close();
}

std::string record_block(std::span<const std::string> records) {
  std::size_t size = 0;
  for (const std::string& record : records) size += record.size() + kRecordEnd.size();
  std::string block;
  block.reserve(size);
  for (std::size_t k = 0; k < records.size(); ++k) {
    if (k > 0) block += kRecordEnd;
    block += records[k];
  }
  return block;
}

void check_records_file(const std::string& path, std::string_view role) {
  TextFile::check_creatable(path, kNoUnit, std::string(role));
}

}  // namespace talvenor

#include "study/data_study.hpp"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "input/value_reader.hpp"
#include "study/study_files.hpp"
#include "study_reports/audit_report.hpp"
#include "study_reports/junit.hpp"
#include "study_reports/plot_script.hpp"
#include "study_reports/report.hpp"
#include "study_sources/data_file.hpp"
#include "system/error.hpp"
#include "system/platform.hpp"
#include "textio/shortest_text.hpp"
#include "textio/text_file.hpp"

namespace talvenor {
namespace {

/// The rows of `file`, all variables together.
std::size_t row_count(const DataFile& file) {
  std::size_t rows = 0;
  for (const DataSeries& series : file.series) rows += series.points.size();
  return rows;
}

/// "Mesh-refinement study of runs.csv: 6 rows of 2 variables, cells in 2-D (h =
/// cells^(-1/2)); formal order 2".
std::string data_head(const std::string& path, const DataFile& file, const StudyOptions& options) {
  const std::size_t meshes = row_count(file);
  const std::size_t variables = file.series.size();
  const std::string dimension = options.dimension ? std::to_string(*options.dimension) : "";
  return "Mesh-refinement study of " + printable(path) + ": " + std::to_string(meshes) +
         " rows of " + std::to_string(variables) + (variables == 1 ? " variable" : " variables") +
         (file.count == MeshCount::cells
              ? ", cells in " + dimension + "-D (h = cells^(-1/" + dimension + "))"
              : ", h as given") +
         (options.formal_order ? "; formal order " + shortest(*options.formal_order) : "");
}

/// The files of the study, checked before it computes anything: none may be the
/// data file itself.
StudyFiles data_files(const std::string& path, const StudyOptions& options) {
  const std::string prefix =
      options.output.value_or(std::filesystem::path(path).stem().string() + "-study");
  const StudyFiles files = study_files(prefix);
  std::vector<std::string> written = {files.csv, files.estimators, files.script, files.png};
  if (options.junit) {
    check_study_file(*options.junit, kJunitRole, true);
    written.push_back(*options.junit);
  }
  for (const std::string& name : written) {
    if (same_file(name, path)) {
      throw Error(Error::Kind::usage, "the study file '" + printable(name) +
                                          "' is the data file; choose another --output prefix");
    }
  }
  return files;
}

/// The JUnit cells: one per variable, with its verdict when there is one.
std::vector<JunitCell> junit_cells(const std::vector<std::string>& variables,
                                   const std::vector<Verdict>& verdicts, bool has_errors,
                                   double formal) {
  const std::string none = has_errors ? "no verdict: --formal-order gives the order to judge against"
                                     : "no exact values: no error to judge";
  std::vector<JunitCell> cells;
  for (std::size_t v = 0; v < variables.size(); ++v) {
    cells.push_back({variables[v],
                     verdicts.empty() ? std::nullopt : std::optional<Verdict>(verdicts[v]), formal,
                     none});
  }
  return cells;
}

/// What the study keeps of its variables once each is written: never their studies
/// (some 250 bytes a mesh), only what the table's end, the audit, the plot and the
/// JUnit file need.
struct Kept {
  std::vector<std::string> variables;
  std::vector<Verdict> verdicts;           ///< one per variable, with a verdict to give
  std::vector<PlotCurve> plotted;          ///< of the first kPlottedVariables
  std::vector<AuditRow> audit;
  bool any_errors = false;
};

void stop_if_interrupted() {
  if (std::optional<Error> stop = interruption()) throw std::move(*stop);
}

/// Analyses the variables of `file` one at a time, each written as it is done (its
/// block of the table on the standard output, its rows into `csv`) and its rows of
/// the file let go; an interruption stops it at the next row it analyses or writes.
Kept analyse_each(DataFile& file, const StudyOptions& options, TextFile& csv) {
  Kept kept;
  // Room for every value once per estimator, set aside at once: a vector grown by
  // doubling would hold up to twice as much while it moves.
  if (file.has_errors) kept.audit.reserve(row_count(file) * kEstimatorCount);
  csv.write_record(csv_header());
  for (DataSeries& series : file.series) {
    stop_if_interrupted();
    VariableStudy study = analyse_variable(series.variable, data_rows(series),
                                           options.formal_order, file.count, stop_if_interrupted);
    std::vector<DataPoint>().swap(series.points);
    // Without exact values the formal order still serves u_fs and the two-mesh GCI.
    if (options.formal_order && file.has_errors) {
      kept.verdicts.push_back(judge(study, *options.formal_order));
    }
    std::fputs(variable_block(study).c_str(), stdout);
    for (const MeshRow& row : study.rows) csv.write_record(csv_record(study.name, row));
    for (AuditRow& row : audit_rows(std::span(&study, 1), {"", std::nullopt, options.formal_order, ""})) {
      // Only a value its U fails to cover (audit's Audit::failing) is named: the other
      // labels, some 150 MB for 10^6 values, are let go.
      if (!row.uncertainty || *row.uncertainty >= std::fabs(row.error)) std::string().swap(row.label);
      kept.audit.push_back(std::move(row));
    }
    kept.any_errors = kept.any_errors || has_errors(study);
    kept.variables.push_back(study.name);
    if (kept.plotted.size() < kPlottedVariables) kept.plotted.push_back(plot_curve(study));
  }
  return kept;
}

/// The files after the table: the estimators' table, the plot script (saying on the
/// standard output when it draws only some of the variables), the JUnit file.
void write_other_files(const std::string& path, const StudyOptions& options,
                       const StudyFiles& files, const Kept& kept, const Audit& audit,
                       bool has_errors) {
  if (has_errors) write_records(files.estimators, kEstimatorsTable, audit_csv_records(audit));
  const PlotTitles titles{printable(path), printable(path), false};
  write_records(files.script, kScriptRole, plot_script_records(titles, kept.plotted, files.png));
  if (kept.variables.size() > kPlottedVariables) {
    std::printf("\nThe plot draws the first %zu of the %zu variables; %s holds them all.\n",
                kPlottedVariables, kept.variables.size(), files.csv.c_str());
  }
  if (options.junit) {
    write_records(*options.junit, kJunitRole,
                  junit_records("Mesh-refinement study of " + printable(path),
                                junit_cells(kept.variables, kept.verdicts, has_errors,
                                            options.formal_order.value_or(0.0)),
                                options.require));
  }
}

}  // namespace

void run_data_study(const StudyOptions& options) {
  const std::string& path = *options.data;
  DataFile file = read_data_file(path, options.dimension);
  const StudyFiles files = data_files(path, options);
  std::fputs((data_head(path, file, options) + "\n").c_str(), stdout);
  // Written as the variables are analysed, and put in place whole once all are.
  TextFile csv = TextFile::replacing(files.csv, kNoUnit, std::string(kTableRole));
  const Kept kept = analyse_each(file, options, csv);
  // Where exact values exist, the estimators are graded against them.
  const Audit audit = talvenor::audit(kept.audit);
  std::fputs((data_table_end(kept.any_errors, options.formal_order.has_value(), kept.variables,
                             kept.verdicts) +
              (file.has_errors ? audit_text(audit, "") : ""))
                 .c_str(),
             stdout);
  csv.close();
  write_other_files(path, options, files, kept, audit, file.has_errors);
  std::fflush(stdout);
  const bool drawn = draw_plot(files.script, files.png);
  std::printf("\nwritten: %s, %s%s%s%s%s%s%s\n", files.csv.c_str(),
              file.has_errors ? files.estimators.c_str() : "", file.has_errors ? ", " : "",
              files.script.c_str(),
              drawn ? ", " : "", drawn ? files.png.c_str() : "", options.junit ? ", " : "",
              options.junit ? options.junit->c_str() : "");
  VerdictCounts counts{};
  count_verdicts(kept.verdicts, counts);
  if (const std::size_t failed = count_of(counts, VerdictKind::failed); failed > 0) {
    throw Error(Error::Kind::verification,
                std::to_string(failed) + " of the " + std::to_string(kept.verdicts.size()) +
                    " variables FAILED: their orders do not approach the formal order " +
                    shortest(*options.formal_order) + "; the table gives each reason");
  }
  if (const std::size_t open = gate_failures(counts, kept.variables.size(), options.require); open > 0) {
    throw Error(Error::Kind::verification,
                std::to_string(open) + " of the " + std::to_string(kept.variables.size()) +
                    " variables are not verified, as --require verified asks; the table gives"
                    " each reason");
  }
}

}  // namespace talvenor

#include "study/data_study.hpp"

#include <cstdio>
#include <filesystem>
#include <string>
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

namespace talvenor {
namespace {

/// "runs.csv: 3 meshes of 2 variables, cells in 2-D (h = cells^(-1/2))".
std::string data_head(const std::string& path, const std::vector<VariableStudy>& studies,
                      MeshCount count, const StudyOptions& options) {
  std::size_t meshes = 0;
  for (const VariableStudy& study : studies) meshes += study.rows.size();
  const std::string dimension = options.dimension ? std::to_string(*options.dimension) : "";
  return "Mesh-refinement study of " + printable(path) + ": " + std::to_string(meshes) +
         " rows of " + std::to_string(studies.size()) +
         (studies.size() == 1 ? " variable" : " variables") +
         (count == MeshCount::cells
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
std::vector<JunitCell> junit_cells(const std::vector<VariableStudy>& studies,
                                   const std::vector<Verdict>& verdicts, bool has_errors,
                                   double formal) {
  const std::string none = has_errors ? "no verdict: --formal-order gives the order to judge against"
                                     : "no exact values: no error to judge";
  std::vector<JunitCell> cells;
  for (std::size_t v = 0; v < studies.size(); ++v) {
    cells.push_back({studies[v].name,
                     verdicts.empty() ? std::nullopt : std::optional<Verdict>(verdicts[v]), formal,
                     none});
  }
  return cells;
}

}  // namespace

void report_variables(const VariableReport& report, const StudyFiles& files,
                      const StudyOptions& options) {
  const std::vector<VariableStudy>& studies = report.studies;
  // Where exact values exist, the estimators are graded against them.
  const Audit audit = talvenor::audit(audit_rows(studies, "", std::nullopt, ""));
  std::string notes;
  for (const std::string& note : report.notes) notes += note + "\n";
  std::fputs((data_table(report.head, studies, report.verdicts, report.formal_known) + notes +
              (report.has_errors ? audit_text(audit, "") : ""))
                 .c_str(),
             stdout);
  write_records(files.csv, kTableRole, csv_records(studies));
  if (report.has_errors) write_records(files.estimators, kEstimatorsTable, audit_csv_records(audit));
  const PlotTitles titles{report.subject, report.subject, false};
  write_records(files.script, kScriptRole, plot_script_records(titles, studies, files.png));
  if (options.junit) {
    write_records(*options.junit, kJunitRole,
                  junit_records("Mesh-refinement study of " + report.subject,
                                junit_cells(studies, report.verdicts, report.has_errors,
                                            report.formal.value_or(0.0))));
  }
  std::fflush(stdout);
  const bool drawn = draw_plot(files.script, files.png);
  std::printf("\nwritten: %s, %s%s%s%s%s%s%s\n", files.csv.c_str(),
              report.has_errors ? files.estimators.c_str() : "", report.has_errors ? ", " : "",
              files.script.c_str(),
              drawn ? ", " : "", drawn ? files.png.c_str() : "", options.junit ? ", " : "",
              options.junit ? options.junit->c_str() : "");
  VerdictCounts counts{};
  count_verdicts(report.verdicts, counts);
  if (const std::size_t failed = count_of(counts, VerdictKind::failed); failed > 0) {
    throw Error(Error::Kind::verification,
                std::to_string(failed) + " of the " + std::to_string(report.verdicts.size()) +
                    " variables FAILED: their orders do not approach the formal order" +
                    (report.formal ? " " + shortest(*report.formal) : "") +
                    "; the table gives each reason");
  }
}

void run_data_study(const StudyOptions& options) {
  const std::string& path = *options.data;
  DataFile file = read_data_file(path, options.dimension);
  const StudyFiles files = data_files(path, options);
  VariableReport report;
  for (DataSeries& series : file.series) {
    report.studies.push_back(
        analyse_variable(series.variable, data_rows(series), options.formal_order, file.count));
    std::vector<DataPoint>().swap(series.points);  // the study holds them now
    // Without exact values the formal order still serves u_fs and the two-mesh GCI.
    if (options.formal_order && file.has_errors) {
      report.verdicts.push_back(judge(report.studies.back(), *options.formal_order));
    }
  }
  report.subject = printable(path);
  report.head = data_head(path, report.studies, file.count, options);
  report.formal = options.formal_order;
  report.formal_known = options.formal_order.has_value();
  report.has_errors = file.has_errors;
  report_variables(report, files, options);
}

}  // namespace talvenor

// talvenor-study's help, written from the tables that own each fact: the options
// (option_table), the CSV columns, the estimators, the schemes' formal orders, the
// verdicts, the files and the exit statuses.

#include <string>
#include <string_view>
#include <vector>

#include "analysis/estimators.hpp"
#include "analysis/mesh_study.hpp"
#include "analysis/verdict.hpp"
#include "record/schemes.hpp"
#include "study/options.hpp"
#include "study/reports.hpp"
#include "study/study_files.hpp"
#include "study_reports/audit_report.hpp"
#include "study_reports/campaign_report.hpp"
#include "study_reports/report.hpp"
#include "system/exit_status.hpp"
#include "textio/number_format.hpp"
#include "textio/shortest_text.hpp"

namespace talvenor {
namespace {

constexpr std::size_t kLineWidth = 79;
constexpr std::size_t kTermWidth = 20;  ///< the column where a term's description starts

/// `text` wrapped at kLineWidth after `first` (already on the line), the next lines
/// starting with `indent` blanks:
///   wrapped("  --jobs J  ", "meshes run at once ...", 22) -> "  --jobs J  meshes run ...\n"
std::string wrapped(std::string first, std::string_view text, std::size_t indent) {
  std::string line = std::move(first);
  std::string out;
  bool empty = true;  // no word on the line yet
  while (!text.empty()) {
    const std::size_t blank = text.find(' ');
    const std::string_view word = text.substr(0, blank);
    text.remove_prefix(blank == std::string_view::npos ? text.size() : blank + 1);
    if (!empty && line.size() + 1 + word.size() > kLineWidth) {
      out += line + "\n";
      line = std::string(indent, ' ');
      empty = true;
    }
    line.append(empty ? "" : " ").append(word);
    empty = false;
  }
  return out + line + "\n";
}

/// A term and its description, the description from column kTermWidth + 2 (the term
/// alone on its line when it reaches that column): "  --jobs J            meshes run ...".
std::string term(std::string_view name, std::string_view description) {
  constexpr std::size_t column = kTermWidth + 2;
  const std::string head = "  " + std::string(name);
  if (head.size() >= column) {
    return head + "\n" + wrapped(std::string(column, ' '), description, column);
  }
  return wrapped(head + std::string(column - head.size(), ' '), description, column);
}

/// "[--jobs J] [--output PREFIX] ..." for the options of the studies `modes` that take a
/// value, after `lead` and leaving out those it names: usage("--data FILE", kDataStudy,
/// false) -> "       talvenor-study --data FILE [--jobs J] ...".
std::string usage(std::string_view lead, unsigned modes, bool first) {
  std::string items(lead);
  for (const OptionInfo& option : option_table()) {
    const bool in_lead = lead.find(std::string(option.name) + " ") != std::string_view::npos;
    if ((option.modes & modes) == 0 || option.argument.empty() || in_lead) continue;
    items.append(items.empty() ? "" : " ")
        .append("[")
        .append(option.name)
        .append(" ")
        .append(option.argument)
        .append("]");
  }
  return wrapped(first ? "Usage: talvenor-study " : "       talvenor-study ", items, 22);
}

std::string options_section() {
  std::string text = "Options:\n";
  for (const OptionInfo& option : option_table()) {
    const std::string name = std::string(option.name) + (option.argument.empty() ? "" : " ") +
                             std::string(option.argument);
    text += term(name, std::string(option.description) +
                           (option.listed ? " " + option.listed() : std::string()));
  }
  return text;
}

std::string columns_section() {
  std::string text =
      "Columns of the table and of PREFIX.csv, a row per variable and mesh (the table\n"
      "heads p_effective p_E and p_apparent p_U; the CSV file has 17-digit numbers):\n";
  for (const ColumnInfo& column : csv_columns()) text += term(column.name, column.description);
  text += "A campaign's PREFIX.csv puts before them:\n";
  for (const ColumnInfo& column : kCombinationColumns)
    text += term(column.name, column.description);
  text += "and after them:\n" + term(kVerdictColumn.name, kVerdictColumn.description);
  std::string columns = audit_csv_header();
  for (std::size_t comma = columns.find(','); comma != std::string::npos;
       comma = columns.find(',', comma + 2)) {
    columns.replace(comma, 1, ", ");
  }
  return text + wrapped("",
                        "PREFIX-estimators.csv has the columns " + columns +
                            ": for each estimator and group of values (all, the finest " +
                            "mesh of each study, each scheme, Re*h < 2 and >= 2 of the " +
                            "value's own mesh, the bands of P = p_U / formal order), how " +
                            "many U cover |E| with the 95 % Wilson interval, how many rows " +
                            "have no U, and the effectivity U / |E|.",
                        0);
}

std::string estimators_section() {
  std::string text =
      "Uncertainty estimators, absolute uncertainties U of a mesh's value, that mesh\n"
      "the finest of those up to it:\n";
  for (const EstimatorInfo& estimator : kEstimators) {
    std::string line = std::string(estimator.description) + ": " + std::string(estimator.formula);
    if (estimator.safety[0] > 0.0) {
      line += "; safety factors " + shortest(estimator.safety[0]) + " and " +
              shortest(estimator.safety[1]);
    }
    text += term(estimator.name, line);
  }
  return text;
}

std::string formal_orders_section() {
  std::string text = "Formal orders of the schemes:\n";
  constexpr double kBetaOne = 1.0;
  constexpr double kOtherBeta = 0.5;
  for (std::size_t esquema = 0; esquema < kSchemes.size(); ++esquema) {
    const Scheme& scheme = kSchemes[esquema];
    std::string order = shortest(scheme.formal_order(kBetaOne));
    if (scheme.beta_matters) {
      order += " with beta = " + shortest(kBetaOne) + ", else " +
               shortest(scheme.formal_order(kOtherBeta));
    }
    text += term("esquema " + std::to_string(esquema), std::string(scheme.name) + ": " + order);
  }
  return text;
}

std::string verdicts_section() {
  std::string text =
      wrapped("",
              "Verdicts, per variable of a campaign (and of a data or --run study with exact"
              " values and --formal-order), from the observed order (least squares over the finest three"
              " clean meshes: no divergence, iteration or round-off note) against the formal"
              " one, tolerance " +
                  shortest(kOrderTolerance) + ":",
              0);
  for (const VerdictNames& verdict : kVerdicts) {
    // Appended, never prefixed: MinGW's GCC 12 at -O3 sees a false overlap (-Wrestrict).
    text += term(std::string(1, '"').append(verdict.name).append("\""), verdict.meaning);
  }
  return text;
}

/// "(a study, a data study)": the studies of `modes`.
std::string studies_named(unsigned modes) {
  constexpr std::pair<unsigned, std::string_view> kNames[] = {
      {kCaseStudy, "a study"},
      {kCampaign, "a campaign"},
      {kDataStudy, "a data study"},
      {kRunStudy, "a --run study"}};
  std::string names;
  for (const auto& [mode, name] : kNames) {
    if (modes & mode) names.append(names.empty() ? "" : ", ").append(name);
  }
  return "(" + names + ") ";
}

std::string files_section() {
  std::string text = "Files, each written whole or not at all:\n";
  for (const Report& report : reports()) {
    text += term(report.suffix.empty() ? "FILE" : "PREFIX" + std::string(report.suffix),
                 studies_named(report.modes) + std::string(report.description));
  }
  return text;
}

std::string statuses_section() {
  std::string text = "Exit status:\n";
  for (const ExitStatus& status : kExitStatuses) {
    if ((status.programs & kStudyBit) == 0) continue;
    text += wrapped("  " + std::to_string(status.number) + "  " + std::string(status.name) + ": ",
                    status.meaning, 5);
  }
  return text;
}

constexpr std::string_view kIntroduction =
    "Runs the case of Talvenor.in in the working folder (esquema, fonte, Re, beta and itmax as"
    " the file gives them; the editor is not started) on a sequence of meshes, N replaced, and"
    " reports how each variable of interest converges: u(1/2) at node N/2, the mean u_media"
    " and the slope inclinacao(1) at x = 1; then the norms of the error, L1(e), L2(e) and"
    " Linf(e). Under each variable, the least-squares order of |E| against h over all meshes"
    " and over the finest three.";

std::string notes_paragraph() {
  return wrapped(
      "",
      "Notes flag what the numbers cannot say. The first three leave the value with no order,"
      " Richardson value or GCI: \"iteration not converging\" (the iteration's last change is no"
      " smaller than the one before: the value solves no discrete equations; with picard,"
      " --solver newton solves the same equations), \"iteration error N % of |E|\" (the"
      " iteration error left, estimated from the last changes, is " +
          fixed_text(kIterativeShare * 100.0, 0) +
          " % of the error or more: raise itmax), \"round-off\" (|E| below 100 N machine"
          " epsilons of the exact value, the rounding noise of a mesh of N elements);"
          " \"oscillatory\" (the successive differences change sign: no p_U, Richardson value"
          " or GCI; u_gci is the range of the three values), \"not converging\" (p_U below " +
          shortest(kLeastOrder) +
          ", on either side of zero: the differences hardly shrink, or grow; no Richardson"
          " value, GCI, u_gci or u_fs), \"diverged\" (a floating-point fault stopped that mesh;"
          " the others still run).",
      0);
}

constexpr std::string_view kStudiesParagraphs =
    "A campaign (--sweep) prints a row per combination with the formal order and, for each"
    " variable, the observed order and the verdict, then the tally of the cells (combination"
    " and variable).\n"
    "A data study (--data) reads the file whole before it writes anything; a bad file stops"
    " it with one line naming the file, the line and the column. Rows may come in any order"
    " and any refinement ratios; each variable needs two meshes (three for p_U). Without"
    " exact values the table has no error, p_E or verdict, and says so. PREFIX.csv has the"
    " study's columns, N holding the cells where the file gives cells.\n"
    "A --run study runs your command on each mesh and reads what it prints as a data study"
    " reads its file (no h or cells column: the mesh is the run's); it writes what a data"
    " study writes, each combination of its --sweep a group"
    " of the HTML report and the --table file, its variables named \"NAME=VALUE: VARIABLE\""
    " in the table, PREFIX.csv and the plot. A mesh whose command fails, outlives --timeout"
    " or prints nothing readable is diverged with a note; SIGINT or SIGTERM ends every"
    " command it started, whole process groups.";

std::string build_help() {
  std::string text =
      usage("", kCaseStudy | kCampaign, true) + usage("--data FILE", kDataStudy, false) +
      usage("--run COMMAND", kRunStudy, false) +
      usage("--source EXPR --language L", kSourceCode, false) + "\n" +
      wrapped("", kIntroduction, 0) + "\n" + options_section() + "\n" + columns_section() + "\n" +
      estimators_section() + "\n" + formal_orders_section() + "\n" + notes_paragraph() + "\n" +
      verdicts_section() + "\n";
  std::string_view paragraphs = kStudiesParagraphs;
  for (std::size_t end = paragraphs.find('\n'); !paragraphs.empty(); end = paragraphs.find('\n')) {
    text += wrapped("", paragraphs.substr(0, end), 0) + "\n";
    paragraphs.remove_prefix(end == std::string_view::npos ? paragraphs.size() : end + 1);
  }
  return text + files_section() + "\n" + statuses_section() + "\n" +
         wrapped("",
                 "The plotter's status changes none of these: a plotter that fails gets a"
                 " warning line.",
                 0);
}

}  // namespace

std::string_view help_text() {
  static const std::string text = build_help();
  return text;
}

}  // namespace talvenor

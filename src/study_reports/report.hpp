#pragma once

// What a study writes: the table for the console, the CSV file and the gnuplot
// script of |error| against h.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/mesh_study.hpp"
#include "analysis/verdict.hpp"
#include "record/solver_method.hpp"
#include "record/variaveis.hpp"
#include "study_reports/plot_script.hpp"
#include "textio/text_helpers.hpp"  // csv_field

namespace talvenor {

/// The table of the standard output: a head naming the case, the meshes, the solver
/// and the iterations each mesh took, one block per variable (a row per mesh with its
/// notes, the least-squares orders under it), then a line for each mesh that diverged
/// or whose iterations had not converged.
std::string study_table(const CaseData& base, Method method,
                        std::span<const VariableStudy> studies);

/// A data file's study writes its table a variable at a time (variable_block), so
/// that the table of 10^5 variables is never held whole; data_table_end closes it: a
/// line saying once that the file has no exact values when none of `any_errors`' rows
/// has, one saying why u_fs is empty unless `formal_known`, and with `verdicts` (one per
/// variable, named by `variables`) a line per variable (verdict_summary) and the tally.
std::string data_table_end(bool any_errors, bool formal_known,
                           std::span<const std::string> variables,
                           std::span<const Verdict> verdicts);

/// A variable's block of a table: its name, a row per mesh with its notes, then the
/// least-squares orders where errors exist, else the least-squares fit of the values.
std::string variable_block(const VariableStudy& study);

/// Whether any row of `study` has an error: an exact value, or a norm of the error.
bool has_errors(const VariableStudy& study);

/// "drag: FAILED, order 1.201; effective orders 1.10, 1.20 on ...": a variable's
/// verdict, its order and its reason where they exist.
std::string verdict_summary(std::string_view variable, const Verdict& verdict);

/// The lines that end the table: one per mesh that diverged, with its fault; one
/// naming the meshes whose iterations do not contract, and one naming those whose
/// iterations contract but have not converged, each with its remedy once (Newton's
/// method for a successive substitution that does not contract, a larger itmax for
/// one that does); empty when none. A line stands where its first mesh would:
///   "N = 20, 40 and 80 are not iteratively converged: the changes of u(1/2) do not
///   shrink, so more iterations will not help; successive substitution ..."
std::vector<std::string> study_warnings(const CaseData& base, Method method,
                                        std::span<const VariableStudy> studies);

/// How many meshes study_warnings speaks of: those that diverged or whose iterations
/// have not converged.
std::size_t troubled_meshes(std::span<const VariableStudy> studies);

/// A column of a CSV file the study writes: its name and what it holds.
struct ColumnInfo {
  std::string_view name;
  std::string_view description;
};

/// The columns of the study's CSV file in their order, as csv_header names them:
/// variable, N, the number columns, notes.
std::vector<ColumnInfo> csv_columns();

/// The head of the study's CSV file:
/// "variable,N,h,numerical,exact,error,p_effective,p_apparent,richardson,gci,notes".
std::string csv_header();

/// The CSV record of variable `name` on the mesh of `row`: numbers with 17 significant
/// digits, an empty field where a value does not exist, and the table's notes separated
/// by ';' ("iteration not converging;round-off"), empty when clean.
std::string csv_record(std::string_view name, const MeshRow& row);

/// csv_record(name, row) appended to `line`, without a string of its own.
void append_csv_record(std::string& line, std::string_view name, const MeshRow& row);

/// The CSV records: csv_header(), then csv_record for each variable and mesh.
std::vector<std::string> csv_records(std::span<const VariableStudy> studies);

/// The plot titles of a study of talvenor's case `base` solved by `method`: subject its
/// caso, title "caso: esquema 1, fonte 0, Re = 10, beta = 1, itmax 50, Newton".
PlotTitles case_plot_titles(const CaseData& base, Method method);

/// Writes `records` into the text file `path` (CR LF line ends), whole or not at all
/// (TextFile::replacing: a link at `path` is replaced); `role` names it in failure
/// reports.
void write_records(const std::string& path, std::string_view role,
                   std::span<const std::string> records);

/// `records` joined by the line end that write_records puts after each record, so that
/// a block written as one record gives the bytes of its records written one by one:
/// {"a", "b"} -> "a\r\nb". A report made in pieces (a campaign's combinations, each
/// on the thread that analysed it) keeps a block per piece, not a string per line.
std::string record_block(std::span<const std::string> records);

/// Throws the Error that write_records would throw on opening `path`, before the
/// study computes anything; leaves the folder as it was (TextFile::check_creatable).
void check_records_file(const std::string& path, std::string_view role);

}  // namespace talvenor

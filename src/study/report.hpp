#pragma once

// What a study writes: the table for the console, the CSV file and the gnuplot
// script of |error| against h.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "record/variaveis.hpp"
#include "study/study.hpp"

namespace talvenor {

/// The table of the standard output: a head naming the case, the meshes, the solver
/// and the iterations each mesh took, one block per variable (a row per mesh with its
/// notes, the least-squares orders under it), then a line for each mesh that diverged
/// or whose iterations had not converged.
std::string study_table(const CaseData& base, Method method,
                        std::span<const VariableStudy> studies);

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

/// `text` right-aligned in a field of `width` characters: right("ab", 4) -> "  ab".
std::string right(std::string_view text, std::size_t width);

/// The shortest text that reads back as `value`: 1, 0.5, 1e+30.
std::string shortest(double value);

/// The flags of a row, each a few words: what its numbers cannot say ("diverged",
/// "iteration not converging", "iteration error 12 % of |E|", "round-off",
/// "oscillatory", "not converging"); empty for a clean row.
std::vector<std::string> flags(const MeshRow& row);

/// The flags joined by `separator`: "iteration error 12 % of |E|, round-off".
std::string notes(const MeshRow& row, std::string_view separator = ", ");

/// The head of the study's CSV file.
inline constexpr std::string_view kCsvHeader =
    "variable,N,h,numerical,exact,error,p_effective,p_apparent,richardson,gci,notes";

/// The CSV record of variable `name` on the mesh of `row`: numbers with 17 significant
/// digits, an empty field where a value does not exist, and the table's notes separated
/// by ';' ("iteration not converging;round-off"), empty when clean.
std::string csv_record(std::string_view name, const MeshRow& row);

/// The CSV records: kCsvHeader, then csv_record for each variable and mesh.
std::vector<std::string> csv_records(std::span<const VariableStudy> studies);

/// The gnuplot script that draws |error| against h on log-log axes for the three
/// variables, with reference slopes of order 1 and 2, into the PNG file `png_name`;
/// a point whose row carries a note is drawn hollow, and the title says so when no
/// point is clean.
std::vector<std::string> plot_script_records(const CaseData& base, Method method,
                                             std::span<const VariableStudy> studies,
                                             std::string_view png_name);

/// Writes `records` into the text file `path` (CR LF line ends), whole or not at all
/// (TextFile::replacing: a link at `path` is replaced); `role` names it in failure
/// reports.
void write_records(const std::string& path, std::string_view role,
                   std::span<const std::string> records);

/// Throws the Error that write_records would throw on opening `path`, before the
/// study computes anything; leaves the folder as it was (TextFile::check_creatable).
void check_records_file(const std::string& path, std::string_view role);

}  // namespace talvenor

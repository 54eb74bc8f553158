#pragma once

// Anyone's results as a source of studies: a CSV file with a value per variable and
// mesh, read into the sequences of meshes the analysis takes.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/mesh_study.hpp"

namespace talvenor {

/// One row of a data file: a variable's value on one mesh.
struct DataPoint {
  double h = 0.0;
  std::int64_t cells = 0;        ///< 0 when the file gives h
  std::optional<double> value;   ///< none when the field is empty (a mesh that gave nothing)
  std::optional<double> exact;
  /// A norm of the error, given alone (a study's CSV gives its norm rows so): the
  /// error column of a row without a value.
  std::optional<double> error;
  std::size_t line = 0;          ///< where the row starts in the file
};

/// The rows of one variable, coarse to fine.
struct DataSeries {
  std::string variable;
  std::vector<DataPoint> points;
};

/// What a data file holds.
struct DataFile {
  MeshCount count = MeshCount::none;  ///< cells when the file gives cells, none when h
  bool has_errors = false;  ///< the file has an exact column, or an error column (norms)
  std::vector<DataSeries> series;     ///< in the order the variables first appear
};

/// h = cells^(-1/D), the size of a cell of a unit domain (a constant factor cancels
/// in every ratio); without a dimension, 1/count:
///   mesh_size(100, 2) -> 0.1, mesh_size(20, std::nullopt) -> 0.05
double mesh_size(std::int64_t count, std::optional<int> dimension);

/// Reads the data file `path` (see parse_data); a file that cannot be opened or read
/// throws Error (case_file) naming it.
DataFile read_data_file(const std::string& path, std::optional<int> dimension);

/// Reads a data file from `in`, named `name` in reports. The first line names the
/// columns (case-insensitive, blanks around a name ignored, any order, other columns
/// ignored): h, or cells with `dimension` (h = cells^(-1/D); h with a dimension is a
/// usage Error); value or numerical; optionally exact and variable (rows of one name
/// form one study; default "value"), and error, read only where a row has no value: a
/// norm of the error given alone ("L2(e),,1.25e-01,,,4.7e-03,...", as a study's CSV
/// writes it). A file of h and error alone is a table of norms.
/// Fields follow RFC 4180: separated by the header's separator (',', else ';', else a
/// tab; with ';' or a tab a number may have a decimal comma, "16,31", the file using
/// one decimal mark), quoted with '"' when they hold the separator, quotes ("") or line
/// ends. A UTF-8 byte-order mark, CR LF line ends, blank lines and lines of bare
/// separators are accepted. Bad input throws Error (case_file) with one line naming the
/// file, the line and the column:
///   "runs.csv line 4, column 2 (value): expected a number, found 'abc'"
/// and so does what cannot be read exactly: a row of more fields than the header's
/// (naming a likely decimal comma), a comment line ('#'), UTF-16 text, CR line ends.
/// Every variable needs two meshes of distinct h (more than 1e-12 apart, relatively);
/// an empty value is a mesh without a value (diverged), an empty exact field leaves
/// that row without an exact value. An interruption stops the reading (Error
/// interrupted) within a few thousand rows.
DataFile parse_data(std::string_view name, std::istream& in, std::optional<int> dimension);

/// Each series of `file` analysed (analyse_variable with `formal` and the file's mesh
/// count) in the order of the file and handed to `take` at once, its rows of the file
/// let go (the file itself once all are): the road of a data file's rows to the reports,
/// a variable at a time, so that 10^5 variables are never analysed all at once. `between_rows`, when given, runs
/// before each variable and each row's fit: an interruption throws from it.
void data_studies(DataFile file, std::optional<double> formal,
                  const std::function<void(VariableStudy&&)>& take,
                  const std::function<void()>& between_rows = {});

/// What one run of a user's solver gave (talvenor-study --run): values of variables,
/// or its nodal solution.
struct MeshResult {
  /// variable,value[,exact] rows in the order of the file, h and cells 0 (the mesh is
  /// the run's).
  std::vector<std::pair<std::string, DataPoint>> values;
  std::vector<double> x, u;  ///< the x,u columns, in the order of the file
};

/// Reads a run's result from `in`, named `name` in reports. A header that names the
/// columns x and u makes the rows a nodal solution (other columns ignored): every row
/// gives both as finite numbers. Otherwise the rows are read as parse_data reads them
/// (value, optionally variable and exact; no h or cells column is needed), each
/// variable once. Bad input throws Error (case_file) with one line, as parse_data's:
///   "stdout.txt line 3, column 2: expected a number, found 'nan'"
MeshResult parse_mesh_result(std::string_view name, std::istream& in);

/// The rows of `series` as the analysis takes them: N the cells (0 for h), the value
/// or none with the fault "no value in the data file", and round-off only where the
/// value equals the exact one.
std::vector<MeshRow> data_rows(const DataSeries& series);

}  // namespace talvenor

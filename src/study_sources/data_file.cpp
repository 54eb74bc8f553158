#include "study_sources/data_file.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <fstream>
#include <functional>
#include <unordered_map>
#include <utility>

#include "analysis/study_columns.hpp"
#include "system/error.hpp"
#include "textio/text_helpers.hpp"

namespace talvenor {
namespace {

/// The name of a study whose file has no variable column.
constexpr std::string_view kDefaultVariable = "value";

[[noreturn]] void fail(const std::string& message) {
  throw Error(Error::Kind::case_file, message);
}

std::string_view trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

/// The records of a CSV file, one at a time: fields split at commas, quoted fields
/// unquoted (a quoted field may span lines), CR LF and a leading byte-order mark
/// accepted, blank lines passed over.
class CsvRecords {
 public:
  CsvRecords(std::string_view name, std::istream& in) : name_(name), in_(in) {}

  /// The next record into `fields`, false at the end of the file.
  bool next(std::vector<std::string>& fields) {
    do {
      if (!read_line(text_)) return false;
    } while (trimmed(text_).empty());
    start_ = line_;
    split(text_, fields);
    return true;
  }

  /// The line where the last record starts.
  std::size_t line() const { return start_; }

  /// "runs.csv line 4": the line of the last record.
  std::string at_line() const { return std::string(name_) + " line " + std::to_string(start_); }

  /// "runs.csv line 4, column 2": where a report points.
  std::string where(std::size_t column) const {
    return at_line() + ", column " + std::to_string(column);
  }

 private:
  bool read_line(std::string& text) {
    if (!std::getline(in_, text)) {
      if (in_.bad()) fail(std::string(name_) + ": cannot be read");
      return false;
    }
    ++line_;
    if (line_ == 1 && text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
    if (!text.empty() && text.back() == '\r') text.pop_back();
    return true;
  }

  /// Splits the record that starts with `text` into `fields`, reading on while a
  /// quoted field is open.
  void split(std::string& text, std::vector<std::string>& fields) {
    // The strings of the last record are reused: a row allocates nothing.
    std::size_t count = 1;
    if (fields.empty()) fields.emplace_back();
    fields.front().clear();
    std::size_t i = 0;
    while (i <= text.size()) {
      const std::size_t start = i;
      while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
      if (i < text.size() && text[i] == '"') {
        i = quoted(text, i + 1, fields[count - 1]);
      } else {
        i = start;
        const std::size_t end = std::min(text.find(',', i), text.size());
        fields[count - 1].append(text, i, end - i);
        i = end;
      }
      if (i >= text.size()) break;
      if (++count > fields.size()) fields.emplace_back();
      fields[count - 1].clear();
      ++i;  // the comma
    }
    fields.resize(count);
  }

  /// Reads a quoted field from `text` after its opening quote, into `field`; returns
  /// where the field ends (at a comma or the end of the record).
  std::size_t quoted(std::string& text, std::size_t i, std::string& field) {
    for (;;) {
      if (i >= text.size()) {
        std::string more;
        if (!read_line(more)) fail(where(column_of(text)) + ": a quoted field is not closed");
        text += '\n';  // copied into the field as the loop goes on
        text += more;
        continue;
      }
      if (text[i] != '"') {
        field += text[i++];
      } else if (i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        i += 2;
      } else {
        break;
      }
    }
    ++i;  // the closing quote
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i < text.size() && text[i] != ',') {
      fail(where(column_of(std::string_view(text).substr(0, i))) + ": text after the closing quote");
    }
    return i;
  }

  /// The field number (from 1) of the end of `text`, counting the commas outside quotes.
  static std::size_t column_of(std::string_view text) {
    std::size_t column = 1;
    bool inside = false;
    for (const char c : text) {
      if (c == '"') inside = !inside;
      if (c == ',' && !inside) ++column;
    }
    return column;
  }

  std::string_view name_;
  std::istream& in_;
  std::string text_;  ///< the last record, its storage kept for the next
  std::size_t line_ = 0;
  std::size_t start_ = 0;
};

/// A hash of variable names that finds a name from a string_view without a copy.
struct NameHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
};

/// Where each known column is, counted from 0.
struct Columns {
  std::optional<std::size_t> h, cells, value, exact, error, variable;
  std::vector<std::string> names;  ///< every heading as written, trimmed
};

/// The columns of `header`; `mesh_given`: the mesh is known without an h or cells column.
Columns find_columns(const CsvRecords& records, const std::vector<std::string>& header,
                     bool mesh_given) {
  Columns columns;
  const std::string file = records.at_line();
  for (std::size_t k = 0; k < header.size(); ++k) {
    std::string name(trimmed(header[k]));
    columns.names.push_back(name);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::optional<std::size_t>* slot = name == study_column::h ? &columns.h
                                       : name == "cells"       ? &columns.cells
                                       : name == "value" || name == study_column::numerical
                                           ? &columns.value
                                       : name == study_column::exact    ? &columns.exact
                                       : name == study_column::error    ? &columns.error
                                       : name == study_column::variable ? &columns.variable
                                                                        : nullptr;
    if (!slot) continue;
    if (*slot) {
      fail(records.where(k + 1) + " (" + printable(columns.names.back()) +
           "): a second column of the same meaning as column " + std::to_string(**slot + 1));
    }
    *slot = k;
  }
  if (columns.h && columns.cells) {
    fail(records.where(*columns.cells + 1) +
         " (cells): the file gives both h and cells; keep one of them");
  }
  if (!columns.h && !columns.cells && !mesh_given) {
    fail(file + ": no column h or cells: the first line names the columns, h (or cells) and value");
  }
  if (!columns.value) {
    fail(file + ": no column value or numerical: the first line names the columns, h (or cells)"
                " and value");
  }
  return columns;
}

/// The number in `field`, finite, or the reason it is none: "expected a number".
std::optional<double> number(const std::string& field, std::string_view& fault) {
  std::string_view text = trimmed(field);
  if (text.starts_with('+')) text.remove_prefix(1);
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || end != text.data() + text.size() ||
      (error != std::errc() && error != std::errc::result_out_of_range)) {
    fault = "expected a number";
    return {};
  }
  if (error != std::errc() || !std::isfinite(value)) {
    fault = "expected a finite number";
    return {};
  }
  return value;
}

/// Reads the fields of one row: its point and its variable's name.
class RowReader {
 public:
  RowReader(const CsvRecords& records, const Columns& columns, std::optional<int> dimension)
      : records_(records), columns_(columns), dimension_(dimension) {}

  DataPoint point(const std::vector<std::string>& fields) const {
    DataPoint point;
    point.line = records_.line();
    if (columns_.h) {
      point.h = number_in(fields, *columns_.h);
      if (point.h <= 0.0) {
        fail(where(*columns_.h) + ": expected a mesh size above 0, found '" +
             printable(fields[*columns_.h]) + "'");
      }
    } else if (columns_.cells) {
      point.cells = cells(fields);
      point.h = mesh_size(point.cells, dimension_);
    }
    const std::string& value = field(fields, *columns_.value);
    if (!trimmed(value).empty()) point.value = number_in(fields, *columns_.value);
    if (columns_.exact) {
      const std::string& exact = field(fields, *columns_.exact);
      if (!trimmed(exact).empty()) point.exact = number_in(fields, *columns_.exact);
    }
    if (columns_.error && !point.value && !point.exact) {
      const std::string& error = field(fields, *columns_.error);
      if (!trimmed(error).empty()) point.error = number_in(fields, *columns_.error);
    }
    return point;
  }

  std::string_view variable(const std::vector<std::string>& fields) const {
    if (!columns_.variable) return kDefaultVariable;
    const std::string_view name = trimmed(field(fields, *columns_.variable));
    if (std::any_of(name.begin(), name.end(),
                    [](unsigned char c) { return c < 0x20 || c == 0x7F; })) {
      fail(where(*columns_.variable) + ": a control character in the name '" + printable(name) +
           "'");
    }
    return name.empty() ? kDefaultVariable : name;
  }

  std::string where(std::size_t column) const {
    return records_.where(column + 1) + " (" + printable(columns_.names[column]) + ")";
  }

 private:
  /// The number in field `column`; a report names the field otherwise.
  double number_in(const std::vector<std::string>& fields, std::size_t column) const {
    const std::string& text = field(fields, column);
    std::string_view fault;
    const std::optional<double> value = number(text, fault);
    if (!value) fail(where(column) + ": " + std::string(fault) + ", found '" + printable(text) + "'");
    return *value;
  }

  const std::string& field(const std::vector<std::string>& fields, std::size_t column) const {
    if (column >= fields.size()) fail(where(column) + ": the row ends before this column");
    return fields[column];
  }

  std::int64_t cells(const std::vector<std::string>& fields) const {
    const std::size_t column = *columns_.cells;
    const double count = number_in(fields, column);
    if (count <= 0.0 || count != std::floor(count) || count > 9.0e15) {
      fail(where(column) + ": expected a whole number of cells above 0, found '" +
           printable(fields[column]) + "'");
    }
    return static_cast<std::int64_t>(count);
  }

  const CsvRecords& records_;
  const Columns& columns_;
  std::optional<int> dimension_;
};

/// Which column of `header` is named `name` (case and blanks aside), if one is.
std::optional<std::size_t> column_named(const std::vector<std::string>& header,
                                        std::string_view name) {
  for (std::size_t k = 0; k < header.size(); ++k) {
    const std::string_view heading = trimmed(header[k]);
    if (std::equal(heading.begin(), heading.end(), name.begin(), name.end(),
                   [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; })) {
      return k;
    }
  }
  return std::nullopt;
}

/// The x,u rows of a mesh's result, after the header.
void read_nodes(CsvRecords& records, std::size_t x, std::size_t u, MeshResult& result) {
  std::vector<std::string> fields;
  while (records.next(fields)) {
    for (const auto& [column, values] : {std::pair{x, &result.x}, std::pair{u, &result.u}}) {
      std::string_view fault = "the row ends before this column";
      const std::optional<double> value =
          column < fields.size() ? number(fields[column], fault) : std::nullopt;
      if (!value) {
        fail(records.where(column + 1) + ": " + std::string(fault) + ", found '" +
             printable(column < fields.size() ? fields[column] : "") + "'");
      }
      values->push_back(*value);
    }
  }
}

/// The variable,value[,exact] rows of a mesh's result, after the header.
void read_values(CsvRecords& records, const std::vector<std::string>& header,
                 MeshResult& result) {
  Columns columns = find_columns(records, header, true);
  columns.h.reset();  // the mesh is the run's, whatever a column says
  columns.cells.reset();
  const RowReader reader(records, columns, std::nullopt);
  std::vector<std::string> fields;
  while (records.next(fields)) {
    const DataPoint point = reader.point(fields);
    const std::string_view variable = reader.variable(fields);
    for (const auto& [name, earlier] : result.values) {
      if (name == variable) {
        fail(records.at_line() + ": variable '" + printable(variable) + "' again (first on line " +
             std::to_string(earlier.line) + ")");
      }
    }
    result.values.emplace_back(std::string(variable), point);
  }
}

/// Sorts each series coarse to fine and checks that it has two meshes, no two of
/// one h.
void check_series(std::string_view name, const Columns& columns, DataFile& file) {
  const std::string column = columns.h ? "h" : "cells";
  const std::size_t position = (columns.h ? *columns.h : *columns.cells) + 1;
  for (DataSeries& series : file.series) {
    std::stable_sort(series.points.begin(), series.points.end(),
                     [](const DataPoint& a, const DataPoint& b) { return a.h > b.h; });
    for (std::size_t k = 1; k < series.points.size(); ++k) {
      const DataPoint& one = series.points[k - 1];
      const DataPoint& other = series.points[k];
      if (one.h != other.h) continue;
      const DataPoint& later = one.line > other.line ? one : other;
      const DataPoint& earlier = one.line > other.line ? other : one;
      fail(std::string(name) + " line " + std::to_string(later.line) + ", column " +
           std::to_string(position) + " (" + column + "): variable '" + printable(series.variable) +
           "' has this mesh already on line " + std::to_string(earlier.line));
    }
    if (series.points.size() < 2) {
      fail(std::string(name) + " line " + std::to_string(series.points.front().line) +
           ": variable '" + printable(series.variable) +
           "' has one mesh; a study needs at least two");
    }
  }
}

}  // namespace

DataFile parse_data(std::string_view name, std::istream& in, std::optional<int> dimension) {
  CsvRecords records(name, in);
  std::vector<std::string> fields;
  if (!records.next(fields)) {
    fail(std::string(name) + " line 1: no header: the first line names the columns, h (or cells)"
                             " and value");
  }
  const Columns columns = find_columns(records, fields, false);
  if (columns.cells && !dimension) {
    fail(records.where(*columns.cells + 1) + " (" + printable(columns.names[*columns.cells]) +
         "): cells need --dimension 1, 2 or 3 to give the mesh size h = cells^(-1/D)");
  }
  DataFile file;
  file.count = columns.cells ? MeshCount::cells : MeshCount::none;
  file.has_errors = columns.exact.has_value() || columns.error.has_value();
  const RowReader reader(records, columns, dimension);
  std::unordered_map<std::string, std::size_t, NameHash, std::equal_to<>> index;
  while (records.next(fields)) {
    const DataPoint point = reader.point(fields);
    const std::string_view variable = reader.variable(fields);
    auto found = index.find(variable);
    if (found == index.end()) {
      found = index.emplace(std::string(variable), file.series.size()).first;
      file.series.push_back({found->first, {}});
    }
    file.series[found->second].points.push_back(point);
  }
  if (file.series.empty()) {
    fail(std::string(name) + " line 2: no data: a study needs at least two meshes");
  }
  check_series(name, columns, file);
  return file;
}

MeshResult parse_mesh_result(std::string_view name, std::istream& in) {
  CsvRecords records(name, in);
  std::vector<std::string> header;
  if (!records.next(header)) fail(std::string(name) + ": empty: no line of results");
  MeshResult result;
  const std::optional<std::size_t> x = column_named(header, "x");
  const std::optional<std::size_t> u = column_named(header, "u");
  if (x && u) {
    read_nodes(records, *x, *u, result);
  } else {
    read_values(records, header, result);
  }
  if (result.values.empty() && result.x.empty()) fail(std::string(name) + ": no rows of results");
  return result;
}

double mesh_size(std::int64_t count, std::optional<int> dimension) {
  const auto cells = static_cast<double>(count);
  if (dimension.value_or(1) == 1) return 1.0 / cells;
  if (*dimension == 2) return 1.0 / std::sqrt(cells);
  return 1.0 / std::cbrt(cells);
}

DataFile read_data_file(const std::string& path, std::optional<int> dimension) {
  std::ifstream in(path, std::ios::binary);
  if (!in) fail(printable(path) + ": cannot be opened: no such file, or no permission to read it");
  return parse_data(printable(path), in, dimension);
}

std::vector<MeshRow> data_rows(const DataSeries& series) {
  std::vector<MeshRow> rows;
  rows.reserve(series.points.size());
  for (const DataPoint& point : series.points) {
    MeshRow row;
    row.N = point.cells;
    row.h = point.h;
    row.numerical = point.value;
    row.exact = point.exact;
    row.error = point.error;  // a norm's, given alone
    if (!point.value && !point.error) row.fault = "no value in the data file";
    // The file's values are as they are: only an error of exactly zero gives no order.
    row.round_off = (point.value && point.exact && *point.value == *point.exact) ||
                    (point.error && *point.error == 0.0);
    rows.push_back(std::move(row));
  }
  return rows;
}

std::vector<VariableStudy> data_studies(DataFile file, std::optional<double> formal) {
  std::vector<VariableStudy> studies;
  for (DataSeries& series : file.series) {
    studies.push_back(analyse_variable(series.variable, data_rows(series), formal, file.count));
    std::vector<DataPoint>().swap(series.points);  // the study holds them now
  }
  return studies;
}

}  // namespace talvenor

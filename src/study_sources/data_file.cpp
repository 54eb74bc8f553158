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
#include "system/platform.hpp"
#include "textio/shortest_text.hpp"
#include "textio/text_helpers.hpp"

namespace talvenor {
namespace {

/// The name of a study whose file has no variable column.
constexpr std::string_view kDefaultVariable = "value";

[[noreturn]] void fail(const std::string& message) {
  throw Error(Error::Kind::case_file, message);
}

/// Rows read between two looks for an interruption: a few milliseconds of reading.
constexpr std::size_t kRowsBetweenChecks = 4096;

void stop_if_interrupted() {
  if (std::optional<Error> stop = interruption()) throw std::move(*stop);
}

std::string_view trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

/// The separator of a header line: ',' or ';' where the line holds one of them outside
/// quotes, a tab where it holds neither; a header with both is refused, since its
/// columns could be either.
///   "h;value" -> ';'   "h\tvalue" -> '\t'   "\"a;b\",h,value" -> ','
char separator_of(std::string_view text, const std::string& where) {
  bool inside = false;
  bool comma = false;
  bool semicolon = false;
  bool tab = false;
  for (const char c : text) {
    if (c == '"') inside = !inside;
    if (inside) continue;
    comma = comma || c == ',';
    semicolon = semicolon || c == ';';
    tab = tab || c == '\t';
  }
  if (comma && semicolon) {
    fail(where + ": the header holds both ',' and ';' between its names: separate the columns"
                 " with one of them and quote a name that holds the other");
  }
  return semicolon ? ';' : (!comma && tab) ? '\t' : ',';
}

/// The records of a CSV file, one at a time: fields split at the header's separator
/// (see separator_of), quoted fields unquoted (a quoted field may span lines), CR LF
/// and a leading UTF-8 byte-order mark accepted, blank lines and lines of bare
/// separators passed over. What it cannot read exactly is refused: a comment line,
/// UTF-16 text, line ends of CR alone.
class CsvRecords {
 public:
  CsvRecords(std::string_view name, std::istream& in) : name_(name), in_(in) {}

  /// The next record into `fields`, false at the end of the file. The first record
  /// (the header) fixes the separator.
  bool next(std::vector<std::string>& fields) {
    do {
      do {
        if (!read_line(text_)) return false;
      } while (trimmed(text_).empty());
      start_ = line_;
      if (trimmed(text_).starts_with('#')) {
        fail(at_line() + ": a comment line (it starts with '#'): the file holds the header and"
                         " the rows alone; delete the line");
      }
      if (!header_seen_) separator_ = separator_of(text_, at_line());
      split(text_, fields);
    } while (std::all_of(fields.begin(), fields.end(),
                         [](const std::string& field) { return trimmed(field).empty(); }));
    header_seen_ = true;
    return true;
  }

  /// The separator of the fields: ',', ';' or a tab.
  char separator() const { return separator_; }

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
    if (line_ == 1 && (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF"))) {
      fail(std::string(name_) + ": UTF-16 text (it starts with a UTF-16 byte-order mark): save"
                                " the file as UTF-8 or ASCII text (CSV UTF-8)");
    }
    if (text.find('\0') != std::string::npos) {
      fail(std::string(name_) + " line " + std::to_string(line_) +
           ": a NUL byte: the file is UTF-16 or not text; save it as UTF-8 or ASCII text");
    }
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (text.find('\r') != std::string::npos) {
      fail(std::string(name_) + " line " + std::to_string(line_) +
           ": a CR that ends no line: line ends of CR alone (classic Mac OS) are not read; save"
           " the file with LF or CR LF line ends");
    }
    return true;
  }

  bool blank(char c) const { return c == ' ' || (c == '\t' && separator_ != '\t'); }

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
      while (i < text.size() && blank(text[i])) ++i;
      if (i < text.size() && text[i] == '"') {
        i = quoted(text, i + 1, fields[count - 1]);
      } else {
        i = start;
        const std::size_t end = std::min(text.find(separator_, i), text.size());
        fields[count - 1].append(text, i, end - i);
        i = end;
      }
      if (i >= text.size()) break;
      if (++count > fields.size()) fields.emplace_back();
      fields[count - 1].clear();
      ++i;  // the separator
    }
    fields.resize(count);
  }

  /// Reads a quoted field from `text` after its opening quote, into `field`; returns
  /// where the field ends (at a separator or the end of the record).
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
    while (i < text.size() && blank(text[i])) ++i;
    if (i < text.size() && text[i] != separator_) {
      fail(where(column_of(std::string_view(text).substr(0, i))) + ": text after the closing quote");
    }
    return i;
  }

  /// The field number (from 1) of the end of `text`, counting the separators outside
  /// quotes.
  std::size_t column_of(std::string_view text) const {
    std::size_t column = 1;
    bool inside = false;
    for (const char c : text) {
      if (c == '"') inside = !inside;
      if (c == separator_ && !inside) ++column;
    }
    return column;
  }

  std::string_view name_;
  std::istream& in_;
  std::string text_;  ///< the last record, its storage kept for the next
  std::size_t line_ = 0;
  std::size_t start_ = 0;
  char separator_ = ',';
  bool header_seen_ = false;
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
  // A table of norms of the error gives its errors alone: h and error.
  if (!columns.value && !columns.error) {
    fail(file + ": no column value, numerical or error: the first line names the columns, h (or"
                " cells) and value");
  }
  return columns;
}

/// Reads the numbers of the rows: finite, written as from_chars reads them, a '+'
/// allowed. With ';' or a tab between the fields a number may have a decimal comma
/// ("16,31" -> 16.31). The first number with a decimal mark fixes the file's; one with
/// the other mark is refused, since "1.234" in a file of decimal commas may mean 1234.
class Numbers {
 public:
  explicit Numbers(char separator) : commas_(separator != ',') {}

  /// The number in `field` of the row on `line`, or nothing with `fault` set:
  /// "expected a number".
  std::optional<double> read(const std::string& field, std::size_t line, std::string& fault) {
    std::string_view text = trimmed(field);
    if (text.starts_with('+')) text.remove_prefix(1);
    if (const std::size_t at = text.find_first_of(".,"); commas_ && at != std::string_view::npos) {
      if (mark_ == 0) {
        mark_ = text[at];
        mark_line_ = line;
      }
      if (text[at] != mark_) {
        fault = std::string("a decimal ") + mark_name(text[at]) + " where line " +
                std::to_string(mark_line_) + " has a decimal " + mark_name(mark_) +
                ": use one decimal mark in the file";
        return {};
      }
      copy_.assign(text);
      copy_[at] = '.';
      text = copy_;
    }
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

 private:
  static const char* mark_name(char mark) { return mark == ',' ? "comma" : "point"; }

  bool commas_;          ///< decimal commas may be read
  char mark_ = 0;        ///< the file's decimal mark, once a number has shown it
  std::size_t mark_line_ = 0;
  std::string copy_;     ///< a number with its comma made a point
};

/// Reads the fields of one row: its point and its variable's name.
class RowReader {
 public:
  RowReader(const CsvRecords& records, const Columns& columns, std::optional<int> dimension)
      : records_(records), columns_(columns), dimension_(dimension), numbers_(records.separator()) {}

  DataPoint point(const std::vector<std::string>& fields) {
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
    if (columns_.value && !trimmed(field(fields, *columns_.value)).empty()) {
      point.value = number_in(fields, *columns_.value);
    }
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
  double number_in(const std::vector<std::string>& fields, std::size_t column) {
    const std::string& text = field(fields, column);
    std::string fault;
    const std::optional<double> value = numbers_.read(text, records_.line(), fault);
    if (!value) fail(where(column) + ": " + fault + ", found '" + printable(text) + "'");
    return *value;
  }

  const std::string& field(const std::vector<std::string>& fields, std::size_t column) const {
    if (column >= fields.size()) fail(where(column) + ": the row ends before this column");
    return fields[column];
  }

  std::int64_t cells(const std::vector<std::string>& fields) {
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
  Numbers numbers_;
};

/// Two meshes whose h differ by no more than this share of the larger are one mesh
/// written twice, or too close for any ratio of theirs to give an order.
constexpr double kSameMesh = 1e-12;

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
  Numbers numbers(records.separator());
  std::vector<std::string> fields;
  while (records.next(fields)) {
    for (const auto& [column, values] : {std::pair{x, &result.x}, std::pair{u, &result.u}}) {
      std::string fault = "the row ends before this column";
      const std::optional<double> value =
          column < fields.size() ? numbers.read(fields[column], records.line(), fault)
                                 : std::nullopt;
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
  RowReader reader(records, columns, std::nullopt);
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
/// one h (or within kSameMesh of each other).
void check_series(std::string_view name, const Columns& columns, DataFile& file) {
  const std::string column = columns.h ? "h" : "cells";
  const std::size_t position = (columns.h ? *columns.h : *columns.cells) + 1;
  for (DataSeries& series : file.series) {
    std::stable_sort(series.points.begin(), series.points.end(),
                     [](const DataPoint& a, const DataPoint& b) { return a.h > b.h; });
    for (std::size_t k = 1; k < series.points.size(); ++k) {
      const DataPoint& one = series.points[k - 1];
      const DataPoint& other = series.points[k];
      if (one.h - other.h > kSameMesh * one.h) continue;
      const DataPoint& later = one.line > other.line ? one : other;
      const DataPoint& earlier = one.line > other.line ? other : one;
      fail(std::string(name) + " line " + std::to_string(later.line) + ", column " +
           std::to_string(position) + " (" + column + "): variable '" + printable(series.variable) +
           (one.h == other.h ? "' has this mesh already on line " + std::to_string(earlier.line)
                             : "' has h = " + shortest(later.h) + " here and h = " +
                                   shortest(earlier.h) + " on line " +
                                   std::to_string(earlier.line) +
                                   ", equal within 1e-12: one mesh, or too close to give an order"));
    }
    if (series.points.size() < 2) {
      fail(std::string(name) + " line " + std::to_string(series.points.front().line) +
           ": variable '" + printable(series.variable) +
           "' has one mesh; a study needs at least two");
    }
  }
}

/// Whether `text` is digits alone, after a '-' where `sign` allows one.
bool digits(std::string_view text, bool sign) {
  text = trimmed(text);
  if (sign && text.starts_with('-')) text.remove_prefix(1);
  return !text.empty() && std::all_of(text.begin(), text.end(),
                                      [](unsigned char c) { return std::isdigit(c) != 0; });
}

/// Refuses a row of more fields than the header has names (a field would be
/// dropped), saying where a column of numbers and the field after it read as one
/// number with a decimal comma: "18000,16,31" under "cells,value" -> '16,31'.
void check_width(const CsvRecords& records, const Columns& columns,
                 const std::vector<std::string>& fields) {
  const std::size_t names = columns.names.size();
  if (fields.size() <= names) return;
  std::string message = records.at_line() + ": " + std::to_string(fields.size()) +
                        " fields under a header of " + std::to_string(names) + " columns";
  for (const auto& column : {columns.h, columns.value, columns.exact, columns.error}) {
    if (!column || !digits(fields[*column], true) || !digits(fields[*column + 1], false)) {
      continue;
    }
    fail(message + ": is '" + printable(trimmed(fields[*column])) + "," +
         printable(trimmed(fields[*column + 1])) +
         "' one number with a decimal comma? Quote such numbers, or separate the columns"
         " with ';'");
  }
  fail(message + "; give every row the header's columns (quote a field that holds the separator)");
}

/// The options the columns need: cells need --dimension, h takes none.
void check_dimension(const CsvRecords& records, const Columns& columns,
                     std::optional<int> dimension) {
  if (columns.cells && !dimension) {
    fail(records.where(*columns.cells + 1) + " (" + printable(columns.names[*columns.cells]) +
         "): cells need --dimension 1, 2 or 3 to give the mesh size h = cells^(-1/D)");
  }
  if (columns.h && dimension) {
    throw Error(Error::Kind::usage,
                "--dimension " + std::to_string(*dimension) + ": " + records.where(*columns.h + 1) +
                    " gives h, not cells; leave --dimension out");
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
  check_dimension(records, columns, dimension);
  DataFile file;
  file.count = columns.cells ? MeshCount::cells : MeshCount::none;
  file.has_errors = columns.exact.has_value() || columns.error.has_value();
  RowReader reader(records, columns, dimension);
  std::unordered_map<std::string, std::size_t, NameHash, std::equal_to<>> index;
  for (std::size_t rows = 1; records.next(fields); ++rows) {
    if (rows % kRowsBetweenChecks == 0) stop_if_interrupted();
    check_width(records, columns, fields);
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

void data_studies(DataFile file, std::optional<double> formal,
                  const std::function<void(VariableStudy&&)>& take,
                  const std::function<void()>& between_rows) {
  for (DataSeries& series : file.series) {
    if (between_rows) between_rows();
    VariableStudy study =
        analyse_variable(series.variable, data_rows(series), formal, file.count, between_rows);
    std::vector<DataPoint>().swap(series.points);  // the study holds them now
    take(std::move(study));
  }
}

}  // namespace talvenor

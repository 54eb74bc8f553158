#include "study_sources/command_runs.hpp"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <fstream>
#include <mutex>
#include <thread>

#include "record/error_norms.hpp"
#include "study_sources/data_file.hpp"
#include "system/error.hpp"
#include "system/platform.hpp"
#include "system/subprocess.hpp"
#include "textio/text_helpers.hpp"
#include "textio/shortest_text.hpp"

namespace talvenor {
namespace {

using Values = std::vector<std::pair<std::string, std::string>>;

/// How near a node must be to a point, relative to the span of the nodes, to stand
/// for it: nodes written with 10 or more digits meet it, and no interpolation
/// blurs the order of the value.
constexpr double kNodeTolerance = 1e-9;
/// The longest line of standard error a note quotes.
constexpr std::size_t kLongestQuote = 160;

[[noreturn]] void usage(const std::string& message) {
  throw Error(Error::Kind::usage, "--formal-order: " + message);
}

double order_in(std::string_view text) {
  double order = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), order);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
      !(order > 0.0) || !std::isfinite(order)) {
    usage("expected an order above 0, found '" + printable(text) + "'");
  }
  return order;
}

/// "scheme=upwind,grid=fine" as a folder's name: letters, digits and . _ + - = kept.
std::string folder_name(const Values& values) {
  std::string name;
  for (const auto& [option, value] : values) {
    if (!name.empty()) name += ',';
    name += option + "=" + value;
  }
  for (char& c : name) {
    const bool kept = std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '_' ||
                      c == '+' || c == '-' || c == '=' || c == ',';
    if (!kept) c = '_';
  }
  return name;
}

/// Every combination of the swept values, the first option outermost, each with its
/// label and folder (a folder name that two combinations share gets "-K", K counted
/// from 1).
std::vector<CommandCombination> combinations(const CommandSettings& settings) {
  std::vector<CommandCombination> all(1);
  for (const OwnOption& option : settings.sweep) {
    std::vector<CommandCombination> next;
    for (const CommandCombination& before : all) {
      for (const std::string& value : option.values) {
        next.push_back(before);
        next.back().values.emplace_back(option.name, value);
      }
    }
    all = std::move(next);
  }
  std::vector<std::string> taken;
  for (std::size_t c = 0; c < all.size(); ++c) {
    CommandCombination& combination = all[c];
    for (const auto& [option, value] : combination.values) {
      combination.label += (combination.label.empty() ? "" : ", ") + option + "=" + value;
    }
    std::string name = folder_name(combination.values);
    if (std::find(taken.begin(), taken.end(), name) != taken.end()) {
      name += "-" + std::to_string(c + 1);
    }
    taken.push_back(name);
    combination.folder = name.empty() ? settings.runs : settings.runs / name;
    combination.formal = settings.formal.of(combination.values);
  }
  return all;
}

/// What one mesh of one combination gave: the values of its variables, or why none.
struct MeshReading {
  std::vector<std::pair<std::string, DataPoint>> values;
  std::string note;  ///< empty when the command ran and its result was read
};

/// The last line of `path` that is not blank, printable, cut to kLongestQuote.
std::string last_line(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::string line, last;
  while (std::getline(file, line)) {
    if (line.find_first_not_of(" \t\r") != std::string::npos) last = line;
  }
  if (!last.empty() && last.back() == '\r') last.pop_back();
  std::string quoted = printable(last);
  if (quoted.size() > kLongestQuote) quoted = quoted.substr(0, kLongestQuote) + "...";
  return quoted;
}

/// The error of the nodes at `x` against the exact solution, and the trapezoidal
/// weights of the nodes: w_i = (x_{i+1} - x_{i-1}) / 2, the end nodes half their cell.
void nodal_norms(const MeshResult& result, const CommandSettings& settings, MeshReading& reading) {
  const std::vector<double>& x = result.x;
  std::vector<double> exact(x.size());
  settings.exact(x, exact);
  double L1 = 0.0, L2 = 0.0, Linf = 0.0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const double left = i > 0 ? x[i] - x[i - 1] : 0.0;
    const double right = i + 1 < x.size() ? x[i + 1] - x[i] : 0.0;
    const double weight = (left + right) / 2.0;
    const double e = std::abs(exact[i] - result.u[i]);
    L1 += weight * e;
    L2 += weight * e * e;
    Linf = std::max(Linf, e);
  }
  const double norms[] = {L1, std::sqrt(L2), Linf};
  for (std::size_t k = 0; k < kNormNames.size(); ++k) {
    DataPoint point;
    point.error = norms[k];
    reading.values.emplace_back(std::string(kNormNames[k]), point);
  }
}

/// Refuses nodes that do not increase: Error (case_file), the mesh's note.
void check_increasing(const std::vector<double>& x) {
  if (!std::is_sorted(x.begin(), x.end()) || std::adjacent_find(x.begin(), x.end()) != x.end()) {
    throw Error(Error::Kind::case_file, "the x column does not increase from row to row");
  }
}

/// The norms and the point values of a nodal solution, each a variable.
void nodal_values(const MeshResult& result, const CommandSettings& settings,
                  MeshReading& reading) {
  if (settings.exact) nodal_norms(result, settings, reading);
  const double span = result.x.back() - result.x.front();
  for (const double p : settings.points) {
    DataPoint point;
    const auto nearest = std::min_element(result.x.begin(), result.x.end(), [p](double a, double b) {
      return std::abs(a - p) < std::abs(b - p);
    });
    if (std::abs(*nearest - p) <= kNodeTolerance * span) {
      point.value = result.u[static_cast<std::size_t>(nearest - result.x.begin())];
      if (settings.exact) {
        double exact = 0.0;
        settings.exact(std::span(&p, 1), std::span(&exact, 1));
        point.exact = exact;
      }
    }
    reading.values.emplace_back("u(" + shortest(p) + ")", point);
  }
}

/// Reads what the command left in `folder`: its result as variables, or why there is
/// none (Error caught: a bad result is a note, never the end of the study; an exact
/// solution that is not finite at a node ends it).
MeshReading read_result(const std::filesystem::path& folder, const CommandSettings& settings) {
  const std::string name = settings.result.value_or("stdout.txt");
  MeshReading reading;
  std::ifstream in(folder / name, std::ios::binary);
  if (!in) {
    reading.note = "no result: " + printable(name) + " cannot be opened";
    return reading;
  }
  MeshResult result;
  try {
    result = parse_mesh_result(printable(name), in);
    check_increasing(result.x);
  } catch (const Error& error) {
    return {{}, "unreadable result: " + std::string(error.what())};
  }
  reading.values = result.values;
  if (!result.x.empty()) nodal_values(result, settings, reading);
  if (reading.values.empty()) {
    reading.note = "x,u rows but neither an exact solution nor a point to read them by";
  }
  return reading;
}

/// Runs one mesh of one combination in its folder and reads what it gave.
MeshReading run_one(const CommandSettings& settings, const CommandCombination& combination,
                    std::int32_t N) {
  const std::filesystem::path folder = combination.folder / ("N" + std::to_string(N));
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    throw Error(Error::Kind::file, "the folder '" + printable(folder.string()) +
                                       "' cannot be made: " + error.message());
  }
  Values values = combination.values;
  values.emplace_back("N", std::to_string(N));
  values.emplace_back("h", shortest(mesh_size(N, settings.dimension)));
  const CommandEnd end = run_in_folder(
      {substitute(settings.command, values), folder, "stdout.txt", "stderr.txt", settings.timeout});
  MeshReading reading;
  if (end.succeeded()) reading = read_result(folder, settings);
  if (!end.succeeded()) reading.note = describe(end, settings.timeout);
  if (!reading.note.empty()) {
    const std::string quote = last_line(folder / "stderr.txt");
    if (!quote.empty()) reading.note += ": " + quote;
  }
  return reading;
}

/// Runs every mesh of every combination on `jobs` threads, finest first within a
/// combination; the readings come combination by combination, coarse to fine.
std::vector<MeshReading> run_all(const CommandSettings& settings,
                                 const std::vector<CommandCombination>& all,
                                 const Progress& progress) {
  const std::size_t meshes = settings.meshes.size();
  std::vector<MeshReading> readings(all.size() * meshes);
  std::vector<std::exception_ptr> failures(readings.size());
  std::atomic<std::size_t> next{0};
  std::mutex mutex;
  std::size_t done = 0, cases_done = 0;
  std::vector<std::size_t> left(all.size(), meshes);
  const auto work = [&] {
    for (std::size_t k = next++; k < readings.size() && !interruption(); k = next++) {
      const std::size_t c = k / meshes, m = meshes - 1 - k % meshes;  // finest first
      try {
        readings[c * meshes + m] = run_one(settings, all[c], settings.meshes[m]);
      } catch (...) {
        failures[c * meshes + m] = std::current_exception();
      }
      const std::lock_guard lock(mutex);
      ++done;
      if (--left[c] == 0) ++cases_done;
      if (progress) progress(done, cases_done);
    }
  };
  std::vector<std::thread> threads;
  const auto count = std::min<std::size_t>(static_cast<std::size_t>(std::max(1, settings.jobs)),
                                           readings.size());
  for (std::size_t t = 0; t < count; ++t) threads.emplace_back(work);
  for (std::thread& thread : threads) thread.join();
  if (const std::optional<Error> stop = interruption()) throw *stop;
  for (const std::exception_ptr& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }
  return readings;
}

/// The variables of every reading, in the order they first appear, each an empty series.
std::vector<DataSeries> variables_of(std::span<const MeshReading> readings) {
  std::vector<DataSeries> series;
  for (const MeshReading& reading : readings) {
    for (const auto& value : reading.values) {
      const std::string& name = value.first;
      const auto same = [&name](const DataSeries& one) { return one.variable == name; };
      if (std::none_of(series.begin(), series.end(), same)) series.push_back({name, {}});
    }
  }
  return series;
}

/// The studies of one combination from the readings of its meshes, one per variable of
/// `series` (every combination's: a combination whose meshes all failed still has a
/// study per variable, each mesh diverged with its note, and so a verdict).
void analyse_combination(const CommandSettings& settings, std::span<const MeshReading> readings,
                         std::vector<DataSeries> series, CommandCombination& combination) {
  const MeshCount count = settings.dimension ? MeshCount::cells : MeshCount::elements;
  for (DataSeries& one : series) {
    for (std::size_t m = 0; m < readings.size(); ++m) {
      const auto found = std::find_if(readings[m].values.begin(), readings[m].values.end(),
                                      [&one](const auto& value) { return value.first == one.variable; });
      DataPoint point = found != readings[m].values.end() ? found->second : DataPoint{};
      point.cells = settings.meshes[m];
      point.h = mesh_size(settings.meshes[m], settings.dimension);
      one.points.push_back(point);
    }
    std::vector<MeshRow> rows = data_rows(one);
    for (std::size_t m = 0; m < rows.size(); ++m) {
      if (!readings[m].note.empty()) rows[m].fault = readings[m].note;
      else if (diverged(rows[m])) rows[m].fault = "no value of " + printable(one.variable);
    }
    combination.studies.push_back(
        analyse_variable(printable(one.variable), std::move(rows), combination.formal, count));
  }
  for (std::size_t m = 0; m < readings.size(); ++m) {
    if (readings[m].note.empty()) continue;
    MeshRow row;
    row.N = settings.meshes[m];
    combination.notes.push_back(mesh_name(row, count) + ": " + readings[m].note);
  }
}

}  // namespace

std::optional<double> FormalOrders::of(const Values& values) const {
  for (const auto& [option, value] : values) {
    if (option != name) continue;
    for (const auto& [known, order] : by_value) {
      if (known == value) return order;
    }
  }
  return all;
}

FormalOrders formal_orders(std::string_view text) {
  FormalOrders orders;
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos) {
    orders.all = order_in(text);
    return orders;
  }
  orders.name = std::string(text.substr(0, equals));
  std::string_view rest = text.substr(equals + 1);
  for (;;) {
    const std::string_view entry = rest.substr(0, rest.find(','));
    const std::size_t colon = entry.rfind(':');
    if (colon == std::string_view::npos || colon == 0) {
      usage("expected VALUE:ORDER after '" + printable(orders.name) + "=', found '" +
            printable(entry) + "'");
    }
    orders.by_value.emplace_back(std::string(entry.substr(0, colon)),
                                 order_in(entry.substr(colon + 1)));
    if (entry.size() == rest.size()) return orders;
    rest.remove_prefix(entry.size() + 1);
  }
}

std::string substitute(std::string_view command, const Values& values) {
  std::string text;
  std::size_t at = 0;
  while (at < command.size()) {
    const std::size_t open = command.find('{', at);
    const std::size_t close = command.find('}', open == std::string_view::npos ? at : open);
    if (open == std::string_view::npos || close == std::string_view::npos) break;
    text += command.substr(at, open - at);
    const std::string_view name = command.substr(open + 1, close - open - 1);
    const auto found = std::find_if(values.begin(), values.end(),
                                    [name](const auto& value) { return value.first == name; });
    if (found != values.end()) {
      text += found->second;
      at = close + 1;
    } else {
      text += '{';  // not a placeholder: read on after the brace
      at = open + 1;
    }
  }
  text += command.substr(std::min(at, command.size()));
  return text;
}

std::vector<CommandCombination> run_command_study(const CommandSettings& settings,
                                                  const Progress& progress) {
  std::vector<CommandCombination> all = combinations(settings);
  const std::vector<MeshReading> readings = run_all(settings, all, progress);
  const std::size_t meshes = settings.meshes.size();
  const std::vector<DataSeries> series = variables_of(readings);
  for (std::size_t c = 0; c < all.size(); ++c) {
    analyse_combination(settings, std::span(readings).subspan(c * meshes, meshes), series, all[c]);
  }
  return all;
}

}  // namespace talvenor

#include "study/options.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "input/dados.hpp"
#include "input/value_reader.hpp"
#include "record/exact_solutions.hpp"
#include "record/schemes.hpp"
#include "system/error.hpp"

namespace talvenor {
namespace {

constexpr std::string_view kHelp =
    R"(Usage: talvenor-study [--meshes N1,N2,...] [--solver newton|picard] [--jobs J]
                      [--output PREFIX] [--sweep NAME=V1,V2,... ...] [--junit FILE]
                      [--solution EXPR ...]
       talvenor-study --data FILE [--dimension D] [--formal-order P] [--junit FILE]
                      [--output PREFIX]
       talvenor-study --source EXPR --language c|fortran|python|latex
                      [--operator EXPR]

Runs the case of Talvenor.in in the working folder (esquema, fonte, Re, beta and
itmax as the file gives them; the editor is not started) on a sequence of meshes,
N replaced, and reports how each variable of interest converges: u(1/2) at node
N/2, the mean u_media and the slope inclinacao(1) at x = 1.

Options:
  --meshes N1,N2,...  the meshes, coarse to fine, each N even and at least 2
                      (default: the case's N and three successive doublings)
  --solver S          how each mesh's discrete equations are solved, starting
                      from the exact solution: newton (default), Newton's method
                      until its update is at round-off, itmax iterations at
                      most; picard, successive substitution for exactly itmax
                      iterations, as talvenor runs it (the same numbers)
  --jobs J            meshes run at once on J threads (default: one per core);
                      the numbers do not depend on J
  --output PREFIX     names the files PREFIX.csv, PREFIX.gnu and PREFIX.png
                      (default: caso without trailing blanks, then "-study";
                      "study" for a blank caso)
  --sweep NAME=V1,... a verification campaign: NAME is esquema, fonte, Re or
                      beta; repeat the option for more names. Each combination
                      of the listed values (the others from Talvenor.in) is a
                      study on the meshes; beta only multiplies esquema 0
  --data FILE         a study of your own solver's numbers, no Talvenor.in
                      needed: a CSV file whose first line names the columns
                      (any order, any case): h, or cells with --dimension;
                      value (or numerical); optionally exact and variable (the
                      rows of one variable form one study; default "value")
  --dimension D       1, 2 or 3: a data file's cells give h = cells^(-1/D)
  --formal-order P    with --data: the scheme's order, for u_fs and the second
                      mesh's GCI; with an exact column also a verdict per
                      variable against P, as a campaign gives it
  --junit FILE        with --sweep or --data: the verdicts as a JUnit XML file,
                      a test case per cell, for a CI server
  --solution EXPR     u = EXPR in place of fonte's solution (the language of
                      --source, or layer, smooth, interior: the manual page);
                      S from its exact derivatives, its mean by quadrature;
                      repeat it for a campaign over several solutions
  --source EXPR       prints, ready to paste into your own code, the functions
                      exact_u, exact_du and source of x and Re for u = EXPR
                      (the language of the manual page: x, Re, pi, e, numbers,
                      + - * / ^, sin cos tan exp log sqrt sinh cosh tanh atan
                      erf abs), S = Re*u*u_x - u_xx; runs no study
  --language L        of --source: c, fortran, python or latex
  --operator EXPR     of --source: your own steady operator in u, u_x, u_xx, x
                      and Re, whose source is printed instead
  --help              shows this text
  --version           shows the version (alone on the command line)

For each variable and mesh the table gives N, h, the numerical and exact values,
the error E = exact - numerical, and:
  p_E         effective order against the previous mesh,
              log(|E(h1)| / |E(h2)|) / log(h1 / h2)
  p_U         apparent order from the three latest meshes, the p for which
              f0 + C h^p passes through their three values (any refinement ratio)
  Richardson  the value extrapolated to h = 0 from the finest pair with p_U
  GCI         grid convergence index of the finest pair, a fraction of its fine
              value: Fs |(f_fine - f_coarse) / f_fine| / (r^p - 1), Fs = 1.25 with
              p_U from three meshes; with two meshes Fs = 3 and p is the formal
              order of the scheme (upwind 1, central 2, deferred correction 2 with
              beta = 1, else 1)
and the least-squares order of |E| against h over all meshes and over the
finest three.

Notes flag what the numbers cannot say. The first three leave the value with no
order, Richardson value or GCI: "iteration not converging" (the iteration's last
change is no smaller than the one before: the value solves no discrete
equations; with picard, --solver newton solves the same equations), "iteration
error N % of |E|" (the iteration error left, estimated from the last changes, is
1 % of the error or more: raise itmax), "round-off" (|E| below 100 N machine
epsilons of the exact value, the rounding noise of a mesh of N elements);
"oscillatory" (the successive differences change sign: no p_U, Richardson value
or GCI), "not converging" (p_U <= 0: the differences grow under refinement, no
Richardson value or GCI), "diverged" (a floating-point fault stopped that mesh;
the others still run).

Files: PREFIX.csv holds the table with full 17-digit numbers and the notes;
PREFIX.gnu is a gnuplot script that draws |E| against h on log-log axes, with
reference slopes of order 1 and 2 and flagged points hollow, into PREFIX.png,
which is drawn when gnuplot can be run.

A campaign (--sweep) prints a row per combination with the formal order and,
for each variable, the observed order (least squares over the finest three
clean meshes: no divergence, iteration or round-off note) and a verdict:
"verified" (within 0.1 of the formal order), "exact" (every error at round-off:
the scheme reproduces the solution), "refine" (the effective orders approach the
formal one: the meshes to add are named), "FAILED" (an order that is wrong or
moves away), or "not converged", "diverged", "oscillatory" with the mesh and
the note; then the tally of the cells (combination and variable). It writes
PREFIX.csv, every row of every study with the combination first and the verdict
last, and PREFIX.html, the verdict matrix and a log-log plot of |E| against h
per combination, for any browser, without network.

A data study (--data) reads the file whole before it writes anything; a bad
file stops it with one line naming the file, the line and the column. Rows may
come in any order and any refinement ratios; each variable needs two meshes
(three for p_U). Without exact values the table has no error, p_E or verdict,
and says so. PREFIX defaults to the data file's name without extension, then
"-study"; PREFIX.csv has the study's columns, N holding the cells where the
file gives cells.

Exit status: 0 after a study (diverged meshes included) or a campaign with no
FAILED cell, 1 for a case file or data file that cannot be read or used, 2 for
a bad option, 3 for a file that cannot be written, 4 for a mesh that does not
fit in memory, 6 for a failure not foreseen, 7 when another run (a study or
talvenor) is working in the folder, 8 when interrupted (SIGINT, SIGTERM: no
further mesh starts, and each file is complete or as it was), 9 for a campaign
or data study with a FAILED cell (after writing its files). The plotter's
status changes none of these: a plotter that fails gets a warning line.
)";

/// The Error of a bad command line: one line whatever the arguments held (printable).
[[noreturn]] void refuse(const std::string& message) {
  throw Error(Error::Kind::usage,
              printable(message) + " (talvenor-study --help lists the options)");
}

[[noreturn]] void bad(std::string_view option, const std::string& what) {
  refuse(std::string(option) + ": " + what);
}

/// A whole number written with digits alone, or nothing.
std::optional<std::int64_t> whole_number(std::string_view text) {
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || text.front() == '-' || error != std::errc() ||
      end != text.data() + text.size()) {
    return {};
  }
  return value;
}

std::vector<std::int32_t> parse_meshes(std::string_view option, std::string_view text) {
  std::vector<std::int32_t> meshes;
  for (;;) {
    const std::size_t comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    const auto N = whole_number(item);
    if (!N || *N > std::numeric_limits<std::int32_t>::max()) {
      bad(option, "expected mesh sizes N separated by commas, found '" + std::string(item) + "'");
    }
    const std::string shown = "N = " + std::to_string(*N);
    if (*N < 2) bad(option, shown + " is below 2");
    if (*N % 2 != 0) {
      bad(option, shown + " is odd; u(1/2) is taken at node N/2, so every N must be even");
    }
    if (!meshes.empty() && *N <= meshes.back()) {
      bad(option, shown + " after N = " + std::to_string(meshes.back()) +
                      "; list the meshes coarse to fine, each N larger than the one before");
    }
    meshes.push_back(static_cast<std::int32_t>(*N));
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  if (meshes.size() < 2) bad(option, "a study needs at least two meshes");
  return meshes;
}

/// The values of one --sweep, "NAME=V1,V2,...", added to `sweep`.
void parse_sweep(std::string_view option, std::string_view text, Sweep& sweep) {
  const std::size_t equals = text.find('=');
  const std::string_view name = text.substr(0, equals);
  std::vector<std::int32_t>* integers = name == "esquema" ? &sweep.esquema
                                        : name == "fonte" ? &sweep.fonte
                                                          : nullptr;
  std::vector<double>* reals = name == "Re" ? &sweep.Re : name == "beta" ? &sweep.beta : nullptr;
  if (equals == std::string_view::npos || (!integers && !reals)) {
    bad(option, "expected NAME=V1,V2,... with NAME esquema, fonte, Re or beta, found '" +
                    std::string(text) + "'");
  }
  const std::string shown = std::string(option) + " " + std::string(name);
  if ((integers && !integers->empty()) || (reals && !reals->empty())) {
    bad(shown, "swept twice; list all its values in one --sweep");
  }
  const auto largest =
      static_cast<std::int64_t>((name == "esquema" ? kSchemes.size() : kExactSolutions.size()) - 1);
  std::string_view values = text.substr(equals + 1);
  for (;;) {
    const std::size_t comma = values.find(',');
    const std::string_view item = values.substr(0, comma);
    const auto twice = [&](const auto& list, auto value) {
      if (std::find(list.begin(), list.end(), value) != list.end()) {
        bad(shown, "the value " + std::string(item) + " is listed twice");
      }
    };
    if (integers) {
      const auto value = whole_number(item);
      if (!value || *value > largest) {
        bad(shown,
            "expected 0 to " + std::to_string(largest) + ", found '" + std::string(item) + "'");
      }
      twice(*integers, static_cast<std::int32_t>(*value));
      integers->push_back(static_cast<std::int32_t>(*value));
    } else {
      double value = 0.0;
      const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), value);
      if (item.empty() || error != std::errc() || end != item.data() + item.size() ||
          !std::isfinite(value)) {
        bad(shown, "expected a real number, found '" + std::string(item) + "'");
      }
      twice(*reals, value);
      reals->push_back(value);
    }
    if (comma == std::string_view::npos) break;
    values.remove_prefix(comma + 1);
  }
}

Method parse_solver(std::string_view option, std::string_view text) {
  std::string expected;
  for (const MethodNames& names : kMethods) {
    if (text == names.option) return names.method;
    expected += (expected.empty() ? "" : " or ") + std::string(names.option);
  }
  bad(option, "expected " + expected + ", found '" + std::string(text) + "'");
}

/// The formal order of --formal-order: a real number above 0.
double parse_order(std::string_view option, std::string_view text) {
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
      !std::isfinite(value) || value <= 0.0) {
    bad(option, "expected an order above 0, found '" + std::string(text) + "'");
  }
  return value;
}

int parse_jobs(std::string_view option, std::string_view text) {
  const auto jobs = whole_number(text);
  if (!jobs || *jobs < 1 || *jobs > std::numeric_limits<int>::max()) {
    bad(option, "expected a whole number of at least 1, found '" + std::string(text) + "'");
  }
  return static_cast<int>(*jobs);
}

/// A file name given to an option: not empty.
std::string file_name(std::string_view option, std::string_view value, std::string_view what) {
  if (value.empty()) bad(option, "the " + std::string(what) + " is empty");
  return std::string(value);
}

/// An option of the command line and what its value does to the options.
struct OptionEntry {
  std::string_view name;
  void (*apply)(std::string_view option, std::string_view value, StudyOptions& options);
};

constexpr std::array<OptionEntry, 13> kOptions = {{
    {"--meshes", [](auto option, auto value, StudyOptions& options) {
       options.meshes = parse_meshes(option, value);
     }},
    {"--sweep", [](auto option, auto value, StudyOptions& options) {
       parse_sweep(option, value, options.sweep);
     }},
    {"--jobs", [](auto option, auto value, StudyOptions& options) {
       options.jobs = parse_jobs(option, value);
     }},
    {"--solver", [](auto option, auto value, StudyOptions& options) {
       options.solver = parse_solver(option, value);
     }},
    {"--output", [](auto option, auto value, StudyOptions& options) {
       options.output = file_name(option, value, "prefix");
     }},
    {"--data", [](auto option, auto value, StudyOptions& options) {
       options.data = file_name(option, value, "file name");
     }},
    {"--dimension", [](auto option, auto value, StudyOptions& options) {
       const auto dimension = whole_number(value);
       if (!dimension || *dimension < 1 || *dimension > 3) {
         bad(option, "expected 1, 2 or 3, found '" + std::string(value) + "'");
       }
       options.dimension = static_cast<int>(*dimension);
     }},
    {"--formal-order", [](auto option, auto value, StudyOptions& options) {
       options.formal_order = parse_order(option, value);
     }},
    {"--junit", [](auto option, auto value, StudyOptions& options) {
       options.junit = file_name(option, value, "file name");
     }},
    {"--source", [](auto, auto value, StudyOptions& options) { options.source = value; }},
    {"--language", [](auto option, auto value, StudyOptions& options) {
       const auto* found = std::find(kLanguageNames.begin(), kLanguageNames.end(), value);
       if (found == kLanguageNames.end()) {
         bad(option, "expected c, fortran, python or latex, found '" + std::string(value) + "'");
       }
       options.language = static_cast<Language>(found - kLanguageNames.begin());
     }},
    {"--operator", [](auto, auto value, StudyOptions& options) { options.operator_text = value; }},
    {"--solution", [](auto, auto value, StudyOptions& options) {
       options.solutions.emplace_back(value);
     }},
}};

/// The options that go together: --data takes no meshes, sweep or solver (the file
/// has its own numbers); --dimension and --formal-order go with --data alone, and
/// --junit with a campaign or --data, the studies that have verdicts; --source with
/// --language (and --operator) alone.
void check_together(const StudyOptions& options, const std::vector<std::string_view>& given) {
  const auto has = [&](std::string_view name) {
    return std::find(given.begin(), given.end(), name) != given.end();
  };
  for (const std::string_view name : {"--meshes", "--sweep", "--solver", "--solution"}) {
    if (options.data && has(name)) {
      bad(name, "not with --data: the data file holds its own meshes and values");
    }
  }
  for (const std::string_view name : {"--dimension", "--formal-order"}) {
    if (!options.data && has(name)) bad(name, "only with --data FILE");
  }
  for (const std::string_view name : {"--language", "--operator"}) {
    if (!options.source && has(name)) bad(name, "only with --source EXPR");
  }
  if (options.source && !options.language) bad("--source", "--language c|fortran|python|latex must go with it");
  if (options.source && given.size() != (options.operator_text ? 3U : 2U)) {
    bad("--source", "only with --language and --operator: it prints code and runs no study");
  }
  if (!options.solutions.empty() && !options.sweep.fonte.empty()) {
    bad("--solution", "not with --sweep fonte: each --solution is a solution of the campaign");
  }
  if (options.junit && !options.data && options.sweep.empty() && options.solutions.size() < 2) {
    bad("--junit", "only with --sweep or --data: the studies that end with verdicts");
  }
}

}  // namespace

StudyOptions parse_options(std::span<const std::string_view> arguments) {
  StudyOptions options;
  std::vector<std::string_view> given;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      options.help = true;
      continue;
    }
    const std::size_t equals = argument.find('=');
    const std::string_view option = argument.substr(0, equals);
    const auto* entry = std::find_if(kOptions.begin(), kOptions.end(),
                                     [&](const OptionEntry& known) { return known.name == option; });
    if (entry == kOptions.end()) {
      refuse((argument.starts_with("-") ? "unknown option '" : "unexpected argument '") +
             std::string(argument) + "'");
    }
    std::string_view value;
    if (equals != std::string_view::npos) {
      value = argument.substr(equals + 1);
    } else if (i + 1 < arguments.size()) {
      value = arguments[++i];
    } else {
      bad(option, "a value must follow");
    }
    entry->apply(option, value, options);
    given.push_back(entry->name);
  }
  check_together(options, given);
  return options;
}

std::string_view help_text() {
  return kHelp;
}

std::vector<std::int32_t> default_meshes(std::int32_t N) {
  const std::string source = std::string(kCaseFile) + ": N = " + std::to_string(N);
  if (N % 2 != 0) {
    throw Error(Error::Kind::case_file,
                source +
                    " is odd; u(1/2) is taken at node N/2, so a study needs even meshes:"
                    " change N or give them with --meshes");
  }
  if (N > std::numeric_limits<std::int32_t>::max() / 8) {
    throw Error(Error::Kind::case_file,
                source + " is too large for three doublings; give the meshes with --meshes");
  }
  return {N, 2 * N, 4 * N, 8 * N};
}

}  // namespace talvenor

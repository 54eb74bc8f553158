#include "study/options.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <limits>
#include <tuple>
#include <utility>

#include "expression/manufactured.hpp"
#include "input/dados.hpp"
#include "record/exact_solutions.hpp"
#include "record/schemes.hpp"
#include "study_sources/solution_lint.hpp"
#include "system/error.hpp"
#include "textio/text_helpers.hpp"

namespace talvenor {
namespace {

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

/// The meshes of a study of `mode`: talvenor's case takes each N even and at least 2, as
/// its u(1/2) is node N/2; a --run command any N of at least 1.
void check_meshes(const std::vector<std::int32_t>& meshes, StudyMode mode) {
  const bool own_case = (mode & kTalvenorCase) != 0;
  for (const std::int32_t N : meshes) {
    const std::string shown = "N = " + std::to_string(N);
    if (N < (own_case ? 2 : 1)) bad("--meshes", shown + " is below " + (own_case ? "2" : "1"));
    if (own_case && N % 2 != 0) {
      bad("--meshes", shown + " is odd; talvenor's u(1/2) is taken at node N/2, so every N of"
                              " its case must be even (a --run command takes any N)");
    }
  }
}

/// One value of a swept list, `item`, added to `integers` (0 to `largest`) or to
/// `reals` (a finite real number), whichever is not null; `shown` names the list.
void add_sweep_value(const std::string& shown, std::string_view item, std::int64_t largest,
                     std::vector<std::int32_t>* integers, std::vector<double>* reals) {
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
    return;
  }
  double value = 0.0;
  const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), value);
  if (item.empty() || error != std::errc() || end != item.data() + item.size() ||
      !std::isfinite(value)) {
    bad(shown, "expected a real number, found '" + std::string(item) + "'");
  }
  twice(*reals, value);
  reals->push_back(value);
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
    add_sweep_value(shown, values.substr(0, comma), largest, integers, reals);
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

/// A real number above 0, `what` in the message: positive("--timeout", "0", "a number")
/// -> "--timeout: expected a number above 0, found '0'".
double positive(std::string_view option, std::string_view text, std::string_view what) {
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
      !std::isfinite(value) || value <= 0.0) {
    bad(option, "expected " + std::string(what) + " above 0, found '" + std::string(text) + "'");
  }
  return value;
}

/// One --sweep of a user's command, "NAME=V1,V2,...": NAME a word other than N and h,
/// swept once, its values not empty and not repeated.
OwnOption parse_own_sweep(std::string_view text, const std::vector<OwnOption>& before) {
  const std::size_t equals = text.find('=');
  const std::string name(text.substr(0, std::min(equals, text.size())));
  const std::string option = "--sweep", shown = option + " " + name;
  const bool word = !name.empty() && std::all_of(name.begin(), name.end(), [](unsigned char c) {
    return std::isalnum(c) != 0 || c == '_';
  });
  if (equals == std::string_view::npos || !word || name == "N" || name == "h") {
    bad(option, "expected NAME=V1,V2,... with NAME a word of letters, digits and _ other than N "
                "and h, found '" + std::string(text) + "'");
  }
  for (const OwnOption& earlier : before) {
    if (earlier.name == name) bad(shown, "swept twice; list all its values once");
  }
  OwnOption swept{name, {}};
  std::string_view values = text.substr(equals + 1);
  for (;;) {
    const std::string item(values.substr(0, values.find(',')));
    if (item.empty() || std::find(swept.values.begin(), swept.values.end(), item) !=
                            swept.values.end()) {
      bad(shown, "an empty or repeated value in '" + std::string(text) + "'");
    }
    swept.values.push_back(item);
    if (item.size() == values.size()) return swept;
    values.remove_prefix(item.size() + 1);
  }
}

/// The points of --point, "X,...", each a finite real number.
std::vector<double> parse_points(std::string_view option, std::string_view text) {
  std::vector<double> points;
  for (;;) {
    const std::size_t comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    double x = 0.0;
    const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), x);
    if (item.empty() || error != std::errc() || end != item.data() + item.size() ||
        !std::isfinite(x)) {
      bad(option, "expected numbers x separated by commas, found '" + std::string(item) + "'");
    }
    points.push_back(x);
    if (comma == std::string_view::npos) return points;
    text.remove_prefix(comma + 1);
  }
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

/// The prefix of --output: the start of file names, so neither a folder nor a name
/// that ends with a separator ("results/" would write the hidden file "results/.csv").
std::string output_prefix(std::string_view option, std::string_view value) {
  std::string prefix = file_name(option, value, "prefix");
  const std::filesystem::path path(prefix);
  std::error_code ignored;
  const bool folder = std::filesystem::is_directory(path, ignored);
  if (folder || !path.has_filename() || path.filename() == "." || path.filename() == "..") {
    bad(option, "'" + prefix + (folder ? "' is a folder" : "' ends with a separator") +
                    ": the prefix begins the files' names; add one, as in '" +
                    (path / "run").generic_string() + "' for " + (path / "run.csv").generic_string());
  }
  return prefix;
}

void set_dimension(std::string_view option, std::string_view value, StudyOptions& options) {
  const auto dimension = whole_number(value);
  if (!dimension || *dimension < 1 || *dimension > 3) {
    bad(option, "expected 1, 2 or 3, found '" + std::string(value) + "'");
  }
  options.dimension = static_cast<int>(*dimension);
}

/// `names` as a message or the help lists them:
///   listed(kLanguageNames, ", ", " or ") -> "c, fortran, python or latex"
std::string listed(std::span<const std::string_view> names, std::string_view separator,
                   std::string_view last) {
  return join(std::vector<std::string>(names.begin(), names.end()), separator, last);
}

void set_language(std::string_view option, std::string_view value, StudyOptions& options) {
  const auto* found = std::find(kLanguageNames.begin(), kLanguageNames.end(), value);
  if (found == kLanguageNames.end()) {
    bad(option, "expected " + listed(kLanguageNames, ", ", " or ") + ", found '" +
                    std::string(value) + "'");
  }
  options.language = static_cast<Language>(found - kLanguageNames.begin());
}

/// The solution of --solution or --source, a named one's formula or the text, parsed
/// and differentiated once; a bad one throws Error (usage) headed by `option`.
std::shared_ptr<const Manufactured> typed_solution(std::string_view option, std::string_view text) {
  return std::make_shared<const Manufactured>(manufacture(solution_formula(text), option));
}

void add_solution(std::string_view option, std::string_view value, StudyOptions& options) {
  auto typed = typed_solution(option, value);
  for (const auto& given : options.sweep.solution) {
    if (given->formula == typed->formula) bad(option, "'" + typed->formula + "' is given twice");
  }
  options.sweep.solution.push_back(std::move(typed));
}

/// The named solutions, for --solution's help: "layer, smooth or interior".
std::string named_solutions() {
  std::vector<std::string> names;
  for (const NamedSolution& solution : kNamedSolutions) names.emplace_back(solution.name);
  return join(names, ", ", " or ") +
         " (the manual page gives their formulas and what each exercises)";
}

/// The language of an expression, for --source's help, from the tables of its names,
/// constants and functions.
std::string expression_language() {
  std::vector<std::string_view> names(kSolutionNames.begin(), kSolutionNames.end());
  for (const Constant& constant : kConstants) names.push_back(constant.name);
  std::vector<std::string_view> calls;
  for (const Function& function : functions()) calls.push_back(function.name);
  return listed(names, ", ", ", ") +
         ", numbers (2, 1.5e-3), + - * / and ^ (right-associative; -x^2 is -(x^2)),"
         " parentheses and the functions " +
         listed(calls, " ", " ") +
         "; or a named solution of --solution. S = " + std::string(kBurgersOperator) +
         " unless --operator gives another";
}

/// The names of an operator, for --operator's help: "x, Re, u, u_x and u_xx".
std::string operator_names() {
  return listed(kOperatorNames, ", ", " and ") + " (default " + std::string(kBurgersOperator) + ")";
}

constexpr unsigned kWithVerdicts = kCampaign | kUsersValues;

constexpr std::array<OptionInfo, 21> kOptions = {{
    {"--meshes", "N1,N2,...",
     "the meshes, coarse to fine: for talvenor's case each N even and at least 2 (default: the"
     " case's N and three successive doublings); with --run any N of at least 1 (no default)",
     kTalvenorCase | kRunStudy,
     [](auto option, auto value, StudyOptions& options) {
       options.meshes = parse_meshes(option, value);
     }},
    {"--solver", "S",
     "how each mesh's discrete equations are solved, starting from the exact solution:"
     " newton (default), Newton's method until its update is at round-off, itmax iterations"
     " at most; picard, successive substitution for exactly itmax iterations, as talvenor"
     " runs it (the same numbers)",
     kTalvenorCase,
     [](auto option, auto value, StudyOptions& options) {
       options.solver = parse_solver(option, value);
     }},
    {"--jobs", "J",
     "meshes run at once on J threads (default: one per core); the numbers do not depend on J",
     kEveryStudy,
     [](auto option, auto value, StudyOptions& options) {
       options.jobs = parse_jobs(option, value);
     }},
    {"--output", "PREFIX",
     "the files' prefix (Files below; default: caso without trailing blanks, then \"-study\","
     " \"study\" for a blank caso; with --data the data file's name without extension, then"
     " \"-study\"; with --run \"run-study\")",
     kEveryStudy,
     [](auto option, auto value, StudyOptions& options) {
       options.output = output_prefix(option, value);
     }},
    {"--sweep", "NAME=V1,...",
     "a verification campaign: NAME is esquema, fonte, Re or beta; repeat the option for more"
     " names. Each combination of the listed values (the others from Talvenor.in) is a study"
     " on the meshes; beta only multiplies esquema 0. With --run, NAME is any word of letters,"
     " digits and _ but N and h, replacing {NAME} in the command: each combination of the"
     " values is a study of the command, run in PREFIX-runs/NAME=VALUE,.../N<N>/",
     kCampaign | kRunStudy,
     [](auto, auto value, StudyOptions& options) {
       // Read once the command line is whole: with --run any NAME is the user's.
       options.sweep_texts.emplace_back(value);
     },
     true},
    {"--data", "FILE",
     "a study of your own solver's numbers, no Talvenor.in needed: a CSV file whose first"
     " line names the columns (any order, any case): h, or cells with --dimension; value (or"
     " numerical); optionally exact and variable (the rows of one variable form one study;"
     " default \"value\"), and error (h and error alone: a table of error norms); the"
     " header's separator is ',', else ';' or a tab (then a decimal comma is read too)",
     kDataStudy,
     [](auto option, auto value, StudyOptions& options) {
       options.data = file_name(option, value, "file name");
     }},
    {"--run", "COMMAND",
     "a study of your own solver: COMMAND, with {N}, {h} and each swept {NAME} replaced, runs"
     " through the command interpreter (sh -c; cmd /c on Windows) once per mesh, in"
     " PREFIX-runs/N<N>/, where its output stays; it prints (or writes to --result) CSV:"
     " variable,value[,exact] rows as --data reads them, or x,u columns, its nodal solution"
     " (see --point). A mesh that fails, times out or prints nothing readable is diverged,"
     " with a note: status and last error line",
     kRunStudy,
     [](auto option, auto value, StudyOptions& options) {
       options.run = file_name(option, value, "command");
     }},
    {"--result", "FILE", "read FILE in each mesh's folder, not the command's standard output",
     kRunStudy,
     [](auto option, auto value, StudyOptions& options) {
       options.result = file_name(option, value, "file name");
       if (std::filesystem::path(*options.result).has_root_path()) {  // "/u.csv", "C:u.csv" too
         bad(option, "a name in each mesh's folder, not an absolute path");
       }
     }},
    {"--timeout", "SECONDS",
     "end a mesh's command (its whole process group) after SECONDS; the mesh gets a note"
     " (default: no limit)",
     kRunStudy,
     [](auto option, auto value, StudyOptions& options) {
       options.timeout = positive(option, value, "a number");
     }},
    {"--point", "X,...",
     "with x,u output: u at a node within 1e-9 (of the span of the nodes) of each X is a"
     " variable, u(X), judged by its exact value with --solution",
     kRunStudy,
     [](auto option, auto value, StudyOptions& options) {
       const std::vector<double> points = parse_points(option, value);
       options.points.insert(options.points.end(), points.begin(), points.end());
     }},
    {"--dimension", "D",
     "1, 2 or 3: a data file's cells give h = cells^(-1/D); with --run, N counts cells and"
     " {h} = N^(-1/D) (else 1/N)",
     kUsersValues, set_dimension},
    {"--formal-order", "P",
     "the scheme's order, for u_fs and the second mesh's GCI; with an exact column also a"
     " verdict per variable against P, as a campaign gives it. With --run and --sweep also"
     " NAME=VALUE:P,VALUE:P,...: an order per value of the swept NAME (verdicts when every"
     " combination has one)",
     kUsersValues,
     [](auto option, auto value, StudyOptions& options) {
       if (value.find('=') != std::string_view::npos) {
         options.formal_by_value = formal_orders(value);
       } else {
         options.formal_order = positive(option, value, "an order");
       }
     }},
    {"--junit", "FILE", "the verdicts as a JUnit XML file, a test case per cell, for a CI server",
     kWithVerdicts,
     [](auto option, auto value, StudyOptions& options) {
       options.junit = file_name(option, value, "file name");
     }},
    {"--require", "verified",
     "every cell must be verified or exact: refine and the other open verdicts (and a cell"
     " with no verdict) fail too, status 9 and a JUnit failure (default: only FAILED fails,"
     " the others are skipped)",
     kWithVerdicts,
     [](auto option, auto value, StudyOptions& options) {
       if (value != "verified") bad(option, "expected verified, found '" + std::string(value) + "'");
       options.require = Requirement::verified;
     }},
    {"--table", "markdown|latex",
     "also writes the study's table for a paper, ready to paste: PREFIX.md (Markdown) or"
     " PREFIX.tex (a LaTeX tabular), a row per variable with the finest mesh's orders,"
     " Richardson value, u_gci, u_fs, u_lsq and verdict",
     kEveryStudy,
     [](auto option, auto value, StudyOptions& options) {
       if (value != "markdown" && value != "latex") {
         bad(option, "expected markdown or latex, found '" + std::string(value) + "'");
       }
       options.table = value == "markdown" ? PaperTable::markdown : PaperTable::latex;
     }},
    {"--solution", "EXPR",
     "u = EXPR in place of fonte's solution: S from its exact derivatives, its mean by"
     " quadrature, u(0) and u(1) in the boundary rows; notes before the study say what the"
     " solution cannot show. Repeat it for a campaign over several solutions, each named by"
     " its formula in every report (not with --sweep fonte). With --run, one --solution,"
     " a function of x alone (no Re): the exact u at each node of the command's x,u result,"
     " whose nodal error's L1(e), L2(e) and Linf(e) become variables, and the exact value of"
     " each u(X) of --point. EXPR in the language of --source, or a named solution,",
     kTalvenorCase | kRunStudy, add_solution, true, named_solutions},
    {"--source", "EXPR",
     "prints, ready to paste into your own code, the functions exact_u, exact_du and source"
     " of x and Re for u = EXPR, and runs no study. EXPR may hold",
     kSourceCode,
     [](auto option, auto value, StudyOptions& options) {
       options.source = typed_solution(option, value);
     },
     false, expression_language},
    {"--language", "L", "the language --source prints:", kSourceCode, set_language, false,
     [] { return listed(kLanguageNames, ", ", " or "); }},
    {"--operator", "EXPR",
     "with --source: your own steady operator, whose source is printed instead, in", kSourceCode,
     [](auto option, auto value, StudyOptions& options) {
       options.operator_expr = parse_expression(value, option, kOperatorNames);
     },
     false, operator_names},
    {"--help", "", "shows this text", kEveryStudy | kSourceCode,
     [](auto, auto, StudyOptions& options) { options.help = true; }},
    {"--version", "", "shows the version (alone on the command line)", kEveryStudy,
     [](auto option, auto, StudyOptions&) { bad(option, "alone on the command line"); }},
}};

/// Why an option that accepts the studies `accepted` is refused in a study of `mode`.
std::string refusal(unsigned accepted, StudyMode mode) {
  if (mode == kSourceCode) return "not with --source: it prints code and runs no study";
  if (accepted == kSourceCode) return "only with --source EXPR";
  if (mode == kDataStudy) return "not with --data: the data file holds its own meshes and values";
  if (mode == kRunStudy) return "not with --run: the command solves";
  if (accepted == kRunStudy) return "only with --run COMMAND";
  if (accepted == kUsersValues) return "only with --data FILE or --run";
  if (accepted == kWithVerdicts) {
    return "only with --sweep, --data or --run: the studies that end with verdicts";
  }
  return "not with --sweep";
}

/// The --sweep values as given, read as talvenor's names or, with --run, the user's.
void read_sweeps(StudyOptions& options) {
  for (const std::string& text : options.sweep_texts) {
    if (options.run && !options.data) {
      options.own_sweep.push_back(parse_own_sweep(text, options.own_sweep));
    } else {
      parse_sweep("--sweep", text, options.sweep);
    }
  }
}

/// An order per value names an option the command sweeps and values of it, so that no
/// order is lost to a typing mistake:
///   --sweep scheme=up,central --formal-order schem=up:1 -> "--formal-order: 'schem' is
///   not swept: give its values with --sweep schem=V1,V2,..."
void check_orders_by_value(const FormalOrders& orders, const std::vector<OwnOption>& sweep) {
  const auto swept = std::find_if(sweep.begin(), sweep.end(),
                                  [&](const OwnOption& option) { return option.name == orders.name; });
  if (swept == sweep.end()) {
    bad("--formal-order", "'" + orders.name + "' is not swept: give its values with --sweep " +
                              orders.name + "=V1,V2,...");
  }
  for (const auto& [value, order] : orders.by_value) {
    if (std::find(swept->values.begin(), swept->values.end(), value) == swept->values.end()) {
      bad("--formal-order", "'" + value + "' is not a value of --sweep " + orders.name);
    }
  }
}

/// The solution of a --run study: one, a function of x alone, as the command's own
/// parameters have no name in it (a Re would be a number the study does not know):
///   --solution 'sin(Re*x)' -> "--solution with --run: 'Re' is not a known name; the
///   names are x, pi, e at character 5: ..."
void check_run_solution(const std::vector<std::shared_ptr<const Manufactured>>& solutions) {
  if (solutions.size() > 1) {
    bad("--solution", "one with --run: the command's campaign sweeps its own options");
  }
  if (!solutions.empty()) {
    parse_expression(solutions.front()->formula, "--solution with --run",
                     std::span(kSolutionNames).first(1));
  }
}

/// What the options of a study of `mode` ask of each other: talvenor's meshes even, a
/// command's meshes given, an order per value only for an option the command sweeps.
void check_together(const StudyOptions& options, StudyMode mode) {
  check_meshes(options.meshes, mode);
  if (mode == kRunStudy && options.meshes.empty()) {
    bad("--run", "--meshes N1,N2,... names the meshes to run it on");
  }
  if (options.formal_by_value && (mode != kRunStudy || options.own_sweep.empty())) {
    bad("--formal-order", "an order per value only with --run and its --sweep");
  }
  if (options.formal_by_value) check_orders_by_value(*options.formal_by_value, options.own_sweep);
  if (mode == kRunStudy) check_run_solution(options.sweep.solution);
}

/// The number of single-character edits that turn `a` into `b` (Levenshtein).
std::size_t edit_distance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

/// "unknown option '--mesh'; did you mean --meshes?": the nearest option within two
/// edits, when there is one.
[[noreturn]] void refuse_unknown(std::string_view argument) {
  if (!argument.starts_with("-")) refuse("unexpected argument '" + std::string(argument) + "'");
  constexpr std::size_t kNear = 2;
  const OptionInfo* nearest = nullptr;
  std::size_t distance = kNear + 1;
  for (const OptionInfo& option : kOptions) {
    const std::size_t d = edit_distance(argument.substr(0, argument.find('=')), option.name);
    if (d < distance) std::tie(nearest, distance) = std::pair(&option, d);
  }
  refuse("unknown option '" + std::string(argument) + "'" +
         (nearest ? "; did you mean " + std::string(nearest->name) + "?" : ""));
}

}  // namespace

StudyOptions parse_options(std::span<const std::string_view> arguments) {
  StudyOptions options;
  std::vector<const OptionInfo*> given;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i] == "-h" ? "--help" : arguments[i];
    const std::size_t equals = argument.find('=');
    const std::string_view option = argument.substr(0, equals);
    const auto* entry = std::find_if(kOptions.begin(), kOptions.end(),
                                     [&](const OptionInfo& known) { return known.name == option; });
    if (entry == kOptions.end()) refuse_unknown(argument);
    if (!entry->repeats && std::find(given.begin(), given.end(), entry) != given.end()) {
      bad(option, "given twice; give it once");
    }
    std::string_view value;
    if (entry->argument.empty()) {
      if (equals != std::string_view::npos) bad(option, "takes no value");
    } else if (equals != std::string_view::npos) {
      value = argument.substr(equals + 1);
    } else if (i + 1 < arguments.size()) {
      value = arguments[++i];
    } else {
      bad(option, "a value must follow");
    }
    entry->apply(option, value, options);
    given.push_back(entry);
  }
  read_sweeps(options);
  const StudyMode mode = study_mode(options);
  for (const OptionInfo* entry : given) {
    if ((entry->modes & mode) == 0) bad(entry->name, refusal(entry->modes, mode));
  }
  check_together(options, mode);
  if (mode == kSourceCode && !options.language) {
    bad("--source", "--language " + listed(kLanguageNames, "|", "|") + " must go with it");
  }
  if (!options.sweep.solution.empty() && !options.sweep.fonte.empty()) {
    bad("--solution", "not with --sweep fonte: each --solution is a solution of the campaign");
  }
  return options;
}

std::span<const OptionInfo> option_table() {
  return kOptions;
}

StudyMode study_mode(const StudyOptions& options) {
  if (options.source) return kSourceCode;
  if (options.data) return kDataStudy;
  if (options.run) return kRunStudy;
  return options.sweep.empty() ? kCaseStudy : kCampaign;
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

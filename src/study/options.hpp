#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/verdict.hpp"
#include "expression/manufactured.hpp"
#include "record/solver_method.hpp"
#include "study/study_files.hpp"
#include "study_sources/campaign.hpp"
#include "study_sources/command_runs.hpp"

namespace talvenor {

/// The command line of talvenor-study.
struct StudyOptions {
  bool help = false;
  std::vector<std::int32_t> meshes;   ///< empty: the case's N and three doublings
  std::optional<int> jobs;            ///< threads; empty: one per core
  std::optional<std::string> output;  ///< file prefix; empty: caso + "-study", or "study"
  Method solver = Method::newton;     ///< how each mesh's discrete equations are solved
  Sweep sweep;  ///< empty: one study, no campaign; its solutions those of --solution
  std::optional<std::string> data;      ///< --data FILE: a study of the file's numbers
  std::optional<int> dimension;         ///< of a data file's cells: h = cells^(-1/D)
  std::optional<double> formal_order;   ///< a data file's verdicts against this order
  std::optional<std::string> junit;     ///< the JUnit XML file of a campaign's or data's verdicts
  PaperTable table = PaperTable::none;  ///< --table: the study's table for a paper
  Requirement require = Requirement::order;  ///< what the gate asks: --require verified
  // The study of a user's own command (--run).
  std::optional<std::string> run;     ///< the command, {N}, {h} and {NAME} replaced per mesh
  std::optional<std::string> result;  ///< the file it writes, in each mesh's folder
  std::optional<double> timeout;      ///< seconds per mesh
  std::vector<double> points;         ///< --point: u at these x, from an x,u result
  std::vector<OwnOption> own_sweep;   ///< --sweep with --run: any NAME, any values
  std::vector<std::string> sweep_texts;  ///< each --sweep as given, read when all is parsed
  std::optional<FormalOrders> formal_by_value;  ///< --formal-order NAME=VALUE:P,...
  /// --source EXPR: the solution whose code is printed; no study runs.
  std::shared_ptr<const Manufactured> source;
  std::optional<Language> language;  ///< of --source
  Expr operator_expr;  ///< --operator EXPR in x, Re, u, u_x, u_xx; empty: kBurgersOperator
};

/// One option of talvenor-study, the one home of its name, the name of its argument
/// (empty: it takes none), what it does (one paragraph, wrapped by the help) and the
/// studies that accept it. The parser, the help and the suggestion for a mistyped name
/// all read the table of them (option_table): a new option is an entry there and the
/// action that stores its value.
struct OptionInfo {
  std::string_view name;
  std::string_view argument;
  std::string_view description;
  unsigned modes;  ///< StudyMode bits
  void (*apply)(std::string_view option, std::string_view value, StudyOptions& options);
  /// Whether it may be given more than once (--sweep, a name each time); any other
  /// given twice is refused, since one of its values would go unused.
  bool repeats = false;
  /// The end of the description that another table owns (the named solutions, the
  /// functions of the language), or nullptr.
  std::string (*listed)() = nullptr;
};

/// Every option, in the order the help lists them.
std::span<const OptionInfo> option_table();

/// The kind of study a command line asks for: --data a data study, --run a study of the
/// user's command, --sweep a campaign, else a study of talvenor's case.
/// The kind of run a command line asks for: --source the code of a solution (no
/// study), --data a data study, --sweep or two --solution a campaign, else a study of
/// talvenor's case.
StudyMode study_mode(const StudyOptions& options);

/// Reads the arguments after the program name. Each option takes its value as the
/// next argument or after "=": --meshes 20,40,80 or --meshes=20,40,80. A bad option
/// or value throws Error (usage) with one line naming it:
///   {"--jobs", "0"} -> "--jobs: expected a whole number of at least 1, found '0'"
/// Meshes: at least two, each finer than the last; for talvenor's case each N even and
/// at least 2 (u(1/2) is its node N/2), with --run any N of at least 1.
/// --sweep NAME=V1,V2,... (repeatable, each NAME once) takes esquema 0 to 2, fonte 0 to
/// 4, or real numbers for Re and beta, no value twice; with --run any NAME but N and h
/// (the command's own {NAME}), any values, no value twice:
///   {"--sweep", "fonte=1,7"} -> "--sweep fonte: expected 0 to 4, found '7'"
/// --solution (repeatable, each formula once), --source and --operator parse their
/// expression at once; a bad one throws the expression's report, its line, the
/// expression and a caret under the place:
///   {"--solution", "x^^2"} -> "--solution: a number, a name or ( is expected at
///   character 3:\n  x^^2\n    ^"
StudyOptions parse_options(std::span<const std::string_view> arguments);

/// What --help prints, written from the tables: the options, the columns of the CSV
/// files, the estimators, the formal orders, the verdicts, the files and the exit
/// statuses.
std::string_view help_text();

/// The default meshes of a case whose N is `N`: N, 2N, 4N, 8N. An odd N, or one
/// whose doublings do not fit a mesh size, throws Error (case_file).
std::vector<std::int32_t> default_meshes(std::int32_t N);

}  // namespace talvenor

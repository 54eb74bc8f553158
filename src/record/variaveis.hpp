#pragma once

// The run record: the one set of values that every stage of a run reads and
// writes. Plain data: no input, output or numerics here.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "record/exact_solutions.hpp"
#include "textio/fixed_text.hpp"

namespace talvenor {

/// The eight per-node arrays, each indexed 0 to N (N + 1 values), zero when allocated.
struct FieldArrays {
  std::vector<double> ua;  ///< exact solution
  std::vector<double> u;   ///< numerical solution
  std::vector<double> x;   ///< node coordinates
  std::vector<double> ap;  ///< central coefficient
  std::vector<double> ae;  ///< east coefficient
  std::vector<double> bp;  ///< right-hand side ("fonte" in the listing)
  std::vector<double> aw;  ///< west coefficient
  std::vector<double> S;   ///< manufactured source term at the nodes
};

/// The run record. A run keeps one, passed by reference to every stage; every
/// number is zero and every text blank until the case is read.
struct CaseData : FieldArrays {
  // The twelve values of the case file, in its order.
  FixedText<50> caso;           ///< case name: the listing is named by it, the log by it + ".itn"
  std::int32_t esquema = 0;     ///< the scheme: an index of kSchemes (record/schemes.hpp)
  std::int32_t fonte = 0;       ///< the exact solution: an index of kExactSolutions
  std::int32_t N = 0;           ///< number of mesh elements; nodes 0 to N
  double Re = 0.0;              ///< Reynolds number
  double beta = 0.0;            ///< weight of the deferred correction (beta_matters)
  std::int32_t itmax = 0;       ///< number of iterations
  std::int32_t graficos = 0;    ///< 1: data file, plot scripts and plots
  std::int32_t lista_coef = 0;  ///< 1: coefficient table in the listing
  std::int32_t lista_sol = 0;   ///< 1: solution table in the listing
  std::int32_t freq = 0;        ///< node step of the tables and the data file
  FixedText<90> titulo;         ///< title of the case

  double h = 0.0;  ///< element length, 1 / N

  double tempo = 0.0;  ///< wall-clock seconds of the calculation stage
  /// The editor command of a launch: the command padded with blanks to 90
  /// characters (a name quoted for the interpreter may make it longer; it is never cut).
  std::string command_line;
  double u_media_a = 0.0;     ///< exact mean of u over [0, 1]
  double inclinacao_a = 0.0;  ///< exact slope du/dx at x = 1
  double u_media_n = 0.0;     ///< numerical mean after the latest iteration
  double inclinacao_n = 0.0;  ///< numerical slope at x = 1 after the latest iteration
  std::int32_t it = 0;        ///< iteration counter
  /// A solution typed by the study's user (--solution), in fonte's place; talvenor
  /// itself never sets one.
  std::shared_ptr<const Manufactured> typed;
};

/// The exact solution `data` runs on: data.typed, else fonte's.
///   exact_solution(data).exists() -> false for a fonte with none and nothing typed
inline ExactSolutionView exact_solution(const CaseData& data) {
  return ExactSolutionView(data.fonte, data.typed.get());
}

/// The solution as the study's reports name it: fonte's number, or the typed formula.
///   "2"; "sin(pi*x)"
inline std::string solution_name(const CaseData& data) {
  return data.typed ? data.typed->formula : std::to_string(data.fonte);
}

}  // namespace talvenor

#pragma once

// The analysis of one variable over a sequence of meshes: the errors, orders,
// Richardson values and grid convergence indices of each mesh, and the flags that
// say what the numbers cannot. It knows nothing of where the values come from
// (talvenor's solver or a user's file) nor of how they are shown.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/orders.hpp"
#include "analysis/estimators.hpp"

namespace talvenor {

/// One variable on one mesh. A source fills the first block; analyse_variable fills
/// the rest. A norm of the error (L1(e), ...) comes with its error alone: no exact or
/// numerical value. A new derived quantity is a member here, set in analyse_variable, and a
/// column of the reports' column table.
struct MeshRow {
  // What the source gives.
  std::int64_t N = 0;               ///< talvenor's elements or a file's cells; 0: only h is known
  double h = 0.0;                   ///< the mesh size
  std::optional<double> exact;      ///< none when the source knows no exact value
  std::optional<double> numerical;  ///< none when the mesh diverged
  std::string fault;                ///< why the mesh diverged
  int iterations = 0;               ///< iterations the mesh ran (0 when the source does not say)
  /// |exact - numerical| below what the mesh can show (the source knows its floor).
  bool round_off = false;
  /// The iteration's changes do not shrink: the value is no solution of the
  /// discrete equations, and gives no order.
  bool iteration_not_converging = false;
  double iteration_estimate = 0.0;  ///< the iteration error left in the value, estimated

  // What the analysis derives.
  std::optional<double> error;        ///< exact - numerical
  std::optional<double> p_effective;  ///< against the previous mesh
  std::optional<double> p_apparent;   ///< from this mesh and the two before
  std::optional<double> richardson;   ///< with p_apparent, from this mesh and the one before
  std::optional<double> gci;          ///< of this mesh and the one before
  bool oscillatory = false;           ///< the differences of the three latest meshes change sign
  /// p_apparent below kLeastOrder (0.1), near zero on either side or negative: no
  /// Richardson value, GCI, u_gci or u_fs.
  bool not_converging = false;
  /// The estimated iteration error / |error|, when it is kIterativeShare or more: the
  /// value is not yet the solution of the discrete equations, and gives no order.
  std::optional<double> iterative_share;
  /// The absolute uncertainty of the value by each estimator, in the order of
  /// kEstimators; none where it gives no value.
  std::array<std::optional<double>, kEstimatorCount> uncertainty{};
};

/// The cell Reynolds number Re h below which a mesh resolves the convection: the
/// verdict's advice and the audit's groups draw the line here.
inline constexpr double kResolvedCellReynolds = 2.0;

/// The most meshes u_lsq fits for a row: the finest usable ones up to it. Eight give
/// the fits of three and four unknowns (the observed order; alpha1 h + alpha2 h^2)
/// four or more degrees of freedom, enough for the scatter their standard deviation
/// measures, while the coarser meshes, furthest from the asymptotic range, drop out as
/// finer ones come; and a study stays linear in its rows. Studies of eight meshes or
/// fewer fit them all.
inline constexpr std::size_t kLsqWindow = 8;

/// The iteration error of a value must stay below this share of its error.
inline constexpr double kIterativeShare = 0.01;

/// What MeshRow::N counts, and so how a mesh is named: "N = 640", "cells = 18000",
/// or by its size, "h = 0.01".
enum class MeshCount { elements, cells, none };

/// One variable over all meshes.
struct VariableStudy {
  std::string name;
  std::vector<MeshRow> rows;           ///< coarse to fine
  std::optional<double> order_all;     ///< least squares over the meshes with a usable error
  std::size_t order_all_meshes = 0;    ///< how many meshes that fit used
  std::optional<double> order_finest;  ///< least squares over the finest three, all usable
  MeshCount count = MeshCount::elements;
  /// Without exact values: f0 + C h^p fitted to the values by least squares
  /// (least_squares_fit) over the meshes with a value, when three or more have one.
  std::optional<PowerFit> value_fit;
  std::size_t value_fit_meshes = 0;  ///< how many meshes that fit used
};

/// A row whose error can give an order: it exists, is above round-off, and belongs to
/// a solution of the discrete equations (no iteration flag).
bool clean(const MeshRow& row);

/// A mesh that diverged: neither a value nor an error.
bool diverged(const MeshRow& row);

/// Fills the derived members of `rows` (given members set, coarse to fine) and the
/// least-squares orders. Without an exact value a row has no error: its apparent
/// order, Richardson value, GCI and uncertainties come from the values alone. `formal`
/// is the scheme's formal order: the GCI of the second mesh uses it, where no apparent
/// order exists yet, and so does u_fs; without it neither has a value, and u_lsq takes
/// the procedure's own order, 2. A row of a norm gets its effective order and nothing
/// that needs values. `between_rows`, when given, runs before each row's least-squares
/// fit, the costly step: a caller that must stop a study of 10^5 meshes at once (an
/// interruption) throws from it.
VariableStudy analyse_variable(std::string name, std::vector<MeshRow> rows,
                               std::optional<double> formal,
                               MeshCount count = MeshCount::elements,
                               const std::function<void()>& between_rows = {});

/// The flags of a row, each a few words: what its numbers cannot say ("diverged",
/// "iteration not converging", "iteration error 12 % of |E|", "round-off",
/// "oscillatory", "not converging"); empty for a clean row.
std::vector<std::string> flags(const MeshRow& row);

/// The flags joined by `separator`: "iteration error 12 % of |E|, round-off".
std::string notes(const MeshRow& row, std::string_view separator = ", ");

/// How the mesh of `row` is named: "N = 640", "cells = 18000", "h = 0.01".
std::string mesh_name(const MeshRow& row, MeshCount count);

/// The meshes of `rows` named together: "N = 10, 20, 40", "h = 0.1, 0.05".
std::string mesh_list(const std::vector<const MeshRow*>& rows, MeshCount count);

}  // namespace talvenor

#pragma once

// The gnuplot script of a study: how each variable converges, on log-log axes.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/mesh_study.hpp"

namespace talvenor {

/// What the script says of the study it draws.
struct PlotTitles {
  std::string subject;     ///< "teste1.txt": whose study, in the first comment
  std::string title;       ///< the plot's title
  bool mesh_ticks = true;  ///< a tick per mesh named "1/N" (talvenor's meshes); else gnuplot's
};

/// The most variables a plot draws: beyond ten, the curves' colours repeat and the key
/// hides the plot, and a script of 10^5 variables would keep gnuplot busy for hours.
/// The CSV file holds every variable.
inline constexpr std::size_t kPlottedVariables = 10;

/// The most points a curve has: a picture 900 pixels wide shows no more, and gnuplot
/// draws a study of 10^5 meshes in a moment. A longer study is drawn every
/// ceil(meshes / kPlottedMeshes)-th mesh, coarsest first.
inline constexpr std::size_t kPlottedMeshes = 1000;

/// What the plot takes of one variable, a few bytes a mesh whatever the study holds:
/// its name, the points it draws (at most kPlottedMeshes: h, the value plotted, and
/// whether the row carries a note) and what the settings need of all its meshes.
struct PlotCurve {
  struct Point {
    double h = 0.0;
    double value = 0.0;
    bool flagged = false;
  };
  std::string name;
  std::vector<Point> points;
  std::vector<std::pair<std::int64_t, double>> meshes;  ///< N and h of every mesh (ticks)
  double largest_h = 0.0;
  double smallest_h = 0.0;
  double largest = 0.0;  ///< the largest value plotted, of every mesh
  bool any_flagged = false;
  bool any_clean = false;
  bool exact = false;  ///< the first mesh has an exact value: errors are plotted
};

/// The curve of `study`: |error| of each row (a norm's row has its error alone), or
/// without an exact value the change of its value to the next finer mesh,
/// |f(h) - f(next h)| at h, which falls at the same order; a point only where that
/// value exists and is above 0 (a logarithmic axis), every row up to kPlottedMeshes
/// meshes, else every ceil(meshes / kPlottedMeshes)-th from the coarsest.
PlotCurve plot_curve(const VariableStudy& study);

/// The gnuplot script that draws, into the PNG file `png_name`, the first
/// kPlottedVariables of `curves` on log-log axes, with reference slopes of order 1
/// and 2; a point whose row carries a note is drawn hollow, and the title says so
/// when no point is clean.
std::vector<std::string> plot_script_records(const PlotTitles& titles,
                                             std::span<const PlotCurve> curves,
                                             std::string_view png_name);

/// plot_script_records of the curves of the first kPlottedVariables of `studies`.
std::vector<std::string> plot_script_records(const PlotTitles& titles,
                                             std::span<const VariableStudy> studies,
                                             std::string_view png_name);

}  // namespace talvenor

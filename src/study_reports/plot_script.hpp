#pragma once

// The gnuplot script of a study: how each variable converges, on log-log axes.

#include <span>
#include <string>
#include <string_view>
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

/// The gnuplot script that draws, into the PNG file `png_name`, |error| against h on
/// log-log axes for each variable (the first kPlottedVariables of them, at most
/// kPlottedMeshes points each), with reference slopes of order 1 and 2; a point
/// whose row carries a note is drawn hollow, and the title says so when no point is
/// clean. A variable without exact values is drawn by the change of its value to the
/// next finer mesh, |f(h) - f(next h)| at h, which falls at the same order.
std::vector<std::string> plot_script_records(const PlotTitles& titles,
                                             std::span<const VariableStudy> studies,
                                             std::string_view png_name);

}  // namespace talvenor

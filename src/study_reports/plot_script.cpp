#include "study_reports/plot_script.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

#include "textio/gnuplot_text.hpp"
#include "textio/number_format.hpp"

namespace talvenor {
namespace {

/// What a point of the plot shows: |error| of row `k` (a norm's row has its error
/// alone), or without an exact value the change of the value to the next finer mesh;
/// nothing where neither exists.
std::optional<double> plotted(const std::vector<MeshRow>& rows, std::size_t k) {
  const MeshRow& row = rows[k];
  if (row.error) return std::fabs(*row.error);
  if (row.exact) return {};
  if (k + 1 >= rows.size() || !row.numerical || !rows[k + 1].numerical) return {};
  return std::fabs(*row.numerical - *rows[k + 1].numerical);
}

/// The extent of the plot: h from the finest to the coarsest mesh, the largest
/// plotted value (where the reference lines start), and whether any point is clean
/// or flagged.
struct Extent {
  double largest_h = 0.0;
  double smallest_h = INFINITY;
  double largest = 0.0;
  bool any_flagged = false;
  bool any_clean = false;
};

Extent extent_of(std::span<const VariableStudy> studies) {
  Extent extent;
  for (const VariableStudy& study : studies) {
    for (std::size_t k = 0; k < study.rows.size(); ++k) {
      const MeshRow& row = study.rows[k];
      extent.largest_h = std::max(extent.largest_h, row.h);
      extent.smallest_h = std::min(extent.smallest_h, row.h);
      if (const auto value = plotted(study.rows, k)) {
        extent.largest = std::max(extent.largest, *value);
      }
      (flags(row).empty() ? extent.any_clean : extent.any_flagged) = true;
    }
  }
  if (extent.largest == 0.0) extent.largest = 1.0;
  return extent;
}

bool any_exact(std::span<const VariableStudy> studies) {
  return std::any_of(studies.begin(), studies.end(), [](const VariableStudy& study) {
    return !study.rows.empty() && study.rows.front().exact;
  });
}

/// The settings before the data: terminal, title, axes, range, reference point.
std::vector<std::string> settings(const PlotTitles& titles, std::span<const VariableStudy> studies,
                                  const Extent& extent, std::string_view png_name) {
  const bool errors = any_exact(studies);
  std::vector<std::string> records = {
      gnuplot_comment(std::string(errors ? "|error|" : "|change to the next finer mesh|") +
                      " against h for the mesh-refinement study of " + titles.subject +
                      "; run: gnuplot <this file>"),
      "set terminal pngcairo size 900,640 enhanced font 'Sans,11'",
      "set output " + gnuplot_quoted(png_name),
      "set title " + gnuplot_quoted(titles.title) +
          (extent.any_clean
               ? ""
               : " . \"\\n\" . 'no mesh is clean: every point is flagged, see the notes'") +
          " noenhanced",
      "set logscale xy",
      "set format y '10^{%L}'",
      titles.mesh_ticks ? "set xlabel 'h = 1/N'" : "set xlabel 'h'",
      errors ? "set ylabel '|error| = |exact - numerical|'"
             : "set ylabel '|f(h) - f(next finer h)|'",
      "set grid",
      "set key bottom right",
      "set xrange [" + scientific_text(extent.smallest_h / 1.5, 6) + ":" +
          scientific_text(extent.largest_h * 1.5, 6) + "]",
      "h0 = " + scientific_text(extent.largest_h, 16),
      "e0 = " + scientific_text(extent.largest, 16),
  };
  // One tick per mesh, named by its N: the axis shows which mesh each point is.
  if (titles.mesh_ticks && !studies.empty()) {
    std::string ticks;
    for (const MeshRow& row : studies.front().rows) {
      if (!ticks.empty()) ticks += ", ";
      ticks += "'1/" + std::to_string(row.N) + "' " + scientific_text(row.h, 16);
    }
    records.push_back("set xtics (" + ticks + ")");
  }
  return records;
}

/// The data block of variable number `v` (h, the plotted value and 1 where the row
/// carries a flag) and its three curves: a line, filled clean points, hollow flagged
/// ones; nothing when no point can be drawn on a logarithmic axis.
void add_variable(const VariableStudy& study, std::size_t v, std::vector<std::string>& records,
                  std::vector<std::string>& curves) {
  const std::string block = "$variable" + std::to_string(v + 1);
  const std::string colour = " linecolor " + std::to_string(v + 1);
  std::vector<std::string> points;
  // Every row of a study up to kPlottedMeshes meshes, else every stride-th.
  const std::size_t stride = (study.rows.size() + kPlottedMeshes - 1) / kPlottedMeshes;
  for (std::size_t k = 0; k < study.rows.size(); k += std::max<std::size_t>(stride, 1)) {
    const std::optional<double> value = plotted(study.rows, k);
    if (!value || *value == 0.0) continue;
    points.push_back(scientific_text(study.rows[k].h, 16) + " " + scientific_text(*value, 16) +
                     (flags(study.rows[k]).empty() ? " 0" : " 1"));
  }
  if (points.empty()) return;
  records.push_back(block + " << EOD");
  records.insert(records.end(), points.begin(), points.end());
  records.emplace_back("EOD");
  curves.push_back(block + " using 1:2 with lines" + colour + " title " +
                   gnuplot_quoted(study.name) + " noenhanced");
  curves.push_back(block + " using 1:($3 == 0 ? $2 : NaN) with points pointtype 7" + colour +
                   " notitle");
  curves.push_back(block + " using 1:($3 == 1 ? $2 : NaN) with points pointtype 6" + colour +
                   " notitle");
}

}  // namespace

std::vector<std::string> plot_script_records(const PlotTitles& titles,
                                             std::span<const VariableStudy> studies,
                                             std::string_view png_name) {
  studies = studies.first(std::min(studies.size(), kPlottedVariables));
  const Extent extent = extent_of(studies);
  std::vector<std::string> records = settings(titles, studies, extent, png_name);
  std::vector<std::string> curves;
  for (std::size_t v = 0; v < studies.size(); ++v) add_variable(studies[v], v, records, curves);
  if (extent.any_flagged) {
    curves.emplace_back(
        "NaN with points pointtype 6 linecolor 'black' title 'hollow: flagged, see the notes'");
  }
  curves.emplace_back("e0 * (x / h0) with lines dashtype 2 linecolor 'gray40' title 'order 1'");
  curves.emplace_back("e0 * (x / h0)**2 with lines dashtype 3 linecolor 'gray20' title 'order 2'");
  for (std::size_t i = 0; i < curves.size(); ++i) {
    records.push_back((i == 0 ? "plot " : "     ") + curves[i] +
                      (i + 1 < curves.size() ? ", \\" : ""));
  }
  return records;
}

}  // namespace talvenor

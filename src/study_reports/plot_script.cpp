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

Extent extent_of(std::span<const PlotCurve> curves) {
  Extent extent;
  for (const PlotCurve& curve : curves) {
    extent.largest_h = std::max(extent.largest_h, curve.largest_h);
    extent.smallest_h = std::min(extent.smallest_h, curve.smallest_h);
    extent.largest = std::max(extent.largest, curve.largest);
    extent.any_flagged = extent.any_flagged || curve.any_flagged;
    extent.any_clean = extent.any_clean || curve.any_clean;
  }
  if (extent.largest == 0.0) extent.largest = 1.0;
  return extent;
}

bool any_exact(std::span<const PlotCurve> curves) {
  return std::any_of(curves.begin(), curves.end(), [](const PlotCurve& curve) { return curve.exact; });
}

/// The settings before the data: terminal, title, axes, range, reference point.
std::vector<std::string> settings(const PlotTitles& titles, std::span<const PlotCurve> curves,
                                  const Extent& extent, std::string_view png_name) {
  const bool errors = any_exact(curves);
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
      "h0 = " + full_digits(extent.largest_h),
      "e0 = " + full_digits(extent.largest),
  };
  // One tick per mesh, named by its N: the axis shows which mesh each point is.
  if (titles.mesh_ticks && !curves.empty()) {
    std::string ticks;
    for (const auto& [N, h] : curves.front().meshes) {
      if (!ticks.empty()) ticks += ", ";
      ticks += "'1/" + std::to_string(N) + "' " + full_digits(h);
    }
    records.push_back("set xtics (" + ticks + ")");
  }
  return records;
}

/// The data block of variable number `v` (h, the plotted value and 1 where the row
/// carries a flag) and its three curves: a line, filled clean points, hollow flagged
/// ones; nothing when no point can be drawn on a logarithmic axis.
void add_variable(const PlotCurve& curve, std::size_t v, std::vector<std::string>& records,
                  std::vector<std::string>& curves) {
  if (curve.points.empty()) return;
  const std::string block = "$variable" + std::to_string(v + 1);
  const std::string colour = " linecolor " + std::to_string(v + 1);
  records.push_back(block + " << EOD");
  for (const PlotCurve::Point& point : curve.points) {
    records.push_back(full_digits(point.h) + " " + full_digits(point.value) +
                      (point.flagged ? " 1" : " 0"));
  }
  records.emplace_back("EOD");
  curves.push_back(block + " using 1:2 with lines" + colour + " title " +
                   gnuplot_quoted(curve.name) + " noenhanced");
  curves.push_back(block + " using 1:($3 == 0 ? $2 : NaN) with points pointtype 7" + colour +
                   " notitle");
  curves.push_back(block + " using 1:($3 == 1 ? $2 : NaN) with points pointtype 6" + colour +
                   " notitle");
}

}  // namespace

PlotCurve plot_curve(const VariableStudy& study) {
  PlotCurve curve;
  curve.name = study.name;
  curve.exact = !study.rows.empty() && study.rows.front().exact.has_value();
  curve.smallest_h = INFINITY;
  const std::size_t stride =
      std::max<std::size_t>((study.rows.size() + kPlottedMeshes - 1) / kPlottedMeshes, 1);
  for (std::size_t k = 0; k < study.rows.size(); ++k) {
    const MeshRow& row = study.rows[k];
    const bool flagged = !flags(row).empty();
    curve.meshes.emplace_back(row.N, row.h);
    curve.largest_h = std::max(curve.largest_h, row.h);
    curve.smallest_h = std::min(curve.smallest_h, row.h);
    (flagged ? curve.any_flagged : curve.any_clean) = true;
    const std::optional<double> value = plotted(study.rows, k);
    if (!value) continue;
    curve.largest = std::max(curve.largest, *value);
    if (k % stride == 0 && *value != 0.0) curve.points.push_back({row.h, *value, flagged});
  }
  return curve;
}

std::vector<std::string> plot_script_records(const PlotTitles& titles,
                                             std::span<const PlotCurve> curves,
                                             std::string_view png_name) {
  curves = curves.first(std::min(curves.size(), kPlottedVariables));
  const Extent extent = extent_of(curves);
  std::vector<std::string> records = settings(titles, curves, extent, png_name);
  std::vector<std::string> lines;
  for (std::size_t v = 0; v < curves.size(); ++v) add_variable(curves[v], v, records, lines);
  if (extent.any_flagged) {
    lines.emplace_back(
        "NaN with points pointtype 6 linecolor 'black' title 'hollow: flagged, see the notes'");
  }
  lines.emplace_back("e0 * (x / h0) with lines dashtype 2 linecolor 'gray40' title 'order 1'");
  lines.emplace_back("e0 * (x / h0)**2 with lines dashtype 3 linecolor 'gray20' title 'order 2'");
  for (std::size_t i = 0; i < lines.size(); ++i) {
    records.push_back((i == 0 ? "plot " : "     ") + lines[i] +
                      (i + 1 < lines.size() ? ", \\" : ""));
  }
  return records;
}

std::vector<std::string> plot_script_records(const PlotTitles& titles,
                                             std::span<const VariableStudy> studies,
                                             std::string_view png_name) {
  std::vector<PlotCurve> curves;
  for (const VariableStudy& study : studies.first(std::min(studies.size(), kPlottedVariables))) {
    curves.push_back(plot_curve(study));
  }
  return plot_script_records(titles, curves, png_name);
}

}  // namespace talvenor

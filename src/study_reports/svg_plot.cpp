#include "study_reports/svg_plot.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>

#include "study_reports/markup.hpp"
#include "study_reports/plot_script.hpp"
#include "textio/number_format.hpp"
#include "textio/shortest_text.hpp"

namespace talvenor {
namespace {

/// The variables in the plots, then the norms of the error: a colour each, and a
/// marker shape each of the three of a kind, so that a black-and-white print still
/// tells those apart.
constexpr std::array<std::string_view, 6> kCurveColours = {"#1f5fa8", "#b8322a", "#2b8a3e",
                                                          "#6a3d9a", "#c76f00", "#4d4d4d"};

std::string number(double value) {
  return fixed_text(value, 1);
}

// The picture and its frame, in pixels.
constexpr double kPlotWidth = 640.0;
constexpr double kPlotHeight = 320.0;
constexpr double kLeft = 62.0;
constexpr double kRight = 180.0;  // the legend, beside the frame: it hides no point
constexpr double kTop = 14.0;
constexpr double kBottom = 44.0;
constexpr double kWidth = kPlotWidth - kLeft - kRight;
constexpr double kHeight = kPlotHeight - kTop - kBottom;

/// What the plot shows: h from the finest to the coarsest mesh, |E| over whole decades,
/// and where each value falls in pixels.
struct Frame {
  double h_fine = 0.0;
  double h_coarse = 0.0;
  double largest = 1.0;        ///< the largest |E| (1 when no error shows)
  double reference_end = 1.0;  ///< the reference slope's |E| at the finest mesh
  bool any = false;            ///< some |E| shows on a logarithmic axis
  double decade_low = 0.0;
  double decade_high = 1.0;

  double x(double h) const {
    const double log_h_low = std::log10(h_fine) - 0.08;
    const double log_h_high = std::log10(h_coarse) + 0.08;
    return kLeft + (std::log10(h) - log_h_low) / (log_h_high - log_h_low) * kWidth;
  }
  double y(double error) const {
    return kTop + (decade_high - std::log10(error)) / (decade_high - decade_low) * kHeight;
  }
};

/// The variables the plot draws: the first kPlottedVariables, as in the gnuplot script.
std::span<const VariableStudy> plotted(const Combination& combination) {
  return std::span(combination.studies).first(
      std::min(combination.studies.size(), kPlottedVariables));
}

/// The frame of `combination`: its meshes, and decades that hold every |E| and the
/// reference slope of the formal order.
Frame frame_of(const Combination& combination) {
  const std::vector<MeshRow>& meshes = combination.studies.front().rows;
  Frame frame;
  frame.h_fine = meshes.back().h;
  frame.h_coarse = meshes.front().h;
  double smallest = INFINITY;
  double largest = 0.0;
  for (const VariableStudy& study : plotted(combination)) {
    for (const MeshRow& row : study.rows) {
      if (!row.error || *row.error == 0.0) continue;
      smallest = std::min(smallest, std::fabs(*row.error));
      largest = std::max(largest, std::fabs(*row.error));
    }
  }
  frame.any = largest > 0.0;
  if (!frame.any) smallest = largest = 1.0;
  frame.largest = largest;
  frame.reference_end = largest * std::pow(frame.h_fine / frame.h_coarse, combination.formal);
  smallest = std::min(smallest, frame.reference_end);
  frame.decade_low = std::floor(std::log10(smallest));
  frame.decade_high = std::max(std::ceil(std::log10(largest)), frame.decade_low + 1.0);
  return frame;
}

/// A marker of variable `v` at (x, y): circle, square or triangle, filled when the
/// mesh is clean, hollow when it carries a note.
std::string marker(std::size_t v, double x, double y, bool hollow) {
  const std::string colour(kCurveColours[v % kCurveColours.size()]);
  const std::string fill = hollow ? "#ffffff" : colour;
  switch (v % 3) {
    case 0:
      return empty_element("circle", {{"cx", number(x)},
                                      {"cy", number(y)},
                                      {"r", "4"},
                                      {"fill", fill},
                                      {"stroke", colour}});
    case 1:
      return empty_element("rect", {{"x", number(x - 3.5)},
                                    {"y", number(y - 3.5)},
                                    {"width", "7"},
                                    {"height", "7"},
                                    {"fill", fill},
                                    {"stroke", colour}});
    default:
      return empty_element(
          "polygon", {{"points", number(x) + "," + number(y - 4.5) + " " + number(x - 4.5) + "," +
                                     number(y + 3.5) + " " + number(x + 4.5) + "," +
                                     number(y + 3.5)},
                      {"fill", fill},
                      {"stroke", colour}});
  }
}

/// A line from (x1, y1) to (x2, y2), dashed when `dashes` says how ("6 4").
std::string line(double x1, double y1, double x2, double y2, std::string_view stroke,
                 std::string_view dashes = {}) {
  std::string element = empty_element("line", {{"x1", number(x1)},
                                               {"y1", number(y1)},
                                               {"x2", number(x2)},
                                               {"y2", number(y2)},
                                               {"stroke", std::string(stroke)}});
  if (!dashes.empty()) {
    element.insert(element.size() - 2, " stroke-dasharray=\"" + std::string(dashes) + "\"");
  }
  return element;
}

std::string label(double x, double y, std::string_view anchor, std::string_view text) {
  if (anchor.empty()) return text_element("text", {{"x", number(x)}, {"y", number(y)}}, text);
  return text_element(
      "text", {{"x", number(x)}, {"y", number(y)}, {"text-anchor", std::string(anchor)}}, text);
}

/// The grid: a line and a label per decade of |E| (at most about twelve labels) and
/// per mesh (named by its N), and the axes' names.
void draw_grid(const Frame& frame, const std::vector<MeshRow>& meshes,
               std::vector<std::string>& lines) {
  const double step = std::ceil((frame.decade_high - frame.decade_low) / 12.0);
  for (double decade = frame.decade_low; decade <= frame.decade_high; decade += step) {
    const double y = frame.y(std::pow(10.0, decade));
    lines.push_back(line(kLeft, y, kLeft + kWidth, y, "#dddddd") +
                    label(kLeft - 6.0, y + 4.0, "end",
                          "1e" + std::to_string(static_cast<int>(decade))));
  }
  for (const MeshRow& row : meshes) {
    const double x = frame.x(row.h);
    lines.push_back(line(x, kTop, x, kTop + kHeight, "#dddddd") +
                    label(x, kTop + kHeight + 16.0, "middle", "1/" + std::to_string(row.N)));
  }
  lines.push_back(label(kLeft + kWidth / 2.0, kPlotHeight - 6.0, "middle", "h = 1/N"));
  lines.push_back(text_element(
      "text",
      {{"transform", "translate(14," + number(kTop + kHeight / 2.0) + ") rotate(-90)"},
       {"text-anchor", "middle"}},
      "|E| = |exact - numerical|"));
}

/// Each variable's line through its errors, and its markers.
void draw_curves(const Frame& frame, const Combination& combination,
                 std::vector<std::string>& lines) {
  for (std::size_t v = 0; v < plotted(combination).size(); ++v) {
    std::string path;
    std::vector<std::string> markers;
    for (const MeshRow& row : combination.studies[v].rows) {
      if (!row.error || *row.error == 0.0) continue;  // nothing a logarithmic axis shows
      const double x = frame.x(row.h);
      const double y = frame.y(std::fabs(*row.error));
      path += (path.empty() ? "M" : " L") + number(x) + " " + number(y);
      markers.push_back(marker(v, x, y, !flags(row).empty()));
    }
    if (path.empty()) continue;
    lines.push_back(empty_element(
        "path", {{"d", path},
                 {"fill", "none"},
                 {"stroke", std::string(kCurveColours[v % kCurveColours.size()])},
                 {"stroke-width", "1.5"}}));
    lines.insert(lines.end(), markers.begin(), markers.end());
  }
}

/// The legend beside the frame: each variable, the reference slope, the hollow marker.
void draw_legend(const Combination& combination, std::vector<std::string>& lines) {
  const double x = kLeft + kWidth + 20.0;
  double y = kTop + 12.0;
  for (std::size_t v = 0; v < plotted(combination).size(); ++v, y += 16.0) {
    lines.push_back(marker(v, x + 4.0, y - 4.0, false) +
                    label(x + 16.0, y, "", combination.studies[v].name));
  }
  lines.push_back(line(x - 4.0, y - 4.0, x + 12.0, y - 4.0, "#555555", "6 4") +
                  label(x + 16.0, y, "", "order " + shortest(combination.formal) + " (formal)"));
  y += 16.0;
  lines.push_back(
      empty_element("circle", {{"cx", number(x + 4.0)},
                               {"cy", number(y - 4.0)},
                               {"r", "4"},
                               {"fill", "#ffffff"},
                               {"stroke", "#000000"}}) +
      label(x + 16.0, y, "", "hollow: flagged mesh"));
}

/// The opening tag of an inline SVG picture `width` by `height` pixels.
std::string svg_open(double width, double height) {
  return open_tag("svg", {{"xmlns", "http://www.w3.org/2000/svg"},
                          {"width", number(width)},
                          {"height", number(height)},
                          {"viewBox", "0 0 " + number(width) + " " + number(height)},
                          {"role", "img"}});
}

// The coverage plot and its frame, in pixels.
constexpr double kCoverageWidth = 640.0;
constexpr double kCoverageHeight = 240.0;
constexpr double kCoverageFrame = kCoverageWidth - kLeft - kRight;
constexpr double kCoverageTall = kCoverageHeight - kTop - kBottom;
constexpr std::size_t kBandCount = std::size(kOrderBands);

double band_x(std::size_t band, std::size_t estimator) {
  const double slot = kCoverageFrame / static_cast<double>(kBandCount);
  return kLeft + slot * (static_cast<double>(band) + 0.5) +
         12.0 * (static_cast<double>(estimator) - 1.0);
}

double percent_y(double percent) {
  return kTop + (100.0 - percent) / 100.0 * kCoverageTall;
}

/// The frame, a line and label per quarter of the coverage, a label per band, the
/// dashed line at 95 % and the axes' names.
void draw_coverage_frame(std::vector<std::string>& lines) {
  lines.push_back(empty_element("rect", {{"x", number(kLeft)},
                                         {"y", number(kTop)},
                                         {"width", number(kCoverageFrame)},
                                         {"height", number(kCoverageTall)},
                                         {"fill", "#ffffff"},
                                         {"stroke", "#444444"}}));
  for (int percent = 0; percent <= 100; percent += 25) {
    const double y = percent_y(percent);
    lines.push_back(line(kLeft, y, kLeft + kCoverageFrame, y, "#dddddd") +
                    label(kLeft - 6.0, y + 4.0, "end", std::to_string(percent) + " %"));
  }
  const double y95 = percent_y(95.0);
  lines.push_back(line(kLeft, y95, kLeft + kCoverageFrame, y95, "#555555", "6 4"));
  for (std::size_t band = 0; band < kBandCount; ++band) {
    lines.push_back(
        label(band_x(band, 1), kTop + kCoverageTall + 16.0, "middle", kOrderBands[band].name));
  }
  lines.push_back(label(kLeft + kCoverageFrame / 2.0, kCoverageHeight - 6.0, "middle",
                        "P = p_apparent / p_formal"));
  lines.push_back(text_element(
      "text",
      {{"transform", "translate(14," + number(kTop + kCoverageTall / 2.0) + ") rotate(-90)"},
       {"text-anchor", "middle"}},
      "values covered"));
}

/// Each estimator's marker and interval bar in the bands where it gives values, and
/// its name in the legend.
void draw_coverage(const Audit& audit, std::vector<std::string>& lines) {
  for (const Coverage& coverage : audit.groups) {
    const auto e = static_cast<std::size_t>(coverage.estimator);
    for (std::size_t band = 0; band < kBandCount; ++band) {
      if (coverage.group != kOrderBands[band].name || !coverage.percent()) continue;
      const double x = band_x(band, e);
      const Interval interval = *coverage.interval();
      lines.push_back(line(x, percent_y(100.0 * interval.low), x, percent_y(100.0 * interval.high),
                           kCurveColours[e]) +
                      marker(e, x, percent_y(*coverage.percent()), false));
    }
  }
  const double x = kLeft + kCoverageFrame + 20.0;
  for (std::size_t e = 0; e < kEstimatorCount; ++e) {
    const double y = kTop + 12.0 + 16.0 * static_cast<double>(e);
    lines.push_back(marker(e, x + 4.0, y - 4.0, false) +
                    label(x + 16.0, y, "", kEstimators[e].name));
  }
  lines.push_back(line(x - 4.0, kTop + 56.0, x + 12.0, kTop + 56.0, "#555555", "6 4") +
                  label(x + 16.0, kTop + 60.0, "", "95 %"));
}

}  // namespace

std::vector<std::string> coverage_plot(const Audit& audit) {
  std::vector<std::string> lines = {
      svg_open(kCoverageWidth, kCoverageHeight),
      text_element("title", "coverage of each estimator against P, with its 95 % interval")};
  draw_coverage_frame(lines);
  draw_coverage(audit, lines);
  lines.emplace_back("</svg>");
  return lines;
}

std::vector<std::string> error_plot(const Combination& combination, const std::string& label) {
  const Frame frame = frame_of(combination);
  std::vector<std::string> lines = {
      svg_open(kPlotWidth, kPlotHeight),
      text_element("title", "|E| against h, " + label),
      empty_element("rect", {{"x", number(kLeft)},
                             {"y", number(kTop)},
                             {"width", number(kWidth)},
                             {"height", number(kHeight)},
                             {"fill", "#ffffff"},
                             {"stroke", "#444444"}})};
  draw_grid(frame, combination.studies.front().rows, lines);
  if (frame.any) {
    lines.push_back(line(frame.x(frame.h_coarse), frame.y(frame.largest), frame.x(frame.h_fine),
                         frame.y(frame.reference_end), "#555555", "6 4"));
  }
  draw_curves(frame, combination, lines);
  draw_legend(combination, lines);
  lines.emplace_back("</svg>");
  return lines;
}

}  // namespace talvenor

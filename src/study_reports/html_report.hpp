#pragma once

// The campaign's report for a browser: one self-contained page, its plots drawn by
// the program as inline SVG, no script, style sheet file or network.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "analysis/audit.hpp"
#include "analysis/combination.hpp"
#include "record/solver_method.hpp"

namespace talvenor {

/// What the page says above its groups.
struct HtmlPage {
  std::string title;
  std::vector<std::string> paragraphs;  ///< under the title, as text
  std::vector<std::string> labels;      ///< a label per group: "esquema 0, fonte 2, ..."
  bool judged = true;                   ///< the groups carry verdicts
  bool plots = true;                    ///< the groups have errors to plot
};

/// The lines of the page: the title and paragraphs; with verdicts the tally and the
/// rule of the verdicts; the matrix, a row per group and a column per variable, each
/// cell its verdict in words on a colour of its own (readable in black and white) and
/// the order ("no verdict" without verdicts); the audit of the estimators; then per
/// group (with `plots`) a log-log plot of |E| against h for its variables, flagged points
/// hollow, with a reference slope of the formal order, and each variable's verdict.
/// Well-formed XML as well as HTML, in UTF-8.
/// `sections` holds each group's html_section when they were made beforehand (a
/// campaign's, in the pool); when empty they are made here.
std::vector<std::string> html_report_records(const HtmlPage& page,
                                             std::span<const Combination> groups,
                                             const Audit& audit,
                                             std::span<const std::string> sections = {});

/// The section of group number `index` (from 0) of the page, one record_block: its
/// heading, its plot (with `plot`) and each verdict's reason.
std::string html_section(const Combination& group, const std::string& label, bool plot,
                         std::size_t index);

}  // namespace talvenor

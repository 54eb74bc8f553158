#pragma once

// The audit of the uncertainty estimators as each report shows it: lines for the
// terminal, the records of PREFIX-estimators.csv, and a section of the HTML report.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/audit.hpp"

namespace talvenor {

/// How many failing rows the terminal lists; the HTML report lists them all.
inline constexpr std::size_t kFailuresOnTerminal = 5;

/// The terminal's lines: a heading, a row per estimator and group (the columns of
/// the one table all three reports share: values, covered, per cent, its 95 %
/// interval, abstentions, effectivity minimum, median and maximum), then the worst
/// failures: at most kFailuresOnTerminal and how many more the report `report_name`
/// holds, or all of them when `report_name` is empty.
///   "u_gci  all  862  848  98.4  97.3  99.1  120  0.0737  1.25  170"
///   "u_gci fails on esquema 2, fonte 3, Re = 10, inclinacao(1), N = 40: U = 9.38e-06,
///    |E| = 1.27e-04 (U/|E| = 0.074)"
std::string audit_text(const Audit& audit, std::string_view report_name);

/// The head of PREFIX-estimators.csv, the CSV names of the table's columns:
/// "estimator,group,values,covered,coverage_percent,coverage_low_percent,...".
std::string audit_csv_header();

/// The head, then one record per estimator and group; numbers in full (17
/// significant digits), empty where there is none.
std::vector<std::string> audit_csv_records(const Audit& audit);

/// The HTML section: a heading, the table of the groups, the plot of coverage against
/// P, and the table of every failing row, the worst first (each text escaped by
/// `escape`).
std::vector<std::string> audit_html_records(const Audit& audit,
                                            std::string (*escape)(std::string_view));

}  // namespace talvenor

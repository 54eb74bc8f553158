#pragma once

// What a verification campaign writes: its table for the terminal and its CSV file.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/combination.hpp"
#include "record/solver_method.hpp"
#include "study_reports/report.hpp"

namespace talvenor {

/// "32 combinations, each a study on meshes 160, 320, 640; itmax 200, solver newton".
std::string campaign_summary(const CaseData& base, std::span<const std::int32_t> meshes,
                             Method method, std::size_t count);

/// "esquema 0, fonte 2, Re = 20, beta = 0.5"; beta only for esquema 0.
std::string combination_label(const CaseData& data);

/// The terminal's report: a head naming the case, meshes and solver, one row per
/// combination (esquema, fonte, Re, beta, formal order, then the observed order and
/// verdict of each variable), a line with the reason of each cell that is neither
/// verified nor exact, and the tally line.
std::string campaign_table(const CaseData& base, std::span<const std::int32_t> meshes,
                           Method method, std::span<const Combination> combinations);

/// The columns a campaign's CSV file puts before the study's, and the one after them.
inline constexpr std::array<ColumnInfo, 5> kCombinationColumns = {{
    {"esquema", "the combination's scheme"},
    {"fonte", "its manufactured solution (with --solution the formula typed)"},
    {"Re", "its Reynolds number"},
    {"beta", "its blend of deferred correction (empty where the scheme does not use it)"},
    {"formal_order", "the scheme's formal order"},
}};
inline constexpr ColumnInfo kVerdictColumn = {"verdict", "the variable's verdict"};

/// The head of a campaign's CSV file: kCombinationColumns, csv_header(), kVerdictColumn.
std::string campaign_csv_header();

/// The records of `combination` in its campaign's CSV file, one record_block: a record
/// per variable and mesh, as campaign_csv_records gives them.
std::string campaign_csv_block(const Combination& combination);

/// The CSV records: "esquema,fonte,Re,beta,formal_order," + the study's columns +
/// ",verdict", then a record per combination, variable and mesh; beta is empty where
/// the scheme does not use it.
std::vector<std::string> campaign_csv_records(std::span<const Combination> combinations);

}  // namespace talvenor

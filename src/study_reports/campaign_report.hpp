#pragma once

// What a verification campaign writes: its table for the terminal and its CSV file.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/audit.hpp"
#include "analysis/combination.hpp"
#include "record/solver_method.hpp"

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

/// The CSV records: "esquema,fonte,Re,beta,formal_order," + the study's columns +
/// ",verdict", then a record per combination, variable and mesh; beta is empty where
/// the scheme does not use it.
std::vector<std::string> campaign_csv_records(std::span<const Combination> combinations);

/// The values of `studies` (talvenor's meshes of the case `data`, a scheme of formal
/// order `formal`) as the audit grades them: each value with an exact error, once per
/// estimator, grouped by the scheme ("esquema 0"), by Re * h of its own mesh and by
/// P = p_apparent / formal, labelled "LABEL, VARIABLE, N = 40". The norms have no value
/// to grade.
std::vector<AuditRow> audit_rows(const CaseData& data, double formal, std::string_view label,
                                 std::span<const VariableStudy> studies);

/// The audit of every value of the campaign, labelled by combination_label.
Audit campaign_audit(std::span<const Combination> combinations);

}  // namespace talvenor

#include "analysis/mesh_study.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <tuple>
#include <utility>

#include "analysis/orders.hpp"
#include "textio/number_format.hpp"
#include "textio/shortest_text.hpp"

namespace talvenor {
namespace {

/// The value is a solution of the discrete equations: it exists and no iteration
/// flag is set.
bool solved(const MeshRow& row) {
  return row.numerical && !row.iteration_not_converging && !row.iterative_share;
}

/// A row whose value can enter an apparent order, Richardson value or GCI: clean
/// when an exact value is known, else solved.
bool value_usable(const MeshRow& row) {
  return row.exact ? clean(row) : solved(row);
}

void derive_mesh_values(MeshRow& row) {
  if (!row.numerical || !row.exact) return;
  row.error = *row.exact - *row.numerical;
  if (row.round_off || row.iteration_not_converging) return;
  const double size = std::fabs(*row.error);
  if (row.iteration_estimate >= kIterativeShare * size) {
    row.iterative_share = row.iteration_estimate / size;
  }
}

/// The least-squares order over `rows` when at least `needed` of them are clean,
/// with the number of rows it used.
std::pair<std::optional<double>, std::size_t> fitted_order(std::span<const MeshRow> rows,
                                                           std::size_t needed) {
  std::vector<double> h;
  std::vector<double> errors;
  for (const MeshRow& row : rows) {
    if (!clean(row)) continue;
    h.push_back(row.h);
    errors.push_back(*row.error);
  }
  if (h.size() < needed) return {std::nullopt, 0};
  return {least_squares_order(h, errors), h.size()};
}

/// The apparent order, Richardson value, GCI and factor-of-safety uncertainty of
/// `fine` from the two meshes before it, all three usable; for values that go up and
/// down, u_oscillation in u_gci's place.
void derive_three_mesh_values(const MeshRow& coarse, const MeshRow& medium, MeshRow& fine,
                              std::optional<double> formal) {
  if (oscillates(*coarse.numerical, *medium.numerical, *fine.numerical)) {
    fine.oscillatory = true;
    fine.uncertainty[static_cast<std::size_t>(Estimator::gci)] =
        u_oscillation(*coarse.numerical, *medium.numerical, *fine.numerical);
    return;
  }
  fine.p_apparent = apparent_order(coarse.h, medium.h, fine.h, *coarse.numerical,
                                   *medium.numerical, *fine.numerical);
  if (!fine.p_apparent) return;
  if (*fine.p_apparent < kLeastOrder) {  // near zero on either side, or below: no extrapolation
    fine.not_converging = true;
    return;
  }
  const double ratio = medium.h / fine.h;
  fine.richardson = richardson(*medium.numerical, *fine.numerical, ratio, *fine.p_apparent);
  fine.gci = gci(*medium.numerical, *fine.numerical, ratio, *fine.p_apparent, kSafetyThreeMeshes);
  fine.uncertainty[static_cast<std::size_t>(Estimator::fs)] =
      u_fs(*medium.numerical, *fine.numerical, ratio, fine.p_apparent, formal);
}

/// The uncertainties that follow from the other columns (u_gci, the GCI times
/// |value|) and the least-squares one of each usable row from the usable rows up to it,
/// the finest kLsqWindow of them: a study costs the same for each of its rows.
void derive_uncertainties(std::vector<MeshRow>& rows, std::optional<double> formal,
                          const std::function<void()>& between_rows) {
  std::vector<double> h;
  std::vector<double> values;
  for (MeshRow& row : rows) {
    if (between_rows) between_rows();
    if (row.gci) {
      row.uncertainty[static_cast<std::size_t>(Estimator::gci)] = *row.gci * std::fabs(*row.numerical);
    }
    if (!value_usable(row)) continue;
    h.push_back(row.h);
    values.push_back(*row.numerical);
    const std::size_t from = h.size() - std::min(h.size(), kLsqWindow);
    if (const auto estimate = u_lsq(std::span(h).subspan(from), std::span(values).subspan(from),
                                    formal.value_or(2.0))) {
      row.uncertainty[static_cast<std::size_t>(Estimator::lsq)] = estimate->uncertainty;
    }
  }
}

/// The flags a row can carry, in the order the notes list them: each gives its words
/// when the row carries it, else nothing.
using FlagWords = std::string (*)(const MeshRow&);
const std::array<FlagWords, 6> kFlags = {
    [](const MeshRow& row) { return std::string(diverged(row) ? "diverged" : ""); },
    [](const MeshRow& row) {
      return std::string(row.iteration_not_converging ? "iteration not converging" : "");
    },
    [](const MeshRow& row) {
      return row.iterative_share
                 ? "iteration error " + fixed_text(*row.iterative_share * 100.0, 0) + " % of |E|"
                 : std::string();
    },
    [](const MeshRow& row) { return std::string(row.round_off ? "round-off" : ""); },
    [](const MeshRow& row) { return std::string(row.oscillatory ? "oscillatory" : ""); },
    [](const MeshRow& row) { return std::string(row.not_converging ? "not converging" : ""); },
};

std::string mesh_value(const MeshRow& row, MeshCount count) {
  return count == MeshCount::none ? shortest(row.h) : std::to_string(row.N);
}

std::string_view mesh_word(MeshCount count) {
  switch (count) {
    case MeshCount::elements:
      return "N = ";
    case MeshCount::cells:
      return "cells = ";
    case MeshCount::none:
      break;
  }
  return "h = ";
}

/// The power law fitted to the values of the solved rows, when no row has an exact
/// value: the fit that stands in for the least-squares orders of the errors.
void fit_values(VariableStudy& study) {
  std::vector<double> h;
  std::vector<double> values;
  for (const MeshRow& row : study.rows) {
    if (row.exact) return;
    if (!solved(row)) continue;
    h.push_back(row.h);
    values.push_back(*row.numerical);
  }
  study.value_fit = least_squares_fit(h, values);
  if (study.value_fit) study.value_fit_meshes = h.size();
}

}  // namespace

bool clean(const MeshRow& row) {
  return row.error && !row.round_off && !row.iteration_not_converging && !row.iterative_share;
}

bool diverged(const MeshRow& row) {
  return !row.numerical && !row.error;
}

VariableStudy analyse_variable(std::string name, std::vector<MeshRow> rows,
                               std::optional<double> formal, MeshCount count,
                               const std::function<void()>& between_rows) {
  for (MeshRow& row : rows) derive_mesh_values(row);
  for (std::size_t k = 1; k < rows.size(); ++k) {
    MeshRow& fine = rows[k];
    const MeshRow& medium = rows[k - 1];
    if (clean(fine) && clean(medium)) {
      fine.p_effective = effective_order(*medium.error, *fine.error, medium.h, fine.h);
    }
    if (!value_usable(fine) || !value_usable(medium)) continue;
    if (k == 1) {
      if (formal) {
        fine.gci = gci(*medium.numerical, *fine.numerical, medium.h / fine.h, *formal,
                       kSafetyTwoMeshes);
      }
      continue;
    }
    if (value_usable(rows[k - 2])) derive_three_mesh_values(rows[k - 2], medium, fine, formal);
  }
  derive_uncertainties(rows, formal, between_rows);

  VariableStudy study{std::move(name), std::move(rows), {}, 0, {}, count, {}, 0};
  std::tie(study.order_all, study.order_all_meshes) = fitted_order(study.rows, 2);
  if (study.rows.size() >= 3) {
    const auto finest = std::span<const MeshRow>(study.rows).last(3);
    if (std::all_of(finest.begin(), finest.end(), clean)) {
      study.order_finest = fitted_order(finest, 3).first;
    }
  }
  fit_values(study);
  return study;
}

std::vector<std::string> flags(const MeshRow& row) {
  std::vector<std::string> tags;
  for (const FlagWords words : kFlags) {
    if (std::string tag = words(row); !tag.empty()) tags.push_back(std::move(tag));
  }
  return tags;
}

std::string notes(const MeshRow& row, std::string_view separator) {
  std::string text;
  for (const std::string& tag : flags(row)) {
    if (!text.empty()) text += separator;
    text += tag;
  }
  return text;
}

std::string mesh_name(const MeshRow& row, MeshCount count) {
  return std::string(mesh_word(count)) + mesh_value(row, count);
}

std::string mesh_list(const std::vector<const MeshRow*>& rows, MeshCount count) {
  std::string text;
  for (const MeshRow* row : rows) {
    if (!text.empty()) text += ", ";
    text += mesh_value(*row, count);
  }
  return std::string(mesh_word(count)) + text;
}

}  // namespace talvenor

#pragma once

// Uncertainty estimators of a value computed on a sequence of meshes: absolute
// uncertainties U of the finest mesh's value, meant to bound its discretisation
// error |exact - value|. Three published methods, side by side, so that a study
// that knows the exact error can grade them (analysis/audit.hpp).

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "analysis/orders.hpp"

namespace talvenor {

/// The estimators, in the order of their columns.
enum class Estimator { gci, fs, lsq };

inline constexpr std::size_t kEstimatorCount = 3;

/// One estimator's descriptor: its column name, what it is in a few words, its formula
/// in one line, and its two safety factors (none for u_fs, whose factor is a function
/// of the order): the first where the order is trusted, the second where it is not.
/// The help prints them; the estimators compute with the same constants.
struct EstimatorInfo {
  std::string_view name;
  std::string_view description;
  std::string_view formula;
  std::array<double, 2> safety;
};

inline constexpr std::array<EstimatorInfo, kEstimatorCount> kEstimators = {{
    {"u_gci",
     "grid convergence index (Roache; Celik et al. 2008)",
     "Fs |f_fine - f_coarse| / (r^p - 1), p = p_U of three meshes (first factor), else the"
     " formal order on two (second factor); values that go up and down: the range of the"
     " last three (Stern et al. 2001)",
     {kSafetyThreeMeshes, kSafetyTwoMeshes}},
    {"u_fs",
     "factor of safety (Xing and Stern 2010)",
     "FS(P) |f_fine - f_medium| / (r^p - 1), P = p_U / formal order, FS = 2.45 - 0.85 P up to"
     " P = 1, 16.4 P - 14.8 above",
     {0.0, 0.0}},
    {"u_lsq",
     "least-squares fits (Eca and Hoekstra 2014)",
     "Fs epsilon + sigma + |f_fine - fit(h_fine)| of the best fit of f0 + C h^p (or of fixed"
     " orders) to four or more meshes: the first factor for a trusted order and small"
     " scatter, else the second",
     {kSafetyThreeMeshes, kSafetyTwoMeshes}},
}};

/// The grid convergence index of the finest pair as an absolute uncertainty: gci()
/// of analysis/orders.hpp times |fine|. Nothing when the fine value is zero.
///   u_gci(1.005, 1.00125, 2, 2, 1.25) -> 0.0015625
std::optional<double> u_gci(double medium, double fine, double ratio, double order,
                            double safety);

/// The safety factor of the oscillation's uncertainty: 2, so that U is the whole range
/// of the three values. Values that converge while going up and down have their limit
/// between any two successive ones, so the finest value's error is at most its distance
/// to the one before, within that range; Stern et al. (2001) take half the range, which
/// bounds the error of the middle of the oscillation, not of the finest value.
inline constexpr double kSafetyOscillation = 2.0;

/// The uncertainty of the finest of three values that go up and down (Stern et al.
/// 2001, J. Fluids Eng. 123 793): kSafetyOscillation times half their range.
///   u_oscillation(1.0, 0.9, 0.95) -> 0.1
double u_oscillation(double coarse, double medium, double fine);

/// The factor of safety of Xing and Stern for P = observed order / formal order:
/// 2.45 - 0.85 P for 0 < P <= 1, 16.4 P - 14.8 for P > 1 (1.6 at P = 1 both ways).
///   xing_stern_factor(1) -> 1.6;  xing_stern_factor(0.5) -> 2.025;  xing_stern_factor(1.1) -> 3.24
double xing_stern_factor(double P);

/// The factor-of-safety uncertainty of the finest of three meshes: FS(P) * |delta_RE|,
/// delta_RE = (fine - medium) / (r^p - 1) the Richardson estimate of the fine value's
/// error, r = h_medium / h_fine, p the apparent order of the three meshes. The method
/// is built for monotonic convergence: nothing without an apparent order (oscillating
/// values, a zero difference) or with p <= 0, or without a formal order.
///   f = 1 + h^2 on h = 0.1, 0.05, 0.025: p = 2, P = 1, delta_RE = -0.000625,
///   u_fs(1.0025, 1.000625, 2, 2, 2) -> 1.6 * 0.000625 = 0.001
std::optional<double> u_fs(double medium, double fine, double ratio, std::optional<double> order,
                           std::optional<double> formal);

/// Which expansion of the error the least-squares estimate used.
enum class ErrorFit {
  observed,  ///< phi0 + alpha h^p, p fitted too
  first,     ///< phi0 + alpha h
  second,    ///< phi0 + alpha h^2
  both,      ///< phi0 + alpha1 h + alpha2 h^2
};

/// What the least-squares procedure found for the finest mesh.
struct LsqEstimate {
  double uncertainty = 0.0;  ///< U
  double error = 0.0;        ///< epsilon: |fit(h_finest) - phi0|
  double sigma = 0.0;        ///< standard deviation of the chosen fit
  double data_range = 0.0;   ///< (max - min of the values) / (meshes - 1)
  double safety = 0.0;       ///< 1.25 or 3
  std::optional<double> order;  ///< the observed order p of the fit phi0 + alpha h^p
  ErrorFit fit = ErrorFit::observed;
  bool weighted = false;  ///< the fit weighted by 1/h won on standard deviation
};

/// The least number of meshes the least-squares procedure takes.
inline constexpr std::size_t kLsqMeshes = 4;

/// The least-squares fit of f(h) = f0 + C h^p to the values of three or more meshes,
/// the basic fit of Eca and Hoekstra (2014), and the one home of that fit: u_lsq fits
/// with it too. For each p, f0 and C by linear least squares; p the one, between 0.1
/// (kLeastOrder) and 16, whose sum of squared residuals is least: the best of a grid of orders, then
/// the zero of the sum's slope between its neighbours. On three meshes it is the
/// apparent order.
///   h 0.4, 0.2, 0.1, 0.05 with f = 1 + 2 h^1.5 -> order 1.5, limit 1, coefficient 2
struct PowerFit {
  double order = 0.0;
  double limit = 0.0;        ///< f0, the value at h = 0
  double coefficient = 0.0;  ///< C
};

/// Nothing with fewer than three meshes, two equal h, or a least sum at either end
/// of the range (no power law fits).
std::optional<PowerFit> least_squares_fit(std::span<const double> h,
                                          std::span<const double> values);

/// The least-squares uncertainty of Eca and Hoekstra for the finest of the meshes `h`
/// (any order, all distinct, at least kLsqMeshes) with values `values`, for a scheme of
/// formal order 1 or 2 (Appendix A of the paper, with the formal order in place of 2):
///   - fit phi = phi0 + alpha h^p (least_squares_fit's fit), plain and weighted by
///     w_i = (1/h_i) / sum(1/h_j); the standard deviation of a fit with k unknowns is
///     sigma = sqrt(n sum(w r^2) / (n - k)), w = 1/n for the plain fit;
///   - of the two, the fit of smaller sigma is chosen first, and its order p tested:
///     with 0.5 <= p <= formal it gives the error, epsilon = |alpha h_fine^p| (the
///     other fit is not consulted, even where its order is in range);
///   - else the fits of fixed order, plain and weighted, the one of smallest sigma: for
///     p above the formal order alpha h and alpha h^2, for p below 0.5 also
///     alpha1 h + alpha2 h^2 (for formal order 1: alpha h and alpha1 h + alpha2 h^2
///     both ways);
///   - data range D = (max - min) / (n - 1); safety Fs = 1.25 when
///     0.5 <= p < formal + 0.1 and sigma < D, else 3;
///   - U = Fs * epsilon + sigma + |phi_fine - fit(h_fine)| when sigma < D,
///     else 3 sigma / D * (epsilon + sigma + |phi_fine - fit(h_fine)|).
/// Nothing with fewer meshes, or for values that are not numbers.
///   f = 1 + h^2 on h = 1/10, 1/20, 1/40, 1/80: p = 2, sigma = 0, U = 1.25 * h_fine^2
std::optional<LsqEstimate> u_lsq(std::span<const double> h, std::span<const double> values,
                                 double formal);

}  // namespace talvenor

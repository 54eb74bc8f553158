#pragma once

// The arithmetic of a mesh-refinement study: orders of accuracy from errors or
// from successive solutions, Richardson extrapolation and the grid convergence
// index. Meshes are given coarse to fine; h is the element length.

#include <cstdint>
#include <optional>
#include <span>

namespace talvenor {

/// The effective order between two meshes from their errors (exact - numerical):
/// log(|E_coarse| / |E_fine|) / log(h_coarse / h_fine). Neither error may be zero.
///   effective_order(0.01, 0.0025, 0.1, 0.05) -> 2
double effective_order(double error_coarse, double error_fine, double h_coarse, double h_fine);

/// True when the successive differences of three solutions, coarse to fine, change
/// sign: 1.0, 0.9, 0.95 oscillates; 1.0, 0.9, 0.85 does not.
bool oscillates(double coarse, double medium, double fine);

/// The apparent order p of three solutions, coarse to fine, that converge without
/// oscillating: the p for which f(h) = f0 + C h^p passes through all three. For a
/// constant refinement ratio r it is log((f_coarse - f_medium) / (f_medium - f_fine)) / log r;
/// otherwise the ratio of differences also depends on p, and p is found by bisection.
/// Nothing when the differences oscillate or one of them is zero.
///   h 0.1, 0.05, 0.025 with f = 1 + 2 h^2 -> 2
std::optional<double> apparent_order(double h_coarse, double h_medium, double h_fine, double coarse,
                                     double medium, double fine);

/// The least order a power law of the values is fitted or extrapolated with. Below it,
/// on either side of zero, the differences of successive values hardly change, and an
/// extrapolation by 1 / (r^p - 1) is unbounded: values 3, 2, 1.0000001 on h = 4, 2, 1
/// have p = 1.4e-7 and would extrapolate to -1e7.
inline constexpr double kLeastOrder = 0.1;

/// The value extrapolated to h = 0 from the two finest solutions with order p > 0
/// and refinement ratio r = h_medium / h_fine: fine + (fine - medium) / (r^p - 1).
///   richardson(1.005, 1.00125, 2, 2) -> 1
double richardson(double medium, double fine, double ratio, double order);

/// The safety factor of the grid convergence index: 1.25 when the order comes
/// from three or more meshes, 3 when only two meshes support it.
inline constexpr double kSafetyThreeMeshes = 1.25;
inline constexpr double kSafetyTwoMeshes = 3.0;

/// The grid convergence index of the finest pair, a fraction of the fine value:
/// safety * |(fine - medium) / fine| / (r^p - 1). Nothing when the fine value is zero.
///   gci(1.005, 1.00125, 2, 2, 1.25) -> 0.00156054931335830...
std::optional<double> gci(double medium, double fine, double ratio, double order, double safety);

/// The least-squares slope of log|E| against log h: the order that fits all the
/// given meshes at once. Needs at least two meshes, no zero error and two distinct h.
///   least_squares_order({0.1, 0.05, 0.025}, {0.02, 0.005, 0.00125}) -> 2
std::optional<double> least_squares_order(std::span<const double> h,
                                          std::span<const double> errors);

}  // namespace talvenor

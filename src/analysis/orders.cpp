#include "analysis/orders.hpp"

#include <cmath>
#include <algorithm>
#include <cstddef>
#include <vector>

namespace talvenor {
namespace {

/// log((f_coarse - f_medium) / (f_medium - f_fine)) as a function of the order p when
/// f = f0 + C h^p: p log r21 + log((r32^p - 1) / (r21^p - 1)), with r21 = h_medium / h_fine
/// and r32 = h_coarse / h_medium. It rises with p; at p = 0 its limit is
/// log(log r32 / log r21).
double log_difference_ratio(double p, double log_r21, double log_r32) {
  if (p == 0.0) return std::log(log_r32 / log_r21);
  return p * log_r21 + std::log(std::expm1(p * log_r32) / std::expm1(p * log_r21));
}

/// Orders beyond this are not sought: they mean the differences are noise.
constexpr double kLargestOrder = 64.0;

/// f0 and C fitted by linear least squares for the order p, and the sum of squared
/// residuals; `log_h` holds log h of each mesh.
struct LinearFit {
  double limit = 0.0;
  double coefficient = 0.0;
  double residuals = 0.0;
};

LinearFit fit_for_order(double p, std::span<const double> log_h, std::span<const double> values) {
  const auto count = static_cast<double>(values.size());
  double mean_x = 0.0;
  double mean_f = 0.0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    mean_x += std::exp(p * log_h[i]);
    mean_f += values[i];
  }
  mean_x /= count;
  mean_f /= count;
  double sxx = 0.0;
  double sxf = 0.0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const double dx = std::exp(p * log_h[i]) - mean_x;
    sxx += dx * dx;
    sxf += dx * (values[i] - mean_f);
  }
  LinearFit fit;
  fit.coefficient = sxx > 0.0 ? sxf / sxx : 0.0;
  fit.limit = mean_f - fit.coefficient * mean_x;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const double residual = values[i] - fit.limit - fit.coefficient * std::exp(p * log_h[i]);
    fit.residuals += residual * residual;
  }
  return fit;
}

/// The range and the steps in which the order of a power fit is sought.
constexpr double kFitStep = 1.0 / 16.0;
constexpr double kFitLargest = 16.0;

}  // namespace

double effective_order(double error_coarse, double error_fine, double h_coarse, double h_fine) {
  return std::log(std::fabs(error_coarse) / std::fabs(error_fine)) / std::log(h_coarse / h_fine);
}

bool oscillates(double coarse, double medium, double fine) {
  const double coarse_step = coarse - medium;
  const double fine_step = medium - fine;
  return (coarse_step < 0.0 && fine_step > 0.0) || (coarse_step > 0.0 && fine_step < 0.0);
}

std::optional<double> apparent_order(double h_coarse, double h_medium, double h_fine, double coarse,
                                     double medium, double fine) {
  const double coarse_step = coarse - medium;
  const double fine_step = medium - fine;
  if (coarse_step == 0.0 || fine_step == 0.0 || oscillates(coarse, medium, fine)) return {};
  const double target = std::log(coarse_step / fine_step);
  const double r21 = h_medium / h_fine;
  const double r32 = h_coarse / h_medium;
  if (r21 == r32) return target / std::log(r21);

  const double log_r21 = std::log(r21);
  const double log_r32 = std::log(r32);
  const auto above = [&](double p) { return log_difference_ratio(p, log_r21, log_r32) > target; };
  double low = -1.0;
  double high = 1.0;
  while (above(low)) {
    if (low < -kLargestOrder) return {};
    low *= 2.0;
  }
  while (!above(high)) {
    if (high > kLargestOrder) return {};
    high *= 2.0;
  }
  // Halve the bracket until no double lies strictly inside it.
  for (;;) {
    const double middle = 0.5 * (low + high);
    if (middle <= low || middle >= high) break;
    (above(middle) ? high : low) = middle;
  }
  return 0.5 * (low + high);
}

double richardson(double medium, double fine, double ratio, double order) {
  return fine + (fine - medium) / (std::pow(ratio, order) - 1.0);
}

std::optional<double> gci(double medium, double fine, double ratio, double order, double safety) {
  if (fine == 0.0) return {};
  return safety * std::fabs((fine - medium) / fine) / (std::pow(ratio, order) - 1.0);
}

std::optional<double> least_squares_order(std::span<const double> h,
                                          std::span<const double> errors) {
  const std::size_t count = h.size();
  if (count < 2 || errors.size() != count) return {};
  double mean_x = 0.0;
  double mean_y = 0.0;
  for (std::size_t i = 0; i < count; ++i) {
    if (errors[i] == 0.0) return {};
    mean_x += std::log(h[i]);
    mean_y += std::log(std::fabs(errors[i]));
  }
  mean_x /= static_cast<double>(count);
  mean_y /= static_cast<double>(count);
  double sxx = 0.0;
  double sxy = 0.0;
  for (std::size_t i = 0; i < count; ++i) {
    const double dx = std::log(h[i]) - mean_x;
    sxx += dx * dx;
    sxy += dx * (std::log(std::fabs(errors[i])) - mean_y);
  }
  if (sxx == 0.0) return {};
  return sxy / sxx;
}

std::optional<PowerFit> least_squares_fit(std::span<const double> h,
                                          std::span<const double> values) {
  if (h.size() < 3 || values.size() != h.size()) return {};
  std::vector<double> log_h;
  for (const double size : h) log_h.push_back(std::log(size));
  if (std::adjacent_find(log_h.begin(), log_h.end()) != log_h.end()) return {};
  const auto residuals = [&](double p) { return fit_for_order(p, log_h, values).residuals; };
  // The least sum on the grid, then golden sections on the steps either side of it.
  double best = kFitStep;
  double least = residuals(best);
  for (double p = 2.0 * kFitStep; p <= kFitLargest; p += kFitStep) {
    const double sum = residuals(p);
    if (sum < least) {
      best = p;
      least = sum;
    }
  }
  if (best == kFitStep || best == kFitLargest) return {};
  const double golden = 0.5 * (std::sqrt(5.0) - 1.0);
  double low = best - kFitStep;
  double high = best + kFitStep;
  for (int k = 0; k < 100 && high - low > 1e-13 * best; ++k) {
    const double left = high - golden * (high - low);
    const double right = low + golden * (high - low);
    if (residuals(left) < residuals(right)) {
      high = right;
    } else {
      low = left;
    }
  }
  const double order = 0.5 * (low + high);
  const LinearFit fit = fit_for_order(order, log_h, values);
  return PowerFit{order, fit.limit, fit.coefficient};
}

}  // namespace talvenor

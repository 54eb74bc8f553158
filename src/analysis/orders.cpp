#include "analysis/orders.hpp"

#include <cmath>
#include <cstddef>

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

}  // namespace talvenor

#include "analysis/estimators.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "analysis/orders.hpp"

namespace talvenor {

std::optional<double> u_gci(double medium, double fine, double ratio, double order,
                            double safety) {
  const auto fraction = gci(medium, fine, ratio, order, safety);
  if (!fraction) return {};
  return *fraction * std::fabs(fine);
}

double u_oscillation(double coarse, double medium, double fine) {
  const double highest = std::max({coarse, medium, fine});
  const double lowest = std::min({coarse, medium, fine});
  return kSafetyOscillation * 0.5 * (highest - lowest);
}

double xing_stern_factor(double P) {
  return P <= 1.0 ? 2.45 - 0.85 * P : 16.4 * P - 14.8;
}

std::optional<double> u_fs(double medium, double fine, double ratio, std::optional<double> order,
                           std::optional<double> formal) {
  if (!order || !formal || *order <= 0.0) return {};
  const double delta_re = (fine - medium) / (std::pow(ratio, *order) - 1.0);
  return xing_stern_factor(*order / *formal) * std::fabs(delta_re);
}

namespace {

/// The meshes of a fit: log x with x = h / h_largest (the scale keeps the columns of
/// the fit near 1; a fit's values do not depend on it), the values, and the weights
/// of the squares, which sum to 1 (1/n each, or in proportion to 1/h); the weighted
/// mean of the values and each value less it, the same for every order fitted.
struct Sample {
  std::vector<double> log_x;
  std::span<const double> values;
  std::vector<double> weights;
  double mean = 0.0;
  std::vector<double> centred;
  bool weighted = false;
  /// When every log x is a whole multiple k_i of `unit` (a constant refinement ratio:
  /// unit = -log r), the k_i: x^p is then (e^(p unit))^k_i, one exponential for all.
  std::vector<int> steps;
  double unit = 0.0;
};

/// The largest multiple of the unit a power is built from.
constexpr int kLargestStep = 64;

/// Sets `steps` and `unit` when the log x of `sample` are whole multiples of the one
/// nearest 0 that is not 0 (to 1e-9 of it), none beyond kLargestStep.
void find_steps(Sample& sample) {
  double unit = 0.0;
  for (const double value : sample.log_x) {
    if (value != 0.0 && (unit == 0.0 || std::fabs(value) < std::fabs(unit))) unit = value;
  }
  if (unit == 0.0) return;
  std::vector<int> steps;
  for (const double value : sample.log_x) {
    const double multiple = value / unit;
    const double whole = std::round(multiple);
    if (std::fabs(multiple - whole) > 1e-9 * whole || whole > kLargestStep) return;
    steps.push_back(static_cast<int>(whole));
  }
  sample.steps = std::move(steps);
  sample.unit = unit;
}

Sample make_sample(std::span<const double> h, std::span<const double> values, bool weighted) {
  Sample sample;
  sample.weighted = weighted;
  sample.values = values;
  const double largest = *std::max_element(h.begin(), h.end());
  double total = 0.0;
  for (const double step : h) {
    sample.log_x.push_back(std::log(step / largest));
    sample.weights.push_back(weighted ? 1.0 / step : 1.0);
    total += sample.weights.back();
  }
  for (double& weight : sample.weights) weight /= total;
  for (std::size_t i = 0; i < values.size(); ++i) sample.mean += sample.weights[i] * values[i];
  for (const double value : values) sample.centred.push_back(value - sample.mean);
  find_steps(sample);
  return sample;
}

/// x_i^p for every mesh of `sample`, into `g` (room for each).
void powers_of_x(const Sample& sample, double p, std::span<double> g) {
  const std::size_t n = sample.log_x.size();
  if (sample.steps.empty()) {
    for (std::size_t i = 0; i < n; ++i) g[i] = std::exp(p * sample.log_x[i]);
    return;
  }
  std::array<double, kLargestStep + 1> power;  // set up to the largest step used
  power[0] = 1.0;
  const double factor = std::exp(p * sample.unit);
  const int largest = *std::max_element(sample.steps.begin(), sample.steps.end());
  for (int k = 1; k <= largest; ++k) power[k] = power[k - 1] * factor;
  for (std::size_t i = 0; i < n; ++i) g[i] = power[static_cast<std::size_t>(sample.steps[i])];
}

/// The powers x^p of the meshes of the samples of one set of meshes (the same log x,
/// plainly or weighted), each order's computed once and kept: the plain and the
/// weighted fit try the same grid of orders and, on values that differ by round-off,
/// the same golden sections, whose steps also land on an order of the step before
/// (some 44 % of the orders asked in a u_lsq of eight such meshes). The kept powers are
/// powers_of_x's, so every fit is the same to the bit.
class PowerCache {
 public:
  /// x^p for every mesh of `sample`; valid until the next call.
  std::span<const double> powers(const Sample& sample, double p);

 private:
  static constexpr std::size_t kSlots = 1024;        // a power of two
  static constexpr std::size_t kMostOrders = kSlots / 2;  // the table at most half full
  static constexpr std::size_t kMostValues = 1 << 16;     // 512 kB of powers at most
  static constexpr std::size_t kFirstOrders = 256;  // room set aside at once
  std::array<std::uint32_t, kSlots> slots_{};  // 1 + an order's entry; 0: empty
  std::vector<double> orders_;
  std::vector<double> values_;   // the powers of each order in turn
  std::vector<double> scratch_;  // for an order not kept
};

std::span<const double> PowerCache::powers(const Sample& sample, double p) {
  const std::size_t n = sample.log_x.size();
  // The top bits of the order's bits times 2^64 / golden ratio: Fibonacci hashing.
  constexpr std::uint64_t kFibonacci = 0x9E3779B97F4A7C15ULL;
  constexpr int kShift = 64 - std::countr_zero(kSlots);
  std::size_t slot = static_cast<std::size_t>((std::bit_cast<std::uint64_t>(p) * kFibonacci) >> kShift);
  for (; slots_[slot] != 0; slot = (slot + 1) % kSlots) {
    const std::size_t entry = slots_[slot] - 1;
    if (orders_[entry] == p) return std::span(values_).subspan(entry * n, n);
  }
  if (orders_.size() == kMostOrders || values_.size() + n > kMostValues) {
    scratch_.resize(n);
    powers_of_x(sample, p, scratch_);
    return scratch_;
  }
  if (orders_.empty()) values_.reserve(std::min(kMostValues, kFirstOrders * n));
  orders_.push_back(p);
  slots_[slot] = static_cast<std::uint32_t>(orders_.size());
  values_.resize(values_.size() + n);
  const std::span<double> kept = std::span(values_).last(n);
  powers_of_x(sample, p, kept);
  return kept;
}

/// A fit phi0 + alpha1 x^power1 + alpha2 x^power2 (alpha2 = 0 for one term) and the
/// weighted sum of the squares of its residuals.
struct Fit {
  double phi0 = 0.0;
  std::array<double, 2> alpha{};
  std::array<double, 2> powers{};
  double sum_squares = 0.0;

  /// The fitted error at log x: the fit less phi0.
  double term(double log_x) const {
    const double first = alpha[0] * std::exp(powers[0] * log_x);
    return alpha[1] == 0.0 ? first : first + alpha[1] * std::exp(powers[1] * log_x);
  }
};

/// The weighted least-squares fit phi0 + alpha x^p, by the weighted covariance of x^p
/// and phi over the variance of x^p, and the slope of its sum of squares against p,
/// its coefficients held (they are optimal, so this is the whole derivative):
/// -2 alpha sum of w r x^p log x. The powers come from `cache`.
std::pair<Fit, double> fit_power(const Sample& sample, double p, PowerCache& cache) {
  const std::size_t n = sample.log_x.size();
  const std::span<const double> g = cache.powers(sample, p);
  double mean_g = 0.0;
  for (std::size_t i = 0; i < n; ++i) mean_g += sample.weights[i] * g[i];
  double sgg = 0.0;
  double sgphi = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    sgg += sample.weights[i] * (g[i] - mean_g) * (g[i] - mean_g);
    sgphi += sample.weights[i] * (g[i] - mean_g) * sample.centred[i];
  }
  Fit fit;
  fit.powers = {p, 0.0};
  fit.alpha[0] = sgg > 0.0 ? sgphi / sgg : 0.0;
  fit.phi0 = sample.mean - fit.alpha[0] * mean_g;
  double slope = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const double residual = sample.values[i] - fit.phi0 - fit.alpha[0] * g[i];
    fit.sum_squares += sample.weights[i] * residual * residual;
    slope += sample.weights[i] * residual * g[i] * sample.log_x[i];
  }
  return {fit, -2.0 * fit.alpha[0] * slope};
}

/// The weighted least-squares fit phi0 + alpha1 x + alpha2 x^2, by the normal
/// equations of the centred columns. Nothing when they are singular.
std::optional<Fit> fit_first_and_second(const Sample& sample) {
  const std::size_t n = sample.log_x.size();
  double mean_a = 0.0;
  double mean_b = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const double x = std::exp(sample.log_x[i]);
    mean_a += sample.weights[i] * x;
    mean_b += sample.weights[i] * x * x;
  }
  double saa = 0.0, sab = 0.0, sbb = 0.0, saphi = 0.0, sbphi = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const double x = std::exp(sample.log_x[i]);
    const double a = x - mean_a;
    const double b = x * x - mean_b;
    const double phi = sample.centred[i];
    saa += sample.weights[i] * a * a;
    sab += sample.weights[i] * a * b;
    sbb += sample.weights[i] * b * b;
    saphi += sample.weights[i] * a * phi;
    sbphi += sample.weights[i] * b * phi;
  }
  const double determinant = saa * sbb - sab * sab;
  if (!(determinant > 1e-12 * saa * sbb)) return {};
  Fit fit;
  fit.powers = {1.0, 2.0};
  fit.alpha = {(saphi * sbb - sbphi * sab) / determinant, (sbphi * saa - saphi * sab) / determinant};
  fit.phi0 = sample.mean - fit.alpha[0] * mean_a - fit.alpha[1] * mean_b;
  for (std::size_t i = 0; i < n; ++i) {
    const double residual = sample.values[i] - fit.phi0 - fit.term(sample.log_x[i]);
    fit.sum_squares += sample.weights[i] * residual * residual;
  }
  return fit;
}

/// The orders tried first for phi0 + alpha h^p: the fit's least sum of squares among
/// them brackets the best order, which the zero of the slope then pins down.
constexpr std::array<double, 13> kOrderGrid = {kLeastOrder, 0.3, 0.6, 1.0,  1.5,  2.0, 2.5,
                                               3.25, 4.5, 6.0, 8.0, 11.0, 16.0};

/// The best fit phi0 + alpha h^p, and whether its order is an end of kOrderGrid (the
/// least sum lies there or beyond: no order within the grid fits).
struct ObservedFit {
  Fit fit;
  bool at_end = false;
};

/// An order a golden step fitted and its fit's sum of squares.
struct Tried {
  double order = std::numeric_limits<double>::quiet_NaN();
  double sum_squares = 0.0;
};

/// The sum of squares of the fit of order `p`: the one of the step before when it
/// fitted the same order (a step often lands on one, to the bit), else fitted.
double sum_of_squares(const Sample& sample, double p, const std::array<Tried, 2>& before,
                      PowerCache& g) {
  for (const Tried& tried : before) {
    if (tried.order == p) return tried.sum_squares;
  }
  return fit_power(sample, p, g).first.sum_squares;
}

/// The fit of least sum of squares between the orders `low` and `high`, by golden
/// sections: the fallback where the slopes at the ends do not change sign.
Fit narrow_by_golden_sections(const Sample& sample, double low, double high,
                              PowerCache& g) {
  const double golden = 0.5 * (std::sqrt(5.0) - 1.0);
  std::array<Tried, 2> tried;
  for (int step = 0; step < 100 && high - low > 1e-13 * high; ++step) {
    const double left = high - golden * (high - low);
    const double right = low + golden * (high - low);
    const double sum_left = sum_of_squares(sample, left, tried, g);
    const double sum_right = sum_of_squares(sample, right, tried, g);
    tried = {Tried{left, sum_left}, Tried{right, sum_right}};
    if (sum_left < sum_right) {
      high = right;
    } else {
      low = left;
    }
  }
  return fit_power(sample, 0.5 * (low + high), g).first;
}

/// The zero of the slope of the sum of squares between orders `low` and `high`, where
/// the slope goes from negative to positive, by regula falsi (the Illinois variant: the
/// end that stays has its slope halved), starting from `found`, the grid's best fit.
/// The iterate of least |slope| is kept, not the one of least sum: near its minimum the
/// sum is flat to round-off over some 1e-8 of p, while the slope still changes.
Fit regula_falsi(const Sample& sample, double low, double high, double slope_low,
                 double slope_high, std::pair<Fit, double> found, PowerCache& g) {
  double least_slope = std::fabs(found.second);
  int kept = 0;  // which end stayed last time: -1 low, +1 high
  for (int step = 0; step < 100 && high - low > 1e-12 * high; ++step) {
    const double p = high - slope_high * (high - low) / (slope_high - slope_low);
    if (!(p > low && p < high)) break;
    const auto [fit, slope] = fit_power(sample, p, g);
    if (std::fabs(slope) <= least_slope) {
      found.first = fit;
      least_slope = std::fabs(slope);
    }
    if (slope == 0.0) break;
    if (slope < 0.0) {
      low = p;
      slope_low = slope;
      if (kept == 1) slope_high *= 0.5;
      kept = 1;
    } else {
      high = p;
      slope_high = slope;
      if (kept == -1) slope_low *= 0.5;
      kept = -1;
    }
  }
  return found.first;
}

/// The fit phi0 + alpha h^p with the least sum of squares: the best order of the grid,
/// then the zero of the slope between its neighbours (regula_falsi, or golden sections
/// where the slopes do not bracket it). The powers come from `g`.
ObservedFit fit_observed(const Sample& sample, PowerCache& g) {
  std::size_t best = 0;
  std::array<std::pair<Fit, double>, kOrderGrid.size()> fits;
  for (std::size_t k = 0; k < kOrderGrid.size(); ++k) {
    fits[k] = fit_power(sample, kOrderGrid[k], g);
    if (fits[k].first.sum_squares < fits[best].first.sum_squares) best = k;
  }
  if (best == 0 || best + 1 == kOrderGrid.size()) return {fits[best].first, true};
  const double low = kOrderGrid[best - 1];
  const double high = kOrderGrid[best + 1];
  const double slope_low = fits[best - 1].second;
  const double slope_high = fits[best + 1].second;
  if (!(slope_low < 0.0 && slope_high > 0.0)) {
    return {narrow_by_golden_sections(sample, low, high, g), false};
  }
  return {regula_falsi(sample, low, high, slope_low, slope_high, fits[best], g), false};
}

/// The standard deviation of a fit with `parameters` unknowns:
/// sqrt(n * sum of w r^2 / (n - parameters)), the weights summing to 1.
double standard_deviation(const Sample& sample, const Fit& fit, std::size_t parameters) {
  const double n = static_cast<double>(sample.log_x.size());
  return std::sqrt(n * fit.sum_squares / (n - static_cast<double>(parameters)));
}

/// A candidate of the procedure: a fit and its standard deviation (infinite before a
/// fit is found).
struct Candidate {
  Fit fit;
  double sigma = std::numeric_limits<double>::infinity();
  ErrorFit kind = ErrorFit::observed;
  bool weighted = false;
};

}  // namespace

std::optional<PowerFit> least_squares_fit(std::span<const double> h,
                                          std::span<const double> values) {
  if (h.size() < 3 || values.size() != h.size()) return {};
  std::vector<double> sizes(h.begin(), h.end());
  std::sort(sizes.begin(), sizes.end());
  if (std::adjacent_find(sizes.begin(), sizes.end()) != sizes.end()) return {};
  PowerCache powers;
  const ObservedFit found = fit_observed(make_sample(h, values, false), powers);
  if (found.at_end) return {};
  // The sample's x is h / h_largest: C h^p = alpha x^p gives C = alpha / h_largest^p.
  const double order = found.fit.powers[0];
  return PowerFit{order, found.fit.phi0, found.fit.alpha[0] / std::pow(sizes.back(), order)};
}

namespace {

/// The fits of phi0 + alpha h^p, plain and weighted: the one of smaller sigma. The
/// procedure chooses between the two by sigma first, and only then asks whether the
/// chosen fit's order is trusted: a weighted fit of order 2.3 with sigma 1e-6 beats a
/// plain fit of order 1.9 with sigma 1e-5, and sends the estimate to the fits of fixed
/// order although the plain fit's order lies in range.
Candidate observed_fit(const std::array<Sample, 2>& samples, PowerCache& powers) {
  Candidate best;
  for (const Sample& sample : samples) {
    const Fit fit = fit_observed(sample, powers).fit;
    const Candidate candidate{fit, standard_deviation(sample, fit, 3), ErrorFit::observed,
                              sample.weighted};
    if (candidate.sigma < best.sigma) best = candidate;
  }
  return best;
}

/// The fits of fixed order that stand in for an observed order out of range, plain and
/// weighted, the one of smallest sigma: alpha h and alpha h^2 when the order is above
/// `formal`; alpha h, alpha h^2 and alpha1 h + alpha2 h^2 when it is below 0.5. For a
/// formal order 1, alpha h^2 alone is left out (a first-order scheme's error has no
/// reason to start at h^2) and alpha1 h + alpha2 h^2 is kept both ways.
Candidate fixed_order_fits(const std::array<Sample, 2>& samples, double formal, bool above,
                           PowerCache& g) {
  Candidate chosen;
  const auto consider = [&](const std::optional<Fit>& fit, const Sample& sample, ErrorFit kind,
                            std::size_t parameters) {
    if (!fit) return;
    const double sigma = standard_deviation(sample, *fit, parameters);
    if (sigma < chosen.sigma) chosen = Candidate{*fit, sigma, kind, sample.weighted};
  };
  const bool second = formal >= 2.0;
  for (const Sample& sample : samples) {
    consider(fit_power(sample, 1.0, g).first, sample, ErrorFit::first, 2);
    if (second) consider(fit_power(sample, 2.0, g).first, sample, ErrorFit::second, 2);
    if (!(second && above)) consider(fit_first_and_second(sample), sample, ErrorFit::both, 3);
  }
  return chosen;
}

}  // namespace

std::optional<LsqEstimate> u_lsq(std::span<const double> h, std::span<const double> values,
                                 double formal) {
  const std::size_t n = h.size();
  if (n < kLsqMeshes || values.size() != n) return {};
  const std::array<Sample, 2> samples = {make_sample(h, values, false),
                                         make_sample(h, values, true)};
  PowerCache powers;  // the samples have the same log x
  const Candidate best = observed_fit(samples, powers);
  if (!std::isfinite(best.sigma)) return {};  // values that are not numbers

  LsqEstimate estimate;
  estimate.order = best.fit.powers[0];
  const bool in_range = *estimate.order >= 0.5 && *estimate.order <= formal;
  const Candidate chosen =
      in_range ? best : fixed_order_fits(samples, formal, *estimate.order > formal, powers);

  const std::size_t finest =
      static_cast<std::size_t>(std::min_element(h.begin(), h.end()) - h.begin());
  const double term = chosen.fit.term(samples[0].log_x[finest]);
  const double distance = std::fabs(values[finest] - (chosen.fit.phi0 + term));
  const auto [lowest, highest] = std::minmax_element(values.begin(), values.end());
  estimate.error = std::fabs(term);
  estimate.sigma = chosen.sigma;
  estimate.data_range = (*highest - *lowest) / static_cast<double>(n - 1);
  estimate.fit = chosen.kind;
  estimate.weighted = chosen.weighted;
  const bool scattered = !(estimate.sigma < estimate.data_range || estimate.sigma == 0.0);
  const bool trusted_order = *estimate.order >= 0.5 && *estimate.order < formal + 0.1;
  estimate.safety = trusted_order && !scattered ? kSafetyThreeMeshes : kSafetyTwoMeshes;
  if (!scattered) {
    estimate.uncertainty = estimate.safety * estimate.error + estimate.sigma + distance;
  } else {
    // Scatter as large as the data's own range: the fit says little, and the
    // uncertainty grows with the scatter.
    estimate.uncertainty =
        kSafetyTwoMeshes * estimate.sigma / estimate.data_range * (estimate.error + estimate.sigma + distance);
  }
  return estimate;
}

}  // namespace talvenor

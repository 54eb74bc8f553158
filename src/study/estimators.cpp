#include "study/estimators.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "study/orders.hpp"

namespace talvenor {

std::optional<double> u_gci(double medium, double fine, double ratio, double order,
                            double safety) {
  const auto fraction = gci(medium, fine, ratio, order, safety);
  if (!fraction) return {};
  return *fraction * std::fabs(fine);
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

/// The meshes of a fit: x = h / h_largest (the scale keeps the columns of the fit
/// near 1; a fit's values do not depend on it), the values, and the weights of the
/// squares, which sum to 1 (1/n each, or in proportion to 1/h).
struct Sample {
  std::vector<double> x;
  std::vector<double> values;
  std::vector<double> weights;
  std::size_t finest = 0;  ///< index of the smallest h
  bool weighted = false;
};

/// A fit phi0 + sum of alpha_k x^power_k: its coefficients and the weighted sum of
/// the squares of its residuals.
struct LinearFit {
  double phi0 = 0.0;
  std::array<double, 2> alpha{};
  std::array<double, 2> powers{};
  std::size_t terms = 0;
  double sum_squares = 0.0;

  double term(double x) const {
    double sum = 0.0;
    for (std::size_t k = 0; k < terms; ++k) sum += alpha[k] * std::pow(x, powers[k]);
    return sum;
  }
};

/// The weighted least-squares fit of the sample by phi0 + alpha_k x^powers[k], by
/// modified Gram-Schmidt on the columns scaled by sqrt(w). Nothing when the columns
/// are dependent (equal x, or a power of 0).
std::optional<LinearFit> fit_powers(const Sample& sample, std::span<const double> powers) {
  const std::size_t n = sample.x.size();
  const std::size_t columns = powers.size() + 1;
  std::vector<std::vector<double>> a(columns, std::vector<double>(n));
  std::vector<double> b(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double root = std::sqrt(sample.weights[i]);
    a[0][i] = root;
    for (std::size_t k = 0; k < powers.size(); ++k) a[k + 1][i] = root * std::pow(sample.x[i], powers[k]);
    b[i] = root * sample.values[i];
  }
  const auto dot = [n](const std::vector<double>& u, const std::vector<double>& v) {
    double sum = 0.0;
    for (std::size_t i = 0; i < n; ++i) sum += u[i] * v[i];
    return sum;
  };
  std::array<std::array<double, 3>, 3> r{};
  std::array<double, 3> c{};
  for (std::size_t j = 0; j < columns; ++j) {
    const double size = std::sqrt(dot(a[j], a[j]));
    if (!(size > 1e-12)) return {};
    for (double& value : a[j]) value /= size;
    r[j][j] = size;
    for (std::size_t k = j + 1; k < columns; ++k) {
      r[j][k] = dot(a[j], a[k]);
      for (std::size_t i = 0; i < n; ++i) a[k][i] -= r[j][k] * a[j][i];
    }
    c[j] = dot(a[j], b);
    for (std::size_t i = 0; i < n; ++i) b[i] -= c[j] * a[j][i];
  }
  std::array<double, 3> coefficients{};
  for (std::size_t j = columns; j-- > 0;) {
    double sum = c[j];
    for (std::size_t k = j + 1; k < columns; ++k) sum -= r[j][k] * coefficients[k];
    coefficients[j] = sum / r[j][j];
  }
  LinearFit fit;
  fit.phi0 = coefficients[0];
  fit.terms = powers.size();
  for (std::size_t k = 0; k < fit.terms; ++k) {
    fit.alpha[k] = coefficients[k + 1];
    fit.powers[k] = powers[k];
  }
  fit.sum_squares = dot(b, b);
  return fit;
}

/// The slope of the sum of squares of the fit phi0 + alpha x^p against p, its
/// coefficients held (they are optimal, so this is the whole derivative):
/// -2 sum of w r alpha x^p log x.
double slope_in_order(const Sample& sample, const LinearFit& fit) {
  double sum = 0.0;
  for (std::size_t i = 0; i < sample.x.size(); ++i) {
    const double power = std::pow(sample.x[i], fit.powers[0]);
    const double residual = sample.values[i] - fit.phi0 - fit.alpha[0] * power;
    sum += sample.weights[i] * residual * fit.alpha[0] * power * std::log(sample.x[i]);
  }
  return -2.0 * sum;
}

/// Orders searched for the fit phi0 + alpha h^p: a step of 0.1 up to 8; the range that
/// matters is 0.5 to 2.1, and an order outside it only needs to be known as outside.
constexpr double kOrderStep = 0.1;
constexpr int kOrderSteps = 80;

std::optional<LinearFit> fit_order(const Sample& sample, double p) {
  const std::array<double, 1> powers = {p};
  return fit_powers(sample, powers);
}

/// The fit phi0 + alpha h^p with the least sum of squares: the best order on a grid,
/// then the zero of the slope between its neighbours by bisection.
std::optional<LinearFit> fit_observed(const Sample& sample) {
  std::optional<LinearFit> best;
  int best_step = 0;
  for (int k = 1; k <= kOrderSteps; ++k) {
    const auto fit = fit_order(sample, k * kOrderStep);
    if (fit && (!best || fit->sum_squares < best->sum_squares)) {
      best = fit;
      best_step = k;
    }
  }
  if (!best || best_step == 1 || best_step == kOrderSteps) return best;
  double low = (best_step - 1) * kOrderStep;
  double high = (best_step + 1) * kOrderStep;
  const auto low_fit = fit_order(sample, low);
  const auto high_fit = fit_order(sample, high);
  if (!low_fit || !high_fit || slope_in_order(sample, *low_fit) >= 0.0 ||
      slope_in_order(sample, *high_fit) <= 0.0) {
    return best;
  }
  for (;;) {
    const double middle = 0.5 * (low + high);
    if (middle <= low || middle >= high) break;
    const auto fit = fit_order(sample, middle);
    if (!fit) return best;
    (slope_in_order(sample, *fit) > 0.0 ? high : low) = middle;
  }
  const auto fit = fit_order(sample, 0.5 * (low + high));
  return fit && fit->sum_squares <= best->sum_squares ? fit : best;
}

/// The standard deviation of a fit with `parameters` unknowns:
/// sqrt(n * sum of w r^2 / (n - parameters)), the weights summing to 1.
double standard_deviation(const Sample& sample, const LinearFit& fit, std::size_t parameters) {
  const double n = static_cast<double>(sample.x.size());
  return std::sqrt(n * fit.sum_squares / (n - static_cast<double>(parameters)));
}

Sample make_sample(std::span<const double> h, std::span<const double> values, bool weighted) {
  Sample sample;
  sample.weighted = weighted;
  sample.values.assign(values.begin(), values.end());
  const double largest = *std::max_element(h.begin(), h.end());
  sample.finest = static_cast<std::size_t>(std::min_element(h.begin(), h.end()) - h.begin());
  double total = 0.0;
  for (const double step : h) {
    sample.x.push_back(step / largest);
    sample.weights.push_back(weighted ? 1.0 / step : 1.0);
    total += sample.weights.back();
  }
  for (double& weight : sample.weights) weight /= total;
  return sample;
}

/// A candidate of the procedure: a fit of one sample and its standard deviation.
struct Candidate {
  LinearFit fit;
  double sigma = 0.0;
  ErrorFit kind = ErrorFit::observed;
  bool weighted = false;
};

}  // namespace

std::optional<LsqEstimate> u_lsq(std::span<const double> h, std::span<const double> values,
                                 double formal) {
  const std::size_t n = h.size();
  if (n < kLsqMeshes || values.size() != n) return {};
  const std::array<Sample, 2> samples = {make_sample(h, values, false),
                                         make_sample(h, values, true)};
  std::optional<Candidate> chosen;
  const auto consider = [&](const std::optional<LinearFit>& fit, const Sample& sample,
                            ErrorFit kind, std::size_t parameters) {
    if (!fit) return;
    const double sigma = standard_deviation(sample, *fit, parameters);
    if (!chosen || sigma < chosen->sigma) chosen = Candidate{*fit, sigma, kind, sample.weighted};
  };
  for (const Sample& sample : samples) consider(fit_observed(sample), sample, ErrorFit::observed, 3);
  if (!chosen) return {};

  LsqEstimate estimate;
  estimate.order = chosen->fit.powers[0];
  estimate.safety = 1.25;
  if (!(*estimate.order >= 0.5 && *estimate.order < formal + 0.1)) {
    // The observed order is not to be trusted: the expansions of fixed order instead.
    // A first-order scheme's error has no reason to start at h^2, so alpha h^2 alone
    // is left out for it.
    estimate.safety = 3.0;
    chosen.reset();
    const std::array<double, 1> first = {1.0};
    const std::array<double, 1> second = {2.0};
    const std::array<double, 2> both = {1.0, 2.0};
    for (const Sample& sample : samples) {
      consider(fit_powers(sample, first), sample, ErrorFit::first, 2);
      if (formal >= 2.0) consider(fit_powers(sample, second), sample, ErrorFit::second, 2);
      consider(fit_powers(sample, both), sample, ErrorFit::both, 3);
    }
    if (!chosen) return {};
  }

  const Sample& sample = samples[0];
  const double term = chosen->fit.term(sample.x[sample.finest]);
  const double distance = std::fabs(values[sample.finest] - (chosen->fit.phi0 + term));
  const auto [lowest, highest] = std::minmax_element(values.begin(), values.end());
  estimate.error = std::fabs(term);
  estimate.sigma = chosen->sigma;
  estimate.data_range = (*highest - *lowest) / static_cast<double>(n - 1);
  estimate.fit = chosen->kind;
  estimate.weighted = chosen->weighted;
  const double spread = estimate.error + estimate.sigma + distance;
  if (estimate.sigma < estimate.data_range || estimate.sigma == 0.0) {
    estimate.uncertainty = estimate.safety * estimate.error + estimate.sigma + distance;
  } else {
    // Scatter as large as the data's own range: the fit says little, and the
    // uncertainty grows with the scatter.
    estimate.uncertainty = 3.0 * estimate.sigma / estimate.data_range * spread;
  }
  return estimate;
}

}  // namespace talvenor

// A small solver of another equation than Burgers, to show talvenor-study --run on a
// code of one's own: -u'' = f on [0, 1] by second-order central differences, with the
// manufactured solution u = sin(pi x) + x^3, so f = pi^2 sin(pi x) - 6 x, u(0) = 0 and
// u(1) = 1.
//
//   poisson --n N [--scheme central|shifted|wrong] [--print nodes|values] [--to FILE]
//           [--fail-at N] [--sleep-at N]
//
// --scheme shifted takes f half a cell to the right (first order); wrong takes u(1) as
// 0 (it converges, to the wrong solution). --print nodes writes "x,u" per node,
// values "variable,value,exact" for u(0.5) and the slope u'(1). --fail-at N makes the
// mesh of N fail (status 3, a line on standard error), --sleep-at N makes it hang for
// a minute: the failing cases of a study.

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

const double kPi = std::acos(-1.0);

double exact(double x) { return std::sin(kPi * x) + x * x * x; }
double exact_slope(double x) { return kPi * std::cos(kPi * x) + 3.0 * x * x; }
double source(double x) { return kPi * kPi * std::sin(kPi * x) - 6.0 * x; }

struct Options {
  int n = 0;
  std::string scheme = "central";
  std::string print = "nodes";
  std::string to;  // empty: standard output
  int fail_at = -1;
  int sleep_at = -1;
};

[[noreturn]] void usage(const std::string& why) {
  std::fprintf(stderr, "poisson: %s\nusage: poisson --n N [--scheme central|shifted|wrong] "
                       "[--print nodes|values] [--to FILE] [--fail-at N] [--sleep-at N]\n",
               why.c_str());
  std::exit(2);
}

Options read_options(int argc, char** argv) {
  Options options;
  for (int k = 1; k + 1 < argc; k += 2) {
    const std::string name = argv[k], value = argv[k + 1];
    if (name == "--n") options.n = std::atoi(value.c_str());
    else if (name == "--scheme") options.scheme = value;
    else if (name == "--print") options.print = value;
    else if (name == "--to") options.to = value;
    else if (name == "--fail-at") options.fail_at = std::atoi(value.c_str());
    else if (name == "--sleep-at") options.sleep_at = std::atoi(value.c_str());
    else usage("unknown option " + name);
  }
  if (argc % 2 == 0) usage("an option without its value");
  if (options.n < 2 || options.n % 2 != 0) usage("--n takes an even number of cells, 2 or more");
  if (options.scheme != "central" && options.scheme != "shifted" && options.scheme != "wrong") {
    usage("unknown scheme " + options.scheme);
  }
  if (options.print != "nodes" && options.print != "values") usage("unknown --print " + options.print);
  return options;
}

// (-u[i-1] + 2 u[i] - u[i+1]) / h^2 = f at the inner nodes, by the Thomas algorithm.
std::vector<double> solve(const Options& options) {
  const int n = options.n;
  const double h = 1.0 / n;
  const double shift = options.scheme == "shifted" ? h / 2.0 : 0.0;
  std::vector<double> u(n + 1, 0.0), diagonal(n + 1, 2.0), rhs(n + 1, 0.0);
  u[n] = options.scheme == "wrong" ? 0.0 : exact(1.0);
  for (int i = 1; i < n; ++i) rhs[i] = h * h * source(i * h + shift);
  rhs[1] += u[0];
  rhs[n - 1] += u[n];
  for (int i = 2; i < n; ++i) {  // elimination: the off-diagonals are -1
    const double factor = -1.0 / diagonal[i - 1];
    diagonal[i] += factor;
    rhs[i] -= factor * rhs[i - 1];
  }
  u[n - 1] = rhs[n - 1] / diagonal[n - 1];
  for (int i = n - 2; i >= 1; --i) u[i] = (rhs[i] + u[i + 1]) / diagonal[i];
  return u;
}

void print(const Options& options, const std::vector<double>& u, std::FILE* out) {
  const int n = options.n;
  const double h = 1.0 / n;
  if (options.print == "nodes") {
    std::fprintf(out, "x,u\n");
    for (int i = 0; i <= n; ++i) std::fprintf(out, "%.17g,%.17g\n", i * h, u[i]);
    return;
  }
  // The slope at x = 1 by the second-order one-sided difference.
  const double slope = (3.0 * u[n] - 4.0 * u[n - 1] + u[n - 2]) / (2.0 * h);
  std::fprintf(out, "variable,value,exact\n");
  std::fprintf(out, "u(0.5),%.17g,%.17g\n", u[n / 2], exact(0.5));
  std::fprintf(out, "slope(1),%.17g,%.17g\n", slope, exact_slope(1.0));
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = read_options(argc, argv);
  if (options.n == options.fail_at) {
    std::fprintf(stderr, "poisson: the matrix of n = %d is singular (on purpose)\n", options.n);
    return 3;
  }
  if (options.n == options.sleep_at) std::this_thread::sleep_for(std::chrono::minutes(1));
  const std::vector<double> u = solve(options);
  std::FILE* out = options.to.empty() ? stdout : std::fopen(options.to.c_str(), "w");
  if (out == nullptr) {
    std::fprintf(stderr, "poisson: cannot write %s\n", options.to.c_str());
    return 1;
  }
  print(options, u, out);
  return std::fclose(out) == 0 ? 0 : 1;
}

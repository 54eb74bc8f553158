#include "expression/manufactured.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cmath>
#include <string>

#include "system/error.hpp"
#include "textio/shortest_text.hpp"

namespace talvenor {
namespace {

// The 15-point Kronrod rule on [-1, 1] and its embedded 7-point Gauss rule
// (Piessens et al. 1983, QUADPACK qk15): nodes x0 > x1 > ... > x7 = 0, the Gauss
// nodes being the odd ones.
constexpr std::array<double, 8> kKronrodNodes = {
    0.991455371120812639206854697526329, 0.949107912342758524526189684047851,
    0.864864423359769072789712788640926, 0.741531185599394439863864773280788,
    0.586087235467691130294144845693013, 0.405845151377397166906606412076961,
    0.207784955007898467600689403773245, 0.0};
constexpr std::array<double, 8> kKronrodWeights = {
    0.022935322010529224963732008058970, 0.063092092629978553290700663189204,
    0.104790010322250183839876322541518, 0.140653259715525918745189590510238,
    0.169004726639267902826583426598550, 0.190350578064785409913256402421014,
    0.204432940075298892414161999234649, 0.209482141084727828012999174891714};
constexpr std::array<double, 4> kGaussWeights = {
    0.129484966168869693270611432679082, 0.279705391489276667901467771423780,
    0.381830050505118944950369775488975, 0.417959183673469387755102040816327};

/// Halving stops where the two rules agree to this fraction of the integral of |u|
/// (well above the rounding of the sums, and where the Kronrod value of a smooth u is
/// good to far better; a kink, abs(x - c)^3, makes them alike), or at this depth (an
/// interval of 2^-50).
constexpr double kAgreement = 1e-14;
constexpr int kMaxHalvings = 50;

/// A sum with Neumaier's compensation: the intervals add without losing their ulps.
struct CompensatedSum {
  double sum = 0.0, carry = 0.0;
  void add(double value) {
    const double t = sum + value;
    carry += std::fabs(sum) >= std::fabs(value) ? (sum - t) + value : (value - t) + sum;
    sum = t;
  }
  double total() const { return sum + carry; }
};

/// The parameters of a run of a solution's tape: x's place, then Re.
std::array<double, 2> parameters(double Re) {
  return {0.0, Re};
}

/// The integral over [a, b] added to total, [a, b] halved until the rules agree; `u`
/// evaluates u alone. The 15 points are evaluated as one block.
void integrate(Tape::Run& u, double a, double b, int halvings, CompensatedSum& total) {
  const double middle = 0.5 * (a + b);
  const double half = 0.5 * (b - a);
  std::array<double, 15> x{};  // the middle, then the pairs middle -/+ half node k
  x[0] = middle;
  for (std::size_t k = 0; k < 7; ++k) {
    x[2 * k + 1] = middle - half * kKronrodNodes[k];
    x[2 * k + 2] = middle + half * kKronrodNodes[k];
  }
  u.at(x);
  const double* const f = u.root(0);
  double kronrod = kKronrodWeights[7] * f[0];
  double gauss = kGaussWeights[3] * f[0];
  double absolute = std::fabs(kronrod);
  for (std::size_t k = 0; k < 7; ++k) {
    const double pair = f[2 * k + 1] + f[2 * k + 2];
    kronrod += kKronrodWeights[k] * pair;
    absolute += kKronrodWeights[k] * std::fabs(pair);
    if (k % 2 == 1) gauss += kGaussWeights[k / 2] * pair;
  }
  const bool agreed = std::fabs(kronrod - gauss) * half <= kAgreement * absolute * half;
  if (agreed || halvings == kMaxHalvings || !std::isfinite(kronrod)) {
    total.add(kronrod * half);
    return;
  }
  integrate(u, a, middle, halvings + 1, total);
  integrate(u, middle, b, halvings + 1, total);
}

/// Calls keep(first, points, run) for the nodes of x a block at a time, in their
/// order: run.root(r)[k] is root r of u, u', u'' (the first `roots` of them) at
/// points[k], node first + k.
template <typename Body>
void over_blocks(const Manufactured& m, std::span<const double> x, double Re, std::size_t roots,
                 Body keep) {
  Tape::Run run(m.tape, parameters(Re), roots);
  for (std::size_t first = 0; first < x.size(); first += Tape::kBlock) {
    const auto points = x.subspan(first, std::min(Tape::kBlock, x.size() - first));
    run.at(points);
    keep(first, points, run);
  }
}

[[noreturn]] void not_finite(const Manufactured& m, const char* which, double x, double Re) {
  throw Error(Error::Kind::case_file,
              "u = " + m.formula + ": " + which + " is not finite at x = " + shortest(x) +
                  " (Re = " + shortest(Re) + "); choose a solution defined on all of [0, 1]");
}

/// 1 where v is infinite or NaN (its exponent bits all ones), else 0: a test with no
/// branch and no floating-point comparison (which could raise a flag), so that a loop
/// of it vectorizes.
std::uint64_t not_finite_bit(double v) {
  constexpr std::uint64_t kExponentBits = 0x7ff;
  constexpr int kMantissaBits = 52, kExponentWidth = 11;
  const std::uint64_t exponent = (std::bit_cast<std::uint64_t>(v) >> kMantissaBits) & kExponentBits;
  return (exponent + 1) >> kExponentWidth;
}

/// Whether one of the values is infinite or NaN: one pass of not_finite_bit.
bool any_not_finite(std::span<const double> values) {
  std::uint64_t any = 0;
  for (const double v : values) any |= not_finite_bit(v);
  return any != 0;
}

/// Error at the first of the points where one of the first `roots` of u, u', u'' is
/// not finite, checked in that order at each point, as jet_at checks.
void name_first_not_finite(const Manufactured& m, const Tape::Run& run, std::size_t roots,
                           std::span<const double> points, double Re) {
  constexpr std::array<const char*, 3> kNames = {"u", "u'", "u''"};
  for (std::size_t k = 0; k < points.size(); ++k) {
    for (std::size_t r = 0; r < roots; ++r) {
      if (!std::isfinite(run.root(r)[k])) not_finite(m, kNames[r], points[k], Re);
    }
  }
}

/// The jet at point k of run's block.
Jet jet_of(const Tape::Run& run, std::size_t k) {
  return {run.root(0)[k], run.root(1)[k], run.root(2)[k]};
}

/// One function of the user's language: its header, its body's one expression, its end.
std::string function_text(Language language, std::string_view name, const std::string& body) {
  const std::string n(name);
  switch (language) {
    case Language::c:
      return "double " + n + "(double x, double Re)\n{\n  return " + body + ";\n}\n";
    case Language::python:
      return "def " + n + "(x, Re):\n    return " + body + "\n";
    case Language::fortran:
      return "  pure function " + n + "(x, Re) result(r)\n" +
             "    real(8), intent(in) :: x, Re\n    real(8) :: r\n    r = " + body +
             "\n  end function " + n + "\n";
    case Language::latex:
      break;
  }
  const std::string left = name == "exact_u" ? "u(x)" : name == "exact_du" ? "u'(x)" : "S(x)";
  return "\\begin{equation}\n  " + left + " = " + body + "\n\\end{equation}\n";
}

/// Fortran text with each line over 100 characters continued with &, cut at a blank
/// where there is one: free form allows 132 characters a line.
std::string fortran_lines(std::string_view text) {
  constexpr std::size_t kWidth = 100;
  constexpr std::string_view kContinued = "      ";
  std::string out;
  while (!text.empty()) {
    std::string_view line = text.substr(0, text.find('\n'));
    text.remove_prefix(std::min(line.size() + 1, text.size()));
    while (line.size() > kWidth) {
      const std::size_t blank = line.rfind(' ', kWidth - 2);
      const bool at_blank = blank != std::string_view::npos && blank > kContinued.size();
      const std::size_t cut = at_blank ? blank + 1 : kWidth - 1;
      out += std::string(line.substr(0, cut)) + "&\n" + std::string(kContinued) +
             (at_blank ? "" : "&");
      line.remove_prefix(cut);
    }
    out += std::string(line) + "\n";
  }
  return out;
}

}  // namespace

Manufactured manufacture(std::string_view formula, std::string_view where) {
  Manufactured m;
  m.formula = formula;
  m.u = parse_expression(formula, where, kSolutionNames);
  m.du = derivative(m.u);
  m.d2u = derivative(m.du);
  m.tape = Tape(std::array{m.u, m.du, m.d2u});
  return m;
}

void u_values(const Manufactured& m, std::span<const double> x, double Re, std::span<double> u) {
  over_blocks(m, x, Re, 1, [&](std::size_t first, auto points, const Tape::Run& run) {
    const auto block = u.subspan(first, points.size());
    std::copy_n(run.root(0), points.size(), block.begin());
    if (any_not_finite(block)) name_first_not_finite(m, run, 1, points, Re);
  });
}

// S = (Re u) u' - u'' is finite only where u, u' and u'' are (a product or difference
// with an infinite or NaN operand never is): the source's block is checked, and the
// jets only where it is not.
void burgers_sources(const Manufactured& m, std::span<const double> x, double Re,
                     std::span<double> S) {
  over_blocks(m, x, Re, 3, [&](std::size_t first, auto points, const Tape::Run& run) {
    const auto block = S.subspan(first, points.size());
    for (std::size_t k = 0; k < points.size(); ++k) block[k] = burgers_source(jet_of(run, k), Re);
    if (any_not_finite(block)) name_first_not_finite(m, run, 3, points, Re);
  });
}

Jet jet_at(const Manufactured& m, double x, double Re) {
  Jet j;
  over_blocks(m, std::span(&x, 1), Re, 3, [&](std::size_t, auto points, const Tape::Run& run) {
    name_first_not_finite(m, run, 3, points, Re);
    j = jet_of(run, 0);
  });
  return j;
}

double mean_over_unit_interval(const Manufactured& m, double Re) {
  Tape::Run u(m.tape, parameters(Re), 1);
  CompensatedSum total;
  integrate(u, 0.0, 1.0, 0, total);
  return total.total();
}

std::string source_code(const Manufactured& m, const Expr& op, Language language) {
  const std::array<Expr, 5> with = {variable_node(0), variable_node(1), m.u, m.du, m.d2u};
  const Expr S = substitute(op, with);
  const std::array<std::pair<std::string_view, Expr>, 3> parts = {
      {{"exact_u", m.u}, {"exact_du", m.du}, {"source", S}}};
  const std::string head = language == Language::c        ? "#include <math.h>\n\n"
                           : language == Language::python ? "import math\n\n\n"
                           : language == Language::fortran
                               ? "module manufactured\n  implicit none\ncontains\n"
                               : "";
  std::string text = head;
  for (std::size_t k = 0; k < parts.size(); ++k) {
    if (k > 0 && language != Language::fortran)
      text += language == Language::python ? "\n\n" : "\n";
    text += function_text(language, parts[k].first,
                          print_expression(parts[k].second, language, kSolutionNames));
  }
  if (language == Language::fortran) return fortran_lines(text + "end module manufactured\n");
  return text;
}

}  // namespace talvenor

#include "expression/expression.hpp"

#include <algorithm>
#include <cmath>

namespace talvenor {
namespace {

Expr number_of(const Expr& e) {
  return e->op == Op::number ? e : nullptr;
}

Expr num(double value) {
  return number_node(value);
}
Expr sq(const Expr& a) {
  return binary_node(Op::pow, a, num(2.0));
}
Expr mul(const Expr& a, const Expr& b) {
  return binary_node(Op::mul, a, b);
}
Expr fn(std::string_view name, const Expr& a) {
  const auto all = functions();
  const auto found =
      std::find_if(all.begin(), all.end(), [&](const Function& f) { return f.name == name; });
  return call_node(static_cast<std::uint8_t>(found - all.begin()), a);
}

// d f(a)/da of each function, as a tree of a. erf' = 2/sqrt(pi) exp(-a^2); abs' = a/abs(a).
Expr d_sin(const Expr& a) {
  return fn("cos", a);
}
Expr d_cos(const Expr& a) {
  return negate_node(fn("sin", a));
}
Expr d_tan(const Expr& a) {
  return binary_node(Op::add, num(1.0), sq(fn("tan", a)));
}
Expr d_exp(const Expr& a) {
  return fn("exp", a);
}
Expr d_log(const Expr& a) {
  return binary_node(Op::div, num(1.0), a);
}
Expr d_sqrt(const Expr& a) {
  return binary_node(Op::div, num(0.5), fn("sqrt", a));
}
Expr d_sinh(const Expr& a) {
  return fn("cosh", a);
}
Expr d_cosh(const Expr& a) {
  return fn("sinh", a);
}
// 1/cosh^2 rather than 1 - tanh^2, which loses every digit in a layer's tails.
Expr d_tanh(const Expr& a) {
  return binary_node(Op::div, num(1.0), sq(fn("cosh", a)));
}
Expr d_atan(const Expr& a) {
  return binary_node(Op::div, num(1.0), binary_node(Op::add, num(1.0), sq(a)));
}
Expr d_erf(const Expr& a) {
  const Expr two_over_root_pi = binary_node(Op::div, num(2.0), fn("sqrt", constant_node(0)));
  return mul(two_over_root_pi, fn("exp", negate_node(sq(a))));
}
Expr d_abs(const Expr& a) {
  return binary_node(Op::div, a, fn("abs", a));
}

double abs_value(double a) {
  return std::fabs(a);
}
double sin_value(double a) {
  return std::sin(a);
}
double cos_value(double a) {
  return std::cos(a);
}
double tan_value(double a) {
  return std::tan(a);
}
double exp_value(double a) {
  return std::exp(a);
}
double log_value(double a) {
  return std::log(a);
}
double sqrt_value(double a) {
  return std::sqrt(a);
}
double sinh_value(double a) {
  return std::sinh(a);
}
double cosh_value(double a) {
  return std::cosh(a);
}
double tanh_value(double a) {
  return std::tanh(a);
}
double atan_value(double a) {
  return std::atan(a);
}
double erf_value(double a) {
  return std::erf(a);
}

/// F at each of n points, called directly: no call through a pointer per point.
template <double (*F)(double)>
void values_of(const double* a, double* out, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) out[i] = F(a[i]);
}

#define TALVENOR_FUNCTION(name, c, fortran, python, latex) \
  { #name, name##_value, values_of<name##_value>, d_##name, c, fortran, python, latex }

constexpr Function kFunctions[] = {
    TALVENOR_FUNCTION(sin, "sin", "sin", "math.sin", "\\sin"),
    TALVENOR_FUNCTION(cos, "cos", "cos", "math.cos", "\\cos"),
    TALVENOR_FUNCTION(tan, "tan", "tan", "math.tan", "\\tan"),
    TALVENOR_FUNCTION(exp, "exp", "exp", "math.exp", "\\exp"),
    TALVENOR_FUNCTION(log, "log", "log", "math.log", "\\ln"),
    TALVENOR_FUNCTION(sqrt, "sqrt", "sqrt", "math.sqrt", "\\sqrt"),
    TALVENOR_FUNCTION(sinh, "sinh", "sinh", "math.sinh", "\\sinh"),
    TALVENOR_FUNCTION(cosh, "cosh", "cosh", "math.cosh", "\\cosh"),
    TALVENOR_FUNCTION(tanh, "tanh", "tanh", "math.tanh", "\\tanh"),
    TALVENOR_FUNCTION(atan, "atan", "atan", "math.atan", "\\arctan"),
    TALVENOR_FUNCTION(erf, "erf", "erf", "math.erf", "\\operatorname{erf}"),
    TALVENOR_FUNCTION(abs, "fabs", "abs", "abs", "\\operatorname{abs}"),
};
#undef TALVENOR_FUNCTION

}  // namespace

std::span<const Function> functions() {
  return kFunctions;
}

double node_value(Op op, std::uint8_t index, double value, double a, double b,
                  std::span<const double> values) {
  constexpr std::array kBinary = {binary_value<Op::add>, binary_value<Op::sub>,
                                  binary_value<Op::mul>, binary_value<Op::div>,
                                  binary_value<Op::pow>};
  switch (op) {
    case Op::number:
      return value;
    case Op::constant:
      return kConstants[index].value;
    case Op::variable:
      return values[index];
    case Op::neg:
      return -a;
    case Op::function:
      return kFunctions[index].value(a);
    default:
      return kBinary[static_cast<std::size_t>(op) - static_cast<std::size_t>(Op::add)](a, b);
  }
}

Expr written_node(Op op, const Expr& a, const Expr& b) {
  auto made = std::make_shared<Node>();
  made->op = op;
  made->a = a;
  made->b = b;
  made->depth = 1 + std::max(a ? a->depth : 0, b ? b->depth : 0);
  return made;
}

Expr number_node(double value) {
  auto node = std::make_shared<Node>();
  node->value = value;
  return node;
}

Expr constant_node(std::uint8_t index) {
  auto node = std::make_shared<Node>();
  node->op = Op::constant;
  node->index = index;
  return node;
}

Expr variable_node(std::uint8_t index) {
  auto node = std::make_shared<Node>();
  node->op = Op::variable;
  node->index = index;
  return node;
}

bool is_number(const Expr& e, double value) {
  return e->op == Op::number && e->value == value;
}

Expr binary_node(Op op, const Expr& a, const Expr& b) {
  if (number_of(a) && number_of(b)) {
    const double folded = node_value(op, 0, 0.0, a->value, b->value, {});
    if (std::isfinite(folded)) return number_node(folded);
  }
  switch (op) {
    case Op::add:
      if (is_number(a, 0.0)) return b;
      if (is_number(b, 0.0)) return a;
      if (b->op == Op::neg) return binary_node(Op::sub, a, b->a);  // exact: a + -b is a - b
      break;
    case Op::sub:
      if (is_number(b, 0.0)) return a;
      if (is_number(a, 0.0)) return negate_node(b);
      if (b->op == Op::neg) return binary_node(Op::add, a, b->a);
      break;
    case Op::mul:
      if (is_number(a, 0.0) || is_number(b, 0.0)) return number_node(0.0);
      if (is_number(a, 1.0)) return b;
      if (is_number(b, 1.0)) return a;
      if (is_number(a, -1.0)) return negate_node(b);
      if (is_number(b, -1.0)) return negate_node(a);
      [[fallthrough]];
    case Op::div:
      // The sign outside, exactly: (-a)*b is -(a*b), so that a - (-a)*b reads a + a*b.
      if (op == Op::div && is_number(a, 0.0)) return number_node(0.0);
      if (op == Op::div && is_number(b, 1.0)) return a;
      if (a->op == Op::neg) return negate_node(binary_node(op, a->a, b));
      if (b->op == Op::neg) return negate_node(binary_node(op, a, b->a));
      break;
    default:
      if (is_number(b, 1.0)) return a;
      if (is_number(b, 0.0) || is_number(a, 1.0)) return number_node(1.0);
  }
  return written_node(op, a, b);
}

Expr negate_node(const Expr& a) {
  if (a->op == Op::neg) return a->a;
  if (a->op == Op::number) return number_node(-a->value);
  return written_node(Op::neg, a);
}

Expr call_node(std::uint8_t function, const Expr& a) {
  auto made = std::const_pointer_cast<Node>(written_node(Op::function, a));
  made->index = function;
  return made;
}

bool depends_on_x(const Expr& e) {
  if (e->op == Op::variable) return e->index == 0;
  return (e->a && depends_on_x(e->a)) || (e->b && depends_on_x(e->b));
}

/// d(a^b)/dx: b a^(b-1) a' for b free of x, a^b log(a) b' for a free of x, else
/// a^b (b' log(a) + b a'/a).
Expr power_derivative(const Expr& a, const Expr& b) {
  const Expr da = derivative(a);
  const Expr db = derivative(b);
  const Expr power = binary_node(Op::pow, a, b);
  if (!depends_on_x(b)) {
    return mul(mul(b, binary_node(Op::pow, a, binary_node(Op::sub, b, num(1.0)))), da);
  }
  if (!depends_on_x(a)) return mul(mul(power, fn("log", a)), db);
  return mul(power,
             binary_node(Op::add, mul(db, fn("log", a)), binary_node(Op::div, mul(b, da), a)));
}

Expr derivative(const Expr& e) {
  switch (e->op) {
    case Op::number:
    case Op::constant:
      return number_node(0.0);
    case Op::variable:
      return number_node(e->index == 0 ? 1.0 : 0.0);
    case Op::add:
    case Op::sub:
      return binary_node(e->op, derivative(e->a), derivative(e->b));
    case Op::mul:
      return binary_node(Op::add, mul(derivative(e->a), e->b), mul(e->a, derivative(e->b)));
    case Op::div:
      if (!depends_on_x(e->b)) return binary_node(Op::div, derivative(e->a), e->b);
      return binary_node(
          Op::div, binary_node(Op::sub, mul(derivative(e->a), e->b), mul(e->a, derivative(e->b))),
          sq(e->b));
    case Op::pow:
      return power_derivative(e->a, e->b);
    case Op::neg:
      return negate_node(derivative(e->a));
    case Op::function:
      return mul(kFunctions[e->index].derivative(e->a), derivative(e->a));
  }
  return number_node(0.0);
}

Expr substitute(const Expr& e, std::span<const Expr> with) {
  switch (e->op) {
    case Op::number:
    case Op::constant:
      return e;
    case Op::variable:
      return e->index < with.size() ? with[e->index] : e;
    case Op::neg:
      return negate_node(substitute(e->a, with));
    case Op::function:
      return call_node(e->index, substitute(e->a, with));
    default:
      return binary_node(e->op, substitute(e->a, with), substitute(e->b, with));
  }
}

double evaluate(const Node& e, std::span<const double> values) {
  const double a = e.a ? evaluate(*e.a, values) : 0.0;
  const double b = e.b ? evaluate(*e.b, values) : 0.0;
  if (is_exponential(e)) return std::exp(b);
  return node_value(e.op, e.index, e.value, a, b, values);
}

bool is_exponential(const Node& e) {
  return e.op == Op::pow && e.a->op == Op::constant && kConstants[e.a->index].name == "e";
}

}  // namespace talvenor

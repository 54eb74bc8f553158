#pragma once

// Expressions of one variable x and parameters (Re, ...), as a user types a
// manufactured solution: parsed once into a tree, differentiated symbolically (d/dx,
// simplified as it is built) and evaluated in IEEE double in the order the tree is
// written. A derivative is a tree of the same kind, so the program evaluates exactly
// what it prints for the user's code: u' of "x^3" is the tree "3*x^2".

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace talvenor {

enum class Op : std::uint8_t {
  number,    ///< a literal: value
  constant,  ///< pi or e: index into kConstants
  variable,  ///< index into the parse's names: x is always 0
  add,
  sub,
  mul,
  div,
  pow,
  neg,
  function,  ///< index into kFunctions, argument a
};

struct Node;
using Expr = std::shared_ptr<const Node>;

/// One node of the tree; a and b are the operands (a alone for neg and functions).
struct Node {
  Op op = Op::number;
  double value = 0.0;      ///< a number's value
  std::uint8_t index = 0;  ///< the constant, variable or function
  Expr a, b;
  int depth = 1;  ///< 1 + the deeper operand's depth
};

/// The deepest tree the parser builds, and the deepest nesting it follows: beyond it
/// "the expression nests deeper than 100 levels".
inline constexpr int kMaxDepth = 100;

/// The names of a solution u(x): x and the Reynolds number.
inline constexpr std::array<std::string_view, 2> kSolutionNames = {"x", "Re"};
/// The names of an operator: those of a solution, then u, du/dx and d2u/dx2.
inline constexpr std::array<std::string_view, 5> kOperatorNames = {"x", "Re", "u", "u_x", "u_xx"};

/// A named constant.
struct Constant {
  std::string_view name;
  double value;
};
inline constexpr std::array<Constant, 2> kConstants = {
    {{"pi", 3.141592653589793}, {"e", 2.718281828459045}}};

/// One function of the language: its name, value (at one point, and at each of n
/// points: out[i] = value(a[i]), the same call), the derivative d f(a)/da as a tree
/// of a, and how C, Fortran, Python and LaTeX write it.
struct Function {
  std::string_view name;
  double (*value)(double);
  void (*values)(const double* a, double* out, std::size_t n);
  Expr (*derivative)(const Expr& a);
  std::string_view c, fortran, python, latex;
};
/// The functions, in the order the manual and the messages list them.
std::span<const Function> functions();

/// Parses `text` over `names` (x first). Throws Error (usage) for a syntax error, an
/// unknown name or function, or nesting beyond kMaxDepth: the complaint headed by
/// `where`, then the expression with a caret under the place:
///   parse_expression("x^^2", "--solution", kSolutionNames) throws
///   "--solution: a number, a name or ( is expected at character 3:\n  x^^2\n    ^"
Expr parse_expression(std::string_view text, std::string_view where,
                      std::span<const std::string_view> names);

/// A node as written, never simplified: the parser's, so that u is evaluated in the
/// user's order.
Expr written_node(Op op, const Expr& a, const Expr& b = {});

// Building trees: each simplifies as it builds (no 0*a, 1*a, a^1, a+0, --a; numbers
// folded when the result is finite): mul(number_node(1), x) is x, add(number_node(2),
// number_node(3)) is 5.
Expr number_node(double value);
Expr constant_node(std::uint8_t index);
Expr variable_node(std::uint8_t index);
Expr binary_node(Op op, const Expr& a, const Expr& b);
Expr negate_node(const Expr& a);
Expr call_node(std::uint8_t function, const Expr& a);
bool is_number(const Expr& e, double value);

/// Whether e depends on variable 0, x.
bool depends_on_x(const Expr& e);

/// d e / d(variable 0), simplified: derivative("sin(2*x)") is "cos(2*x)*2".
Expr derivative(const Expr& e);

/// e with each variable i replaced by with[i] (a variable beyond with's size is kept):
/// how an operator in u, u_x, u_xx becomes a tree in x.
Expr substitute(const Expr& e, std::span<const Expr> with);

/// Whether e is e^a, which is evaluated and printed as exp(a): the exponential, not
/// the power of a rounded e.
bool is_exponential(const Node& e);

/// a op b for a binary op, as every evaluation computes it: the power by std::pow
/// whatever b is (pow(x, 2.0) is not x*x to the bit everywhere).
template <Op kOp>
inline double binary_value(double a, double b) {
  if constexpr (kOp == Op::add) {
    return a + b;
  } else if constexpr (kOp == Op::sub) {
    return a - b;
  } else if constexpr (kOp == Op::mul) {
    return a * b;
  } else if constexpr (kOp == Op::div) {
    return a / b;
  } else {
    static_assert(kOp == Op::pow);
    return std::pow(a, b);
  }
}
/// The value of a node of op (index and value as in Node) whose operands have the
/// values a and b (unused where it has none), where variable i is values[i]:
/// node_value(Op::sub, 0, 0, 5, 3, {}) -> 2. Every evaluation's one home.
double node_value(Op op, std::uint8_t index, double value, double a, double b,
                  std::span<const double> values);

/// The value of e where variable i is values[i]: evaluate("x^2", {3}) -> 9. A tree
/// walk, the reference for Tape (expression/tape.hpp), which gives the same bits at
/// many points for a fraction of the cost.
double evaluate(const Node& e, std::span<const double> values);

/// Whether e is, after simplification, the number 0.
inline bool is_zero(const Expr& e) {
  return is_number(e, 0.0);
}

/// The languages the source of a solution is printed in.
enum class Language : std::uint8_t { c, fortran, python, latex };
/// Their names on the command line, in Language order.
inline constexpr std::array<std::string_view, 4> kLanguageNames = {"c", "fortran", "python",
                                                                   "latex"};

/// e as an expression of `language` over `names`: "x^2" -> C "pow(x, 2.0)", Fortran
/// "x**2.0d0", Python "x**2.0", LaTeX "x^{2}".
std::string print_expression(const Expr& e, Language language,
                             std::span<const std::string_view> names);

}  // namespace talvenor

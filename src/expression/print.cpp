// Expressions written in C, Fortran, Python and LaTeX. Parentheses keep the tree's
// order of evaluation, so the user's compiler evaluates what the program evaluates:
// a + (b + c) keeps its parentheses, a - b - c needs none.

#include <algorithm>
#include <string>

#include "expression/expression.hpp"
#include "textio/shortest_text.hpp"

namespace talvenor {
namespace {

/// The exponential, which e^a is printed as.
const Function& exponential() {
  const auto all = functions();
  return *std::find_if(all.begin(), all.end(), [](const Function& f) { return f.name == "exp"; });
}

enum Precedence { kSum = 1, kProduct = 2, kNegation = 3, kPower = 4, kAtom = 5 };

Precedence precedence(const Node& e, Language language) {
  switch (e.op) {
    case Op::add:
    case Op::sub:
      return kSum;
    case Op::mul:
      return kProduct;
    case Op::div:
      return language == Language::latex ? kAtom : kProduct;
    case Op::neg:
      return kNegation;
    case Op::pow:
      return language == Language::c ? kAtom : kPower;
    case Op::number:
      return e.value < 0.0 ? kNegation : kAtom;
    default:
      return kAtom;
  }
}

/// A literal of the language: 2 -> C "2.0", Fortran "2.0d0"; 1e-05 -> Fortran "1.0d-05".
std::string literal(double value, Language language) {
  std::string text = shortest(value);
  if (language == Language::latex) {
    const std::size_t e = text.find('e');
    if (e == std::string::npos) return text;
    const int exponent = std::stoi(text.substr(e + 1));
    return text.substr(0, e) + " \\cdot 10^{" + std::to_string(exponent) + "}";
  }
  const std::size_t e = text.find('e');
  std::string mantissa = text.substr(0, e);
  if (mantissa.find('.') == std::string::npos) mantissa += ".0";
  const std::string exponent = e == std::string::npos ? "" : text.substr(e + 1);
  if (language == Language::fortran) return mantissa + "d" + (exponent.empty() ? "0" : exponent);
  return mantissa + (exponent.empty() ? "" : "e" + exponent);
}

class Printer {
 public:
  Printer(Language language, std::span<const std::string_view> names)
      : language_(language), names_(names) {}

  std::string print(const Node& e) const {
    switch (e.op) {
      case Op::number:
        return literal(e.value, language_);
      case Op::constant:
        return constant(e.index);
      case Op::variable:
        return variable(e.index);
      case Op::neg:
        return "-" + after_operator(*e.a, kProduct);
      case Op::function:
        return function(e);
      case Op::pow:
        return power(e);
      case Op::div:
        if (language_ == Language::latex) {
          return "\\frac{" + print(*e.a) + "}{" + print(*e.b) + "}";
        }
        [[fallthrough]];
      default:
        return binary(e);
    }
  }

 private:
  /// e, in parentheses when its precedence is below `least`.
  std::string operand(const Node& e, int least) const {
    const std::string text = print(e);
    if (precedence(e, language_) >= least) return text;
    return language_ == Language::latex ? "\\left(" + text + "\\right)" : "(" + text + ")";
  }

  /// An operand after an operator: one that begins with a minus is bracketed too, as
  /// Fortran allows no a + -b and C reads --x as a decrement.
  std::string after_operator(const Node& e, int least) const {
    const std::string text = operand(e, least);
    if (!text.starts_with('-')) return text;
    return language_ == Language::latex ? "\\left(" + text + "\\right)" : "(" + text + ")";
  }

  std::string binary(const Node& e) const {
    const int own = precedence(e, language_);
    const char* const symbols[] = {" + ", " - ", "*", "/"};
    std::string symbol = symbols[static_cast<int>(e.op) - static_cast<int>(Op::add)];
    if (language_ == Language::latex && e.op == Op::mul) symbol = " \\cdot ";
    return operand(*e.a, own) + symbol + after_operator(*e.b, own + 1);
  }

  std::string power(const Node& e) const {
    if (is_exponential(e)) return applied(exponential(), *e.b);
    if (language_ == Language::c) return "pow(" + print(*e.a) + ", " + print(*e.b) + ")";
    if (language_ == Language::latex) {
      return operand(*e.a, kAtom) + "^{" + print(*e.b) + "}";
    }
    return operand(*e.a, kAtom) + "**" + after_operator(*e.b, kPower);
  }

  std::string function(const Node& e) const { return applied(functions()[e.index], *e.a); }

  /// f(argument) in the language: C "fabs(x)", Python "math.sin(x)", LaTeX "\\sin\\left(x\\right)".
  std::string applied(const Function& f, const Node& argument) const {
    switch (language_) {
      case Language::c:
        return std::string(f.c) + "(" + print(argument) + ")";
      case Language::fortran:
        return std::string(f.fortran) + "(" + print(argument) + ")";
      case Language::python:
        return std::string(f.python) + "(" + print(argument) + ")";
      case Language::latex:
        break;
    }
    if (f.name == "sqrt") return "\\sqrt{" + print(argument) + "}";
    if (f.name == "abs") return "\\left|" + print(argument) + "\\right|";
    return std::string(f.latex) + "\\left(" + print(argument) + "\\right)";
  }

  std::string constant(std::uint8_t index) const {
    const Constant& c = kConstants[index];
    if (language_ == Language::python) return "math." + std::string(c.name);
    if (language_ == Language::latex) return c.name == "pi" ? "\\pi" : std::string(c.name);
    return literal(c.value, language_);
  }

  std::string variable(std::uint8_t index) const {
    const std::string name(names_[index]);
    return language_ == Language::latex && name.size() > 1 ? "\\mathrm{" + name + "}" : name;
  }

  Language language_;
  std::span<const std::string_view> names_;
};

}  // namespace

std::string print_expression(const Expr& e, Language language,
                             std::span<const std::string_view> names) {
  return Printer(language, names).print(*e);
}

}  // namespace talvenor

// The parser of expressions: recursive descent over
//   sum     = product { ("+" | "-") product }
//   product = unary { ("*" | "/") unary }
//   unary   = "-" unary | "+" unary | power          (-x^2 is -(x^2), -2 a number)
//   power   = primary [ "^" unary ]                  (2^3^2 is 2^(3^2), 2^-x allowed)
//   primary = number | name | name "(" sum ")" | "(" sum ")"
// Every recursion and every node counts against kMaxDepth, so no input, however long
// or deep, overflows the stack.

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <string>

#include "expression/expression.hpp"
#include "system/error.hpp"

namespace talvenor {
namespace {

/// The names, listed for a message: "x, Re, pi, e".
template <typename Range, typename Name>
std::string listed(const Range& range, Name name) {
  std::string text;
  for (const auto& item : range) text += (text.empty() ? "" : ", ") + std::string(name(item));
  return text;
}

class Parser {
 public:
  Parser(std::string_view text, std::string_view where, std::span<const std::string_view> names)
      : text_(text), where_(where), names_(names) {}

  Expr parse() {
    skip_blanks();
    if (at_ == text_.size()) fail("the expression is empty");
    Expr e = sum();
    if (at_ < text_.size()) fail(text_[at_] == ')' ? "this ) has no (" : "an operator is expected");
    return e;
  }

 private:
  [[noreturn]] void fail(const std::string& complaint) const { fail_at(at_, complaint); }

  [[noreturn]] void fail_at(std::size_t place, const std::string& complaint) const {
    std::string shown(text_);
    std::replace_if(
        shown.begin(), shown.end(), [](char c) { return c < ' ' || c > '~'; }, '?');
    throw Error(Error::Kind::usage, std::string(where_) + ": " + complaint + " at character " +
                                        std::to_string(place + 1) + ":\n  " + shown + "\n  " +
                                        std::string(place, ' ') + "^");
  }

  void skip_blanks() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t')) ++at_;
  }

  bool take(char c) {
    if (at_ >= text_.size() || text_[at_] != c) return false;
    ++at_;
    skip_blanks();
    return true;
  }

  /// A node, refused when the tree would nest deeper than kMaxDepth.
  Expr checked(Expr e, std::size_t place) const {
    if (e->depth > kMaxDepth) too_deep(place);
    return e;
  }

  [[noreturn]] void too_deep(std::size_t place) const {
    fail_at(place, "the expression nests deeper than " + std::to_string(kMaxDepth) +
                       " levels; write it with fewer parentheses, operators or functions");
  }

  /// Counts one level of recursion for as long as it lives.
  struct Level {
    explicit Level(Parser& parser) : p(parser) {
      if (++p.levels_ > kMaxDepth) p.too_deep(p.at_);
    }
    ~Level() { --p.levels_; }
    Parser& p;
  };

  Expr sum() {
    Level level(*this);
    return left_chain("+-", Op::add, Op::sub, &Parser::product);
  }

  Expr product() { return left_chain("*/", Op::mul, Op::div, &Parser::unary); }

  /// operand { op operand }, left to right: symbols[0] is `first`, symbols[1] `second`.
  Expr left_chain(std::string_view symbols, Op first, Op second, Expr (Parser::*operand)()) {
    Expr e = (this->*operand)();
    while (at_ < text_.size() && symbols.find(text_[at_]) != std::string_view::npos) {
      const Op op = text_[at_] == symbols[0] ? first : second;
      const std::size_t place = at_;
      take(text_[at_]);
      e = checked(written_node(op, e, (this->*operand)()), place);
    }
    return e;
  }

  Expr unary() {
    Level level(*this);
    const std::size_t place = at_;
    if (take('-')) {
      // -2 is the number -2: negation is exact, and the derivative folds 2^-2 - 1.
      const Expr operand = unary();
      if (operand->op == Op::number) return number_node(-operand->value);
      return checked(written_node(Op::neg, operand), place);
    }
    if (take('+')) return unary();
    Expr base = primary();
    if (!take('^')) return base;
    return checked(written_node(Op::pow, base, unary()), place);
  }

  Expr primary() {
    const std::size_t place = at_;
    if (take('(')) {
      Expr e = sum();
      if (!take(')')) fail("a ) is missing");
      return e;
    }
    if (at_ < text_.size() &&
        (std::isdigit(static_cast<unsigned char>(text_[at_])) || text_[at_] == '.')) {
      return literal();
    }
    if (at_ < text_.size() && (std::isalpha(static_cast<unsigned char>(text_[at_])))) {
      return named(place);
    }
    fail("a number, a name or ( is expected");
  }

  /// digits [. digits] [e|E [+|-] digits], or . digits: 2, 0.5, .5, 1e-3, 2.5E+2.
  Expr literal() {
    const std::size_t start = at_;
    const auto digits = [&] {
      while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_]))) ++at_;
    };
    digits();
    if (at_ < text_.size() && text_[at_] == '.') ++at_, digits();
    const std::size_t mantissa_end = at_;
    if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
      std::size_t exponent = at_ + 1;
      if (exponent < text_.size() && (text_[exponent] == '+' || text_[exponent] == '-')) ++exponent;
      if (exponent < text_.size() && std::isdigit(static_cast<unsigned char>(text_[exponent]))) {
        at_ = exponent;
        digits();
      }
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(text_.data() + start, text_.data() + at_, value);
    if (mantissa_end == start + 1 && text_[start] == '.') fail_at(start, "a digit is missing");
    if (error != std::errc() || end != text_.data() + at_ || !std::isfinite(value)) {
      fail_at(start, "this number is out of the range of double precision");
    }
    skip_blanks();
    return number_node(value);
  }

  Expr named(std::size_t place) {
    while (at_ < text_.size() &&
           (std::isalnum(static_cast<unsigned char>(text_[at_])) || text_[at_] == '_')) {
      ++at_;
    }
    const std::string_view name = text_.substr(place, at_ - place);
    skip_blanks();
    if (at_ < text_.size() && text_[at_] == '(') return applied(name, place);
    const auto known = std::find(names_.begin(), names_.end(), name);
    if (known != names_.end())
      return variable_node(static_cast<std::uint8_t>(known - names_.begin()));
    const auto constant_found = std::find_if(kConstants.begin(), kConstants.end(),
                                             [&](const Constant& c) { return c.name == name; });
    if (constant_found != kConstants.end()) {
      return constant_node(static_cast<std::uint8_t>(constant_found - kConstants.begin()));
    }
    if (function_index(name) < functions().size()) {
      fail_at(place, std::string(name) + " is a function: write " + std::string(name) + "(...)");
    }
    const auto name_of = [](auto n) { return n; };
    fail_at(place, "'" + std::string(name) + "' is not a known name; the names are " +
                       listed(names_, name_of) + ", " +
                       listed(kConstants, [](const Constant& c) { return c.name; }));
  }

  Expr applied(std::string_view name, std::size_t place) {
    const std::size_t index = function_index(name);
    if (index == functions().size()) {
      fail_at(place, "'" + std::string(name) + "' is not a known function; the functions are " +
                         listed(functions(), [](const Function& f) { return f.name; }));
    }
    take('(');
    Expr argument = sum();
    if (!take(')')) fail("a ) is missing");
    return checked(call_node(static_cast<std::uint8_t>(index), argument), place);
  }

  static std::size_t function_index(std::string_view name) {
    const auto all = functions();
    return static_cast<std::size_t>(
        std::find_if(all.begin(), all.end(), [&](const Function& f) { return f.name == name; }) -
        all.begin());
  }

  std::string_view text_;
  std::string_view where_;
  std::span<const std::string_view> names_;
  std::size_t at_ = 0;
  int levels_ = 0;
};

}  // namespace

Expr parse_expression(std::string_view text, std::string_view where,
                      std::span<const std::string_view> names) {
  return Parser(text, where, names).parse();
}

}  // namespace talvenor

#pragma once

// Trees compiled for evaluation at many points. u, u' and u'' share much (each
// derivative of e^x holds exp(x), each of a quotient its divisor), and evaluate()
// walks every copy at every point. A Tape is one straight list of steps holding each
// distinct subexpression once, equal structure wherever it sits; the steps free of x
// run once per binding of the parameters (e - 1, log(e), 2*Re: once per mesh), the
// others over a block of points at a time, each step one loop of one operation, so
// that nothing is dispatched or allocated per point. A step is the operation
// evaluate() applies, to the same operands, in the same order of operands: every
// value is evaluate()'s to the bit.
//   Tape({u, du, d2u}) of "(e^x-1)/(e-1)": exp(x) once a point (evaluate(): three
//   times), e - 1 and log(e) once a binding; its first root alone is u's three steps
//   a point: exp, - 1, / (e - 1).

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "expression/expression.hpp"

namespace talvenor {

class Tape {
 public:
  /// The points of one block: each register of a run holds this many values.
  static constexpr std::size_t kBlock = 256;

  Tape() = default;
  /// Compiles `roots`, trees over the variables x (index 0) and parameters (1, ...).
  /// Their steps come in root order, so that the first k roots evaluate alone.
  explicit Tape(std::span<const Expr> roots);

  /// The steps a point costs for the first k roots (those free of x cost nothing):
  /// 3 for u of "(e^x-1)/(e-1)", 7 with u' and u'' (evaluate(): 4 operations, and
  /// 16 with u' and u'', exp three times and log three times).
  std::size_t point_steps(std::size_t k) const { return prefixes_[k].varying; }

  /// The first k roots at points: bound once, then block after block.
  class Run;

 private:
  friend struct TapeCompiler;
  /// An operand: a register of the block (a value a point) or a fixed value.
  struct Place {
    std::uint32_t slot = 0;
    bool varies = false;
  };
  /// out = op(a, b), or a number, constant or parameter (index, value as in Node);
  /// e^b is the function exp of b, as evaluate() takes it.
  struct Step {
    Op op = Op::number;
    std::uint8_t index = 0;
    Place a, b;
    std::uint32_t out = 0;
    double value = 0.0;
  };
  /// The steps of the first k roots: fixed_[0, fixed) and varying_[0, varying).
  struct Prefix {
    std::size_t fixed = 0, varying = 0;
  };
  std::vector<Step> fixed_, varying_;
  std::vector<Place> roots_;
  std::vector<Prefix> prefixes_ = {Prefix{}};  ///< prefixes_[k]: the first k roots
  std::uint32_t fixed_slots_ = 0;
  std::uint32_t block_slots_ = 1;  ///< block register 0 holds the points, x
};

/// The registers of one evaluation: Run(tape, {0, Re}, 3) binds Re (values as
/// evaluate() takes them, values[0] unused: x is each point), evaluates the fixed
/// steps of the first three roots; at(x) then fills root(k)[i] with root k at x[i].
/// Allocates once, at construction; a run is for one thread.
class Tape::Run {
 public:
  Run(const Tape& tape, std::span<const double> values, std::size_t roots);
  /// Evaluates the roots at the points x, at most kBlock of them.
  void at(std::span<const double> x);
  /// Root k's values at the points of the last at(), in their order.
  const double* root(std::size_t k) const { return roots_[k]; }

 private:
  const double* operand(Place p) const;
  void run(const Step& step, std::size_t n);

  const Tape* tape_;
  std::size_t steps_;
  std::vector<double> fixed_, block_, filled_;  ///< filled_: a fixed root's block
  std::vector<const double*> roots_;
};

}  // namespace talvenor

#include "expression/tape.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <limits>
#include <map>
#include <tuple>
#include <unordered_map>

namespace talvenor {

/// Builds a tape in two passes. The first walks the trees (each node once, by
/// address: derivatives share their subtrees, and a walk of the trees as trees can
/// take exponential time) and keeps one step per structure (op, index, value,
/// operands), numbering the values it makes. The second gives the block values
/// registers, a register free again after the last step that reads it: the block
/// needs as many registers as values live at once, not one per subexpression.
struct TapeCompiler {
  using Place = Tape::Place;
  using Key = std::tuple<Op, std::uint8_t, std::uint64_t, std::uint64_t, std::uint64_t>;

  Tape& tape;
  std::uint8_t exp_index;
  std::unordered_map<const Node*, Place> seen;
  std::map<Key, Place> made;
  std::uint32_t block_values = 1;  // value 0 is x

  static std::uint64_t packed(Place p) { return (std::uint64_t{p.slot} << 1) | p.varies; }

  Place place(const Node& e) {
    if (const auto found = seen.find(&e); found != seen.end()) return found->second;
    const Place p = compiled(e);
    seen.emplace(&e, p);
    return p;
  }

  Place compiled(const Node& e) {
    if (e.op == Op::variable && e.index == 0) return {0, true};
    Tape::Step step{e.op, e.index, {}, {}, 0, e.op == Op::number ? e.value : 0.0};
    if (is_exponential(e)) {
      step.op = Op::function;
      step.index = exp_index;
      step.a = place(*e.b);
    } else {
      if (e.a) step.a = place(*e.a);
      if (e.b) step.b = place(*e.b);
    }
    const Key key{step.op, step.index, std::bit_cast<std::uint64_t>(step.value), packed(step.a),
                  packed(step.b)};
    if (const auto found = made.find(key); found != made.end()) return found->second;
    const bool varies = step.a.varies || step.b.varies;
    step.out = varies ? block_values++ : tape.fixed_slots_++;
    (varies ? tape.varying_ : tape.fixed_).push_back(step);
    return made.emplace(key, Place{step.out, varies}).first->second;
  }

  /// Block values (numbered in order of making) to registers, reused.
  void allocate() {
    constexpr std::size_t kKept = std::numeric_limits<std::size_t>::max();
    std::vector<std::size_t> last_read(block_values, 0);
    last_read[0] = kKept;
    for (const Place& root : tape.roots_) {
      if (root.varies) last_read[root.slot] = kKept;
    }
    for (std::size_t j = 0; j < tape.varying_.size(); ++j) {
      for (const Place& p : {tape.varying_[j].a, tape.varying_[j].b}) {
        if (p.varies) last_read[p.slot] = std::max(last_read[p.slot], j);
      }
    }
    std::vector<std::uint32_t> slot(block_values, 0), free;
    for (std::size_t j = 0; j < tape.varying_.size(); ++j) {
      Tape::Step& step = tape.varying_[j];
      const Place a = step.a, b = step.b;
      std::uint32_t& out = slot[step.out];
      if (free.empty()) {
        out = tape.block_slots_++;
      } else {
        out = free.back();
        free.pop_back();
      }
      step.out = out;
      if (a.varies) step.a.slot = slot[a.slot];
      if (b.varies) step.b.slot = slot[b.slot];
      if (a.varies && last_read[a.slot] == j) free.push_back(slot[a.slot]);
      if (b.varies && last_read[b.slot] == j && !(a.varies && a.slot == b.slot)) {
        free.push_back(slot[b.slot]);
      }
    }
    for (Place& root : tape.roots_) {
      if (root.varies) root.slot = slot[root.slot];
    }
  }
};

namespace {

std::uint8_t exp_function() {
  const auto all = functions();
  const auto found =
      std::find_if(all.begin(), all.end(), [](const Function& f) { return f.name == "exp"; });
  return static_cast<std::uint8_t>(found - all.begin());
}

/// out[i] = a op b at n points, a or b fixed (one value) where it does not vary.
template <Op kOp>
void binary_values(const double* a, bool a_varies, const double* b, bool b_varies, double* out,
                   std::size_t n) {
  if (a_varies && b_varies) {
    for (std::size_t i = 0; i < n; ++i) out[i] = binary_value<kOp>(a[i], b[i]);
  } else if (a_varies) {
    const double fixed = *b;
    for (std::size_t i = 0; i < n; ++i) out[i] = binary_value<kOp>(a[i], fixed);
  } else {
    const double fixed = *a;
    for (std::size_t i = 0; i < n; ++i) out[i] = binary_value<kOp>(fixed, b[i]);
  }
}

}  // namespace

Tape::Tape(std::span<const Expr> roots) {
  TapeCompiler compiler{*this, exp_function(), {}, {}};
  for (const Expr& root : roots) {
    roots_.push_back(compiler.place(*root));
    prefixes_.push_back({fixed_.size(), varying_.size()});
  }
  compiler.allocate();
}

Tape::Run::Run(const Tape& tape, std::span<const double> values, std::size_t roots)
    : tape_(&tape),
      steps_(tape.prefixes_[roots].varying),
      fixed_(tape.fixed_slots_),
      block_(tape.block_slots_ * kBlock),
      filled_(roots * kBlock) {
  const auto fixed = std::span(tape.fixed_).first(tape.prefixes_[roots].fixed);
  for (const Step& s : fixed) {
    fixed_[s.out] = node_value(s.op, s.index, s.value, fixed_[s.a.slot], fixed_[s.b.slot], values);
  }
  for (std::size_t k = 0; k < roots; ++k) {
    const Place p = tape.roots_[k];
    double* const filled = filled_.data() + k * kBlock;
    if (!p.varies) std::fill_n(filled, kBlock, fixed_[p.slot]);
    roots_.push_back(p.varies ? block_.data() + p.slot * kBlock : filled);
  }
}

const double* Tape::Run::operand(Place p) const {
  return p.varies ? block_.data() + p.slot * kBlock : fixed_.data() + p.slot;
}

void Tape::Run::run(const Step& step, std::size_t n) {
  const double* const a = operand(step.a);
  const double* const b = operand(step.b);
  double* const out = block_.data() + step.out * kBlock;
  switch (step.op) {
    case Op::neg:
      for (std::size_t i = 0; i < n; ++i) out[i] = -a[i];
      break;
    case Op::function:
      functions()[step.index].values(a, out, n);
      break;
    default: {  // a leaf never varies: a binary op is left
      constexpr std::array kBinary = {binary_values<Op::add>, binary_values<Op::sub>,
                                      binary_values<Op::mul>, binary_values<Op::div>,
                                      binary_values<Op::pow>};
      const auto which = static_cast<std::size_t>(step.op) - static_cast<std::size_t>(Op::add);
      kBinary[which](a, step.a.varies, b, step.b.varies, out, n);
    }
  }
}

void Tape::Run::at(std::span<const double> x) {
  std::copy(x.begin(), x.end(), block_.begin());
  for (std::size_t j = 0; j < steps_; ++j) run(tape_->varying_[j], x.size());
}

}  // namespace talvenor

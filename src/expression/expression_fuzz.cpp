// Fuzz target of the expression parser: any text either parses into a tree no deeper
// than kMaxDepth, whose derivatives build, evaluate (the compiled tape to the tree
// walk's bits) and print, or ends in a usage error whose lines are printable and
// whose last line is a caret. A crash, a stack
// overflow, a hang, undefined behaviour or any other exception is a finding.

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include "expression/manufactured.hpp"
#include "system/error.hpp"

namespace {

/// Printable ASCII lines, the last one blanks and a caret.
bool is_report(std::string_view message) {
  const bool printable = std::all_of(message.begin(), message.end(), [](char c) {
    return c == '\n' ||
           (static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7F);
  });
  const std::string_view last = message.substr(message.rfind('\n') + 1);
  return printable && !last.empty() && last.back() == '^' &&
         last.find_first_not_of(' ') == last.size() - 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  talvenor::Manufactured m;
  try {
    m = talvenor::manufacture(text, "--solution");
  } catch (const talvenor::Error& error) {
    if (error.kind() != talvenor::Error::Kind::usage || !is_report(error.what())) std::abort();
    return 0;
  }
  if (m.u->depth > talvenor::kMaxDepth) std::abort();
  const double values[] = {0.375, 7.0};
  const double tree = talvenor::evaluate(*m.d2u, values);
  talvenor::Tape::Run run(m.tape, values, 3);
  run.at(std::span(values, 1));
  const double taped = run.root(2)[0];
  const bool same = std::bit_cast<std::uint64_t>(tree) == std::bit_cast<std::uint64_t>(taped) ||
                    (std::isnan(tree) && std::isnan(taped));
  if (!same) std::abort();
  (void)talvenor::print_expression(m.du, talvenor::Language::fortran, talvenor::kSolutionNames);
  return 0;
}

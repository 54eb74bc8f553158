// Fuzz target of talvenor-study's option parser: any arguments (the input cut at its
// NUL bytes) either parse into options the study can use or end in one printable line
// of usage (an expression's, of --solution, --source or --operator, followed by the
// expression and a caret under the place). A crash, a hang, undefined behaviour, any
// other exception or a broken report is a finding.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "study/options.hpp"
#include "system/error.hpp"

namespace {

/// One line of printable ASCII.
bool is_one_line(std::string_view message) {
  return std::all_of(message.begin(), message.end(), [](char c) {
    return static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7F;
  });
}

/// One printable line, or such a line, the expression and a line of blanks and a caret.
bool is_report(std::string_view message) {
  const std::size_t first = message.find('\n');
  if (first == std::string_view::npos) return is_one_line(message);
  const std::size_t second = message.find('\n', first + 1);
  if (second == std::string_view::npos) return false;
  const std::string_view caret = message.substr(second + 1);
  return is_one_line(message.substr(0, first)) &&
         is_one_line(message.substr(first + 1, second - first - 1)) && !caret.empty() &&
         caret.find_first_not_of(' ') == caret.size() - 1 && caret.back() == '^';
}

/// Each value once, each within [low, high].
template <typename T>
bool distinct_within(std::vector<T> values, T low, T high) {
  std::sort(values.begin(), values.end());
  return std::adjacent_find(values.begin(), values.end()) == values.end() &&
         std::all_of(values.begin(), values.end(), [&](T value) {
           return std::isfinite(double(value)) && value >= low && value <= high;
         });
}

/// Each typed solution parsed, and each once.
bool distinct_formulas(const std::vector<std::shared_ptr<const talvenor::Manufactured>>& typed) {
  std::vector<std::string> formulas;
  for (const auto& solution : typed) {
    if (!solution || !solution->u) return false;
    formulas.push_back(solution->formula);
  }
  std::sort(formulas.begin(), formulas.end());
  return std::adjacent_find(formulas.begin(), formulas.end()) == formulas.end();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> arguments;
  for (std::size_t at = 0; at <= bytes.size();) {
    const std::size_t end = std::min(bytes.find('\0', at), bytes.size());
    arguments.push_back(bytes.substr(at, end - at));
    at = end + 1;
  }
  talvenor::StudyOptions options;
  try {
    options = talvenor::parse_options(arguments);
  } catch (const talvenor::Error& error) {
    if (error.kind() != talvenor::Error::Kind::usage || !is_report(error.what())) std::abort();
    return 0;
  }
  // What the study relies on: two or more even meshes from coarse to fine, a thread at
  // least, a prefix that names something, swept values in range and each once, each
  // typed solution once; --source with its language.
  const auto& meshes = options.meshes;
  const bool meshes_usable =
      meshes.empty() ||
      (meshes.size() >= 2 && meshes.front() >= 2 &&
       std::all_of(meshes.begin(), meshes.end(), [](std::int32_t N) { return N % 2 == 0; }) &&
       std::adjacent_find(meshes.begin(), meshes.end(), std::greater_equal<>()) == meshes.end());
  const talvenor::Sweep& sweep = options.sweep;
  const double huge = HUGE_VAL;
  if (!meshes_usable || (options.jobs && *options.jobs < 1) ||
      (options.output && options.output->empty()) ||
      !distinct_within<std::int32_t>(sweep.esquema, 0, 2) ||
      !distinct_within<std::int32_t>(sweep.fonte, 0, 4) ||
      !distinct_within(sweep.Re, -huge, huge) || !distinct_within(sweep.beta, -huge, huge) ||
      !distinct_formulas(sweep.solution) || (options.source && !options.language)) {
    std::abort();
  }
  return 0;
}

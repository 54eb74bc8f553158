#include "input/run_names.hpp"

#include <algorithm>
#include <vector>

#include "input/value_reader.hpp"
#include "record/run_files.hpp"
#include "system/error.hpp"
#include "system/platform.hpp"

namespace talvenor {
namespace {

bool equal_ignoring_ascii_case(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char p, char q) { return lower(p) == lower(q); });
}

/// The name of the file that `name` designates in the working folder, as far as its
/// text tells; empty when it designates a file elsewhere. Both / and \ separate
/// folders (Windows takes either), "." and empty steps are dropped, ".." cancels the
/// step before it, and trailing dots and blanks are dropped as Windows does:
///   "./sub/../Talvenor.in." -> "Talvenor.in";  "sub/Talvenor.in" -> "";  "/x" -> ""
std::string_view name_in_working_folder(std::string_view name) {
  const auto is_separator = [](char c) { return c == '/' || c == '\\'; };
  if (name.empty() || is_separator(name.front())) return {};
  std::vector<std::string_view> steps;
  while (!name.empty()) {
    std::size_t end = 0;
    while (end < name.size() && !is_separator(name[end])) ++end;
    const std::string_view step = name.substr(0, end);
    name.remove_prefix(std::min(end + 1, name.size()));
    if (step == "..") {
      if (steps.empty()) return {};
      steps.pop_back();
    } else if (!step.empty() && step != ".") {
      steps.push_back(step);
    }
  }
  if (steps.size() != 1) return {};
  std::string_view file = steps.front();
  return file.substr(0, file.find_last_not_of(". ") + 1);
}

bool is_control(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

[[noreturn]] void refuse(std::string_view what, std::string_view name, std::string_view fault,
                         std::string_view remedy) {
  throw Error(Error::Kind::case_file, "the " + std::string(what) + " '" + printable(name) + "' " +
                                          std::string(fault) + "; choose another " +
                                          std::string(remedy));
}

}  // namespace

std::optional<std::string> output_name_fault(std::string_view name, std::string_view role) {
  if (const auto control = std::find_if(name.begin(), name.end(), is_control);
      control != name.end()) {
    return "holds the control byte " + printable(std::string_view(&*control, 1));
  }
  const std::string_view file = name_in_working_folder(name);
  for (std::string_view fixed : kFixedFiles) {
    if (equal_ignoring_ascii_case(file, fixed) || same_file(name, fixed)) {
      return "names the file " + std::string(fixed) + ", which the " + std::string(role) +
             " would overwrite";
    }
  }
  return std::nullopt;
}

void check_run_files(std::string_view listing, std::string_view log) {
  if (const auto fault = output_name_fault(listing, "listing")) {
    refuse("listing name", listing, *fault, "name");
  }
  if (const auto fault = output_name_fault(log, "iteration log")) {
    refuse("iteration log name", log, *fault, "case name");
  }
  if (same_file(listing, log)) {
    refuse("listing name", listing,
           "names the file " + printable(log) + ", which the iteration log would overwrite",
           "name");
  }
}

}  // namespace talvenor

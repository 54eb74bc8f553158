// Fuzz target of the case reader: any bytes either read into a complete case or
// end in the reader's one-line report. A crash, a hang, a read outside the buffer,
// undefined behaviour, any other exception or a broken report is a finding.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "input/dados.hpp"
#include "system/error.hpp"

namespace {

/// A report is one line of printable ASCII that names the case file first.
bool is_one_line_report(std::string_view message) {
  if (!message.starts_with("Talvenor.in (unit 7) line ")) return false;
  for (const char c : message) {
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  talvenor::CaseData record;
  try {
    talvenor::parse_case(record, bytes, talvenor::kCaseFile);
  } catch (const talvenor::Error& error) {
    if (error.kind() != talvenor::Error::Kind::case_file || !is_one_line_report(error.what())) {
      std::abort();
    }
    return 0;
  }
  // What the later stages rely on.
  if (record.N < 2 || record.N == INT32_MAX || record.freq < 1) std::abort();
  return 0;
}

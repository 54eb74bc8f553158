// Fuzz target of the data reader of talvenor-study --data: any bytes either read into
// studies that the analysis takes, or end in the reader's one-line report. A crash,
// a hang, a read outside the buffer, undefined behaviour, any other exception, a
// broken report or a series the analysis cannot take is a finding.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>

#include "analysis/verdict.hpp"
#include "study_sources/data_file.hpp"
#include "system/error.hpp"
#include "textio/text_helpers.hpp"


extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte chooses --dimension: none, 1, 2 or 3.
  const std::optional<int> dimension =
      data[0] % 4 == 0 ? std::nullopt : std::optional<int>(data[0] % 4);
  std::istringstream in(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  talvenor::DataFile file;
  try {
    file = talvenor::parse_data("fuzz.csv", in, dimension);
  } catch (const talvenor::Error& error) {
    // A report is one line of printable ASCII that names the data file first; a
    // --dimension given for a file of h is the command line's fault, and says so.
    const std::string message = error.what();
    const bool file_fault =
        error.kind() == talvenor::Error::Kind::case_file && message.starts_with("fuzz.csv");
    const bool dimension_fault =
        error.kind() == talvenor::Error::Kind::usage && message.starts_with("--dimension ");
    if (!(file_fault || dimension_fault) || talvenor::printable(message) != message) {
      std::abort();
    }
    return 0;
  }
  // What the analysis relies on: two meshes or more, coarse to fine, h above 0.
  for (const talvenor::DataSeries& series : file.series) {
    if (series.points.size() < 2) std::abort();
    for (std::size_t k = 0; k < series.points.size(); ++k) {
      if (!(series.points[k].h > 0.0)) std::abort();
      if (k > 0 && !(series.points[k].h < series.points[k - 1].h)) std::abort();
    }
    const talvenor::VariableStudy study =
        talvenor::analyse_variable(series.variable, talvenor::data_rows(series), 2.0, file.count);
    if (study.rows.size() != series.points.size()) std::abort();
    (void)talvenor::judge(study, 2.0);
  }
  return 0;
}

// The run driver: the run's fixed sequence of stages.

#include <iostream>
#include <string>

#include "record/variaveis.hpp"
#include "input/dados.hpp"
#include "input/run_names.hpp"
#include "results/resultados.hpp"
#include "solver/calculos.hpp"
#include "system/commands.hpp"
#include "system/error.hpp"
#include "system/fp_faults.hpp"
#include "system/platform.hpp"
#include "system/program.hpp"
#include "textio/text_file.hpp"

namespace talvenor {
namespace {

constexpr int kListingUnit = 10;

/// The listing's name: caso without trailing blanks; for a blank caso the first
/// command-line argument, else a name asked on the console until one is given.
std::string listing_name(const CaseData& data, int argc, char** argv) {
  if (!data.caso.trimmed().empty()) return std::string(data.caso.trimmed());
  if (argc > 1 && argv[1][0] != '\0') return argv[1];
  std::string answer;
  while (answer.empty()) {
    std::cout << "File name missing or blank - please enter file name\n"
              << "UNIT " << kListingUnit << "? " << std::flush;
    if (!std::getline(std::cin, answer)) {
      throw Error(Error::Kind::case_file,
                  "caso is blank and no name for the listing (unit 10) was given on the console");
    }
    if (!answer.empty() && answer.back() == '\r') answer.pop_back();
  }
  return answer;
}

void run(CaseData& data, int argc, char** argv) {
  const FolderGuard guard;
  defer_interruptions();
  clear_fp_faults();
  read_case(data);
  const std::string name = listing_name(data, argc, argv);
  check_run_files(name, log_name(data));
  TextFile listing(name, kListingUnit, "listing");
  echo_case(data, listing);
  listing.flush();  // a listing that cannot be written stops the run before the calculation
  run_calculation(data);
  write_results(data, listing);
  listing.close();
  data.command_line = show_in_editor(listing.path());
}

}  // namespace
}  // namespace talvenor

int main(int argc, char** argv) {
  talvenor::CaseData data;
  return talvenor::run_program("talvenor", [&] { talvenor::run(data, argc, argv); });
}

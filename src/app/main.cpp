// The run driver: the run's fixed sequence of stages.

#include <iostream>
#include <string>

#include "app/calculation.hpp"
#include "app/help.hpp"
#include "input/dados.hpp"
#include "input/run_names.hpp"
#include "record/variaveis.hpp"
#include "results/resultados.hpp"
#include "system/about.hpp"
#include "system/commands.hpp"
#include "system/error.hpp"
#include "system/fp_faults.hpp"
#include "system/platform.hpp"
#include "system/program.hpp"
#include "textio/text_file.hpp"
#include "textio/text_helpers.hpp"

namespace talvenor {
namespace {

constexpr int kListingUnit = 10;

/// The listing's name: caso without trailing blanks; for a blank caso the first
/// command-line argument, else a name asked on the console until one is given.
/// A name given keeps only its non-trailing blanks, so a blank one counts as none.
std::string listing_name(const CaseData& data, int argc, char** argv) {
  if (!data.caso.trimmed().empty()) return std::string(data.caso.trimmed());
  std::string name = argc > 1 ? std::string(trim_trailing_blanks(argv[1])) : std::string();
  while (name.empty()) {
    std::cout << "File name missing or blank - please enter file name\n"
              << "UNIT " << kListingUnit << "? " << std::flush;
    if (!std::getline(std::cin, name)) {
      throw Error(Error::Kind::case_file,
                  "caso is blank and no name for the listing (unit 10) was given on the console");
    }
    if (!name.empty() && name.back() == '\r') name.pop_back();
    name = std::string(trim_trailing_blanks(name));
  }
  return name;
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
  if (talvenor::answer_help_or_version(argc, argv, "talvenor", talvenor::kTalvenorHelp)) return 0;
  talvenor::CaseData data;
  return talvenor::run_program("talvenor", [&] { talvenor::run(data, argc, argv); });
}

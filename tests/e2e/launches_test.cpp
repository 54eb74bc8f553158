// What the user sees at each launch: the fake editor and plotter log every launch,
// in order, with the state of each file of the run's folder at that moment. A file
// shown must be whole (every record written and ended), a file not yet due must be
// untouched, and the case file must be read after the editor has saved it.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "e2e_support.hpp"

namespace {

using namespace e2e;

/// The program and file of each launch, "notepad Talvenor.in", in order.
std::vector<std::string> commands(const std::vector<Launch>& launches) {
  std::vector<std::string> lines;
  for (const Launch& launch : launches) lines.push_back(launch.program + " " + launch.file);
  return lines;
}

TEST(Launches, ThePlainRunShowsTheCaseBeforeReadingItAndEachOutputWhole) {
  // The case as given names another listing; the user changes it in the editor
  // to the sample case, which is what the run must read.
  const fs::path folder = prepare("example", "launches_plain");
  const fs::path case_file = folder / "Talvenor.in";
  const std::string environment = fake_launchers(folder);
  fs::rename(case_file, edits_of(folder) / "Talvenor.in");
  write_bytes(case_file, "'not-this.txt'\r\n");
  const FileState as_given = state_of(case_file);

  const Outcome outcome = run_talvenor(folder, "", environment);
  ASSERT_EQ(outcome.status, 0) << outcome.stderr_text;
  const std::vector<Launch> launches = launches_of(folder);
  ASSERT_EQ(commands(launches), (std::vector<std::string>{"notepad Talvenor.in",
                                                          "notepad teste1.txt.itn",
                                                          "notepad teste1.txt"}));
  const fs::path out = kCases / "example" / "out";
  EXPECT_EQ(launches[0].folder, (std::map<std::string, FileState>{{"Talvenor.in", as_given}}));
  EXPECT_EQ(launches[1].folder.at("teste1.txt.itn"), state_of(out / "teste1.txt.itn"));
  EXPECT_EQ(launches[2].folder.at("teste1.txt"), state_of(out / "teste1.txt"));
  EXPECT_EQ(mask_time(read_bytes(folder / "teste1.txt")), mask_time(read_bytes(out / "teste1.txt")));
}

TEST(Launches, EachPlotIsShownOnceItsScriptIsStampedAndBeforeTheNextIsTouched) {
  const fs::path folder = prepare("plots", "launches_plots");
  const std::string environment = fake_launchers(folder);
  const Outcome outcome = run_talvenor(folder, "", environment);
  ASSERT_EQ(outcome.status, 0) << outcome.stderr_text;
  const std::vector<Launch> launches = launches_of(folder);
  ASSERT_EQ(commands(launches),
            (std::vector<std::string>{"notepad Talvenor.in", "notepad plots.itn",
                                      "wgnuplot Talvenor_u.gnu", "wgnuplot Talvenor_E.gnu",
                                      "notepad plots"}));
  const fs::path in = kCases / "plots" / "in";
  const fs::path out = kCases / "plots" / "out";
  const auto& solution_plot = launches[2].folder;
  EXPECT_EQ(solution_plot.at("Talvenor_u.dat"), state_of(out / "Talvenor_u.dat"));
  EXPECT_EQ(solution_plot.at("Talvenor_u.gnu"), state_of(out / "Talvenor_u.gnu"));
  EXPECT_EQ(solution_plot.at("Talvenor_E.gnu"), state_of(in / "Talvenor_E.gnu"));
  EXPECT_EQ(launches[3].folder.at("Talvenor_E.gnu"), state_of(out / "Talvenor_E.gnu"));
  EXPECT_EQ(launches[4].folder.at("plots"), state_of(out / "plots"));
}

}  // namespace

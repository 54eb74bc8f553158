// Hostile inputs and faults from outside: a case file from someone else, names that
// look like options or designate the run's own files, two runs at once, a full disk,
// an interruption, files that are not files. Each case checks the status, the one
// line on the standard error stream and the files left behind.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <thread>

#include "e2e_support.hpp"
#include "system/platform.hpp"

extern char** environ;

namespace {

using namespace e2e;

const fs::path kStudy = TALVENOR_STUDY;

/// A case file (CR LF) with the sample's numbers; the rest as given.
std::string case_text(const std::string& caso, const std::string& titulo = "'t'",
                      int graficos = 0, const std::string& N = "6", int itmax = 3) {
  return caso + "\r\n1\r\n1\r\n" + N + "\r\n0.5\r\n0.0\r\n" + std::to_string(itmax) + "\r\n" +
         std::to_string(graficos) + "\r\n0\r\n0\r\n1\r\n" + titulo + "\r\n";
}

/// Every file ends with its last whole record, CR LF included.
void expect_whole_records(const fs::path& file) {
  const std::string bytes = read_bytes(file);
  EXPECT_TRUE(bytes.empty() || bytes.ends_with("\r\n")) << file << " ends in a record";
}

/// `program` started in `folder` through /bin/sh with the launches off unless
/// `environment` sets them, then `tail` (arguments, redirections), not waited for;
/// the process is the program's own.
pid_t start(const fs::path& program, const fs::path& folder, const std::string& environment,
            const std::string& tail) {
  pid_t child = 0;
  const std::string text = "cd '" + folder.string() +
                           "' && exec env TALVENOR_EDITOR= TALVENOR_PLOTTER= " + environment +
                           " '" + program.string() + "' " + tail;
  char* const arguments[] = {const_cast<char*>("sh"), const_cast<char*>("-c"),
                             const_cast<char*>(text.c_str()), nullptr};
  EXPECT_EQ(posix_spawn(&child, "/bin/sh", nullptr, nullptr, arguments, environ), 0);
  return child;
}

int exit_status(pid_t child) {
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void wait_for(const std::function<bool()>& ready) {
  for (int tries = 0; tries < 1000 && !ready(); ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(ready());
}

void write_script(const fs::path& path, const std::string& body) {
  write_bytes(path, "#!/bin/sh\n" + body);
  fs::permissions(path, fs::perms::owner_all);
}

// 1. A title reaches gnuplot as one single-quoted string: an apostrophe cannot end
// it, so nothing after it runs.
TEST(Safety, TitleIsOneGnuplotString) {
  const fs::path folder =
      folder_with("safety_title", case_text("'plots'", "'x''''; system \"touch PWNED\"; #'", 1));
  const std::string plotter = fs::exists("/usr/bin/gnuplot") ? "gnuplot" : "";
  const Outcome outcome = run_talvenor(folder, "", "TALVENOR_PLOTTER='" + plotter + "'");
  EXPECT_EQ(outcome.status, 0);
  const std::string stamp = " set title 'x''''; system \"touch PWNED\"; #'\r\n replot\r\n";
  EXPECT_TRUE(read_bytes(folder / "Talvenor_u.gnu").ends_with(stamp));
  EXPECT_TRUE(read_bytes(folder / "Talvenor_E.gnu").ends_with(stamp));
  EXPECT_FALSE(fs::exists(folder / "PWNED"));
}

// 2. A listing name that begins with + reaches the editor as ./name: vim runs no
// command of it.
TEST(Safety, NameIsNeverAnEditorOption) {
  if (!fs::exists("/usr/bin/vim")) GTEST_SKIP() << "no vim here";
  const fs::path folder = folder_with("safety_option", case_text("'+!touch X'"));
  const Outcome outcome = run_talvenor(folder, "", "TALVENOR_EDITOR='vim -es -u NONE -i NONE'");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_FALSE(fs::exists(folder / "X"));
  EXPECT_TRUE(fs::exists(folder / "+!touch X"));
  EXPECT_TRUE(fs::exists(folder / "+!touch X.itn"));
}

// 3. A name that designates the case file, a plot or the log, however it is written
// and wherever it comes from, stops the run before it writes anything.
TEST(Safety, NoRunOverwritesItsOwnFiles) {
  const fs::path folder = kScratch / "safety_names";
  const std::string absolute = fs::absolute(folder).string();
  const std::string from_caso = "talvenor: Talvenor.in (unit 7) line 1 (caso): the case name '";
  const struct {
    std::string caso, arguments, console, message;
  } cases[] = {
      {"'../safety_names/Talvenor.in'", "", "",
       from_caso + "../safety_names/Talvenor.in' names the file Talvenor.in, which the listing "
                   "would overwrite; choose another case name\n"},
      // The picture does not exist yet: where it would be is what counts.
      {"'../safety_names/Talvenor_u.png'", "", "",
       from_caso + "../safety_names/Talvenor_u.png' names the file Talvenor_u.png, which the "
                   "listing would overwrite; choose another case name\n"},
      {std::string("'Talvenor.in\0x'", 16), "", "",
       from_caso + "Talvenor.in\\x00x' holds the control byte \\x00; choose another case name\n"},
      {"' '", absolute + "/Talvenor.in", "",
       "talvenor: the listing name '" + absolute +
           "/Talvenor.in' names the file Talvenor.in, which the listing would overwrite; choose "
           "another name\n"},
      {"' '", "", "./Talvenor_E.png\n",
       "talvenor: the listing name './Talvenor_E.png' names the file Talvenor_E.png, which the "
       "listing would overwrite; choose another name\n"},
      {"' '", ".itn", "",
       "talvenor: the listing name '.itn' names the file .itn, which the iteration log would "
       "overwrite; choose another name\n"},
  };
  for (const auto& c : cases) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    write_bytes(folder / "Talvenor.in", case_text(c.caso));
    const auto before = folder_files(folder);
    const Outcome outcome = run_talvenor(folder, c.arguments, "", c.console);
    EXPECT_EQ(outcome.status, 1) << c.message << outcome.stderr_text;
    EXPECT_TRUE(outcome.stderr_text == c.message) << outcome.stderr_text;
    EXPECT_EQ(folder_files(folder), before) << c.message;
  }
}

// 4. A second run in a folder where one is working stops at once and touches
// nothing; the first, whose editor saves the case file meanwhile, ends as usual.
TEST(Safety, OneRunPerFolder) {
  const fs::path folder = folder_with("safety_busy", case_text("'first'"));
  const fs::path editor = kScratch / "safety_busy_editor";
  const fs::path ready = kScratch / "safety_busy_ready";
  const fs::path go = kScratch / "safety_busy_go";
  fs::remove(ready);
  fs::remove(go);
  write_script(editor, "[ \"$1\" = Talvenor.in ] || exit 0\n"
                       "cp Talvenor.in ../safety_busy_copy && cat ../safety_busy_copy > Talvenor.in\n"
                       "touch '" + ready.string() + "'\n"
                       "while [ ! -e '" + go.string() + "' ]; do sleep 0.02; done\n");
  const pid_t first =
      start(kProgram, folder, "TALVENOR_EDITOR='" + editor.string() + "'", ">/dev/null 2>&1");
  wait_for([&] { return fs::exists(ready); });
  const auto before = folder_files(folder);

  const Outcome second = run_talvenor(folder);

  EXPECT_EQ(second.status, 7);
  EXPECT_EQ(second.stderr_text, "talvenor: another run is working in the folder '" +
                                    fs::canonical(folder).string() + "'; wait until it ends\n");
  EXPECT_EQ(folder_files(folder), before);
  write_bytes(go, "");
  EXPECT_EQ(exit_status(first), 0);
  EXPECT_TRUE(fs::exists(folder / "first"));
}

// 5a. SIGTERM in the middle of the iterations: whole records, one line, status 8.
TEST(Safety, InterruptedRunLeavesWholeRecords) {
  const fs::path folder = folder_with("safety_signal", case_text("'long'", "'t'", 0, "2000", 1000000));
  const pid_t run = start(kProgram, folder, "", "2>../safety_signal.stderr");
  wait_for([&] { return fs::exists(folder / "long.itn") && fs::file_size(folder / "long.itn") > 0; });
  kill(run, SIGTERM);
  EXPECT_EQ(exit_status(run), 8);
  EXPECT_EQ(read_bytes(kScratch / "safety_signal.stderr"),
            "talvenor: interrupted by SIGTERM; every file ends with its last whole record\n");
  expect_whole_records(folder / "long");
  expect_whole_records(folder / "long.itn");
}

/// A folder on a small file system of its own, or nothing where none can be mounted.
class SmallDisk : public testing::Test {
 protected:
  void SetUp() override {
    // A folder per test: ctest runs the two tests at once.
    folder_ = kScratch / ("safety_full_" +
                          std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    umount(folder_);
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    if (std::system(("mount -t tmpfs -o size=256k tmpfs '" + folder_.string() + "' 2>/dev/null")
                        .c_str()) != 0) {
      GTEST_SKIP() << "no small file system can be mounted here (needs root)";
    }
  }
  void TearDown() override { umount(folder_); }
  static void umount(const fs::path& folder) {
    std::system(("umount '" + folder.string() + "' 2>/dev/null").c_str());
  }
  /// Fills the file system to its last byte.
  void fill() const {
    std::system(("dd if=/dev/zero of='" + (folder_ / "filler").string() + "' bs=4k 2>/dev/null")
                    .c_str());
  }
  fs::path folder_;
};

// 5b. A full disk: the log that fills it ends with its last whole record.
TEST_F(SmallDisk, FullDiskLeavesWholeRecords) {
  write_bytes(folder_ / "Talvenor.in", case_text("'full'", "'t'", 0, "20", 100000));
  const Outcome outcome = run_talvenor(folder_);
  EXPECT_EQ(outcome.status, 3);
  EXPECT_EQ(outcome.stderr_text,
            "talvenor: cannot write the iteration log 'full.itn' (unit 11): No space left on "
            "device\n");
  expect_whole_records(folder_ / "full");
  expect_whole_records(folder_ / "full.itn");
}

// 5c. A template that cannot be rewritten on a full disk stays as it was, and the
// new file is gone.
TEST_F(SmallDisk, TemplateOnAFullDiskStaysAsItWas) {
  const fs::path elsewhere = kScratch / "safety_full_outside";
  fs::create_directories(elsewhere);
  // Only the template is on the small disk: the listing, log and data file are elsewhere.
  write_bytes(folder_ / "Talvenor.in",
              case_text("'../safety_full_outside/listing'", "'a longer title'", 1));
  fs::create_symlink(elsewhere / "Talvenor_u.dat", folder_ / "Talvenor_u.dat");
  const std::string old = "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n set title 't'\r\n replot\r\n";
  write_bytes(folder_ / "Talvenor_u.gnu", old);
  fill();
  const Outcome outcome = run_talvenor(folder_);
  EXPECT_EQ(outcome.status, 3);
  EXPECT_EQ(outcome.stderr_text,
            "talvenor: cannot write the plot template 'Talvenor_u.gnu' (unit 11): No space left "
            "on device\n");
  EXPECT_EQ(read_bytes(folder_ / "Talvenor_u.gnu"), old);
  EXPECT_FALSE(fs::exists(folder_ / "Talvenor_u.gnu.talvenor-new"));
}

// 5d. A template that is a symbolic link: the link is replaced, the file it led to
// is never written.
TEST(Safety, TemplateLinkIsReplacedNotFollowed) {
  const fs::path folder = folder_with("safety_link", case_text("'linked'", "'t'", 1));
  const fs::path target = kScratch / "safety_link_target";
  const std::string lines = "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n";
  write_bytes(target, lines);
  fs::create_symlink(target, folder / "Talvenor_u.gnu");
  const Outcome outcome = run_talvenor(folder);
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(read_bytes(target), lines);
  EXPECT_FALSE(fs::is_symlink(folder / "Talvenor_u.gnu"));
  EXPECT_EQ(read_bytes(folder / "Talvenor_u.gnu"),
            "1\n2\n3\n4\n5\n6\n7\n8\n set title 't'\r\n replot\r\n");
}

// 6. The case file read safely: a byte-order mark is skipped; a FIFO, a CR-only file
// and an oversized file are refused with one line and leave the folder as it was.
TEST(Safety, CaseFileReadSafely) {
  const fs::path folder = prepare("flags_off");
  const std::string plain = read_bytes(folder / "Talvenor.in");
  write_bytes(folder / "Talvenor.in", "\xEF\xBB\xBF" + plain);
  EXPECT_EQ(run_talvenor(folder).status, 0);
  EXPECT_EQ(mask_time(read_bytes(folder / "quiet.lst")),
            mask_time(read_bytes(kCases / "flags_off" / "out" / "quiet.lst")));

  const fs::path fifo_folder = folder_with("safety_fifo", "");
  fs::remove(fifo_folder / "Talvenor.in");
  ASSERT_EQ(mkfifo((fifo_folder / "Talvenor.in").c_str(), 0600), 0);
  const Outcome fifo = run_talvenor(fifo_folder);
  EXPECT_EQ(fifo.status, 1);
  EXPECT_EQ(fifo.stderr_text,
            "talvenor: cannot read the case file Talvenor.in (unit 7): not a regular file\n");

  const struct {
    std::string bytes, message;
  } refused[] = {
      {"'mac'\r1\r1\r6\r",
       "talvenor: Talvenor.in (unit 7) line 1: the line ends with a CR alone; save the file with "
       "LF or CR LF line ends\n"},
      {case_text("'big'") + std::string(1 << 20, ' '),
       "talvenor: cannot read the case file Talvenor.in (unit 7): it holds more than 1048576 "
       "bytes, far more than twelve values need\n"},
  };
  for (const auto& r : refused) {
    const fs::path f = folder_with("safety_read", r.bytes);
    const Outcome outcome = run_talvenor(f);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.stderr_text, r.message);
    EXPECT_EQ(folder_files(f), (std::map<std::string, std::string>{{"Talvenor.in", r.bytes}}));
  }
}

// 7. talvenor-study checks its files before any mesh runs.
TEST(Safety, StudyChecksBeforeItWorks) {
  const std::string study_case = "'estudo'\r\n1\r\n1\r\n20\r\n10.0\r\n0.5\r\n30\r\n0\r\n0\r\n0\r\n1\r\n'e'\r\n";
  const fs::path folder = folder_with("safety_study", study_case);
  const Outcome unwritable = run_program(kStudy, folder, "--output nowhere/x");
  EXPECT_EQ(unwritable.status, 3);
  // A study's files have no unit number: that is talvenor's.
  EXPECT_EQ(unwritable.stderr_text, "talvenor-study: cannot open the study table 'nowhere/x.csv':"
                                    " No such file or directory\n");
  EXPECT_EQ(unwritable.stdout_text, "");  // no mesh ran

  const Outcome fixed = run_program(kStudy, folder, "--output Talvenor_u");
  EXPECT_EQ(fixed.status, 2);
  EXPECT_EQ(fixed.stderr_text,
            "talvenor-study: the study file 'Talvenor_u.gnu' names the file Talvenor_u.gnu, which "
            "the study plot script would overwrite; choose another --output prefix\n");
  EXPECT_EQ(folder_files(folder), (std::map<std::string, std::string>{{"Talvenor.in", study_case}}));

  write_bytes(folder / "Talvenor.in", "' '" + study_case.substr(study_case.find('\r')));
  const Outcome blank = run_program(kStudy, folder, "--meshes 10,20");
  EXPECT_EQ(blank.status, 0) << blank.stderr_text;
  EXPECT_TRUE(fs::exists(folder / "study.csv"));
  EXPECT_TRUE(fs::exists(folder / "study.gnu"));
}

// 7. Meshes that fit one by one but not together on their threads stop the study
// before any runs.
TEST(Safety, StudyCountsTheMeshesRunAtOnce) {
  const auto available = talvenor::available_memory();
  const std::uint64_t nodes = available ? *available / 80 * 6 / 10 : 0;
  if (nodes < 100 || nodes > 2000000000) GTEST_SKIP() << "no pair of meshes fits the test here";
  const std::string coarse = std::to_string(nodes / 2 * 2);
  const std::string fine = std::to_string(nodes / 2 * 2 + 2);
  const std::string study_case = "'estudo'\r\n1\r\n1\r\n20\r\n10.0\r\n0.5\r\n1\r\n0\r\n0\r\n0\r\n1\r\n'e'\r\n";
  const fs::path folder = folder_with("safety_study_memory", study_case);
  const Outcome outcome =
      run_program(kStudy, folder, "--jobs 2 --meshes " + coarse + "," + fine);
  EXPECT_EQ(outcome.status, 4);
  EXPECT_TRUE(std::regex_match(
      outcome.stderr_text,
      std::regex("talvenor-study: the meshes of N = " + fine + " and " + coarse +
                 ", run at the same time, need [0-9]+ MiB \\(80 bytes per node\\), only [0-9]+ "
                 "MiB of memory are available\n")))
      << outcome.stderr_text;
  EXPECT_EQ(folder_files(folder), (std::map<std::string, std::string>{{"Talvenor.in", study_case}}));
}

// 8. A second study in a folder where one is working stops at once and touches
// nothing; the first, whose plotter is drawing meanwhile, ends with its files intact.
TEST(Safety, OneStudyPerFolder) {
  const fs::path folder = folder_with("safety_study_busy", case_text("'estudo'"));
  const fs::path plotter = kScratch / "safety_study_busy_plotter";
  const fs::path ready = kScratch / "safety_study_busy_ready";
  const fs::path go = kScratch / "safety_study_busy_go";
  fs::remove(ready);
  fs::remove(go);
  write_script(plotter, "touch '" + ready.string() + "'\n"
                        "while [ ! -e '" + go.string() + "' ]; do sleep 0.02; done\n");
  const pid_t first = start(kStudy, folder, "TALVENOR_PLOTTER='" + plotter.string() + "'",
                            "--meshes 10,20 >/dev/null 2>&1");
  wait_for([&] { return fs::exists(ready); });
  const auto before = folder_files(folder);
  ASSERT_EQ(before.count("estudo-study.csv"), 1u);

  const Outcome second = run_program(kStudy, folder, "--meshes 10,20,40");

  EXPECT_EQ(second.status, 7);
  EXPECT_EQ(second.stderr_text, "talvenor-study: another run is working in the folder '" +
                                    fs::canonical(folder).string() + "'; wait until it ends\n");
  EXPECT_EQ(folder_files(folder), before);
  write_bytes(go, "");
  EXPECT_EQ(exit_status(first), 0);
  EXPECT_EQ(folder_files(folder), before);
}

/// True once `process` runs talvenor-study and catches SIGTERM (Linux's /proc tells).
bool study_catches_sigterm(pid_t process) {
  const std::string proc = "/proc/" + std::to_string(process);
  std::error_code error;
  if (fs::read_symlink(proc + "/exe", error) != fs::canonical(kStudy)) return false;
  std::ifstream status(proc + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("SigCgt:")) {
      return ((std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1)) & 1) != 0;
    }
  }
  return false;
}

// 9. SIGTERM in the middle of a campaign: no further mesh, one line, status 8; the
// table and report are not written, and the table of an earlier study stays whole.
TEST(Safety, InterruptedStudyLeavesCompleteFilesOrNone) {
  if (!fs::exists("/proc/self/status")) GTEST_SKIP() << "no /proc here";
  const fs::path folder =
      folder_with("safety_study_signal", case_text("'estudo'", "'t'", 0, "1000", 20000));
  write_bytes(folder / "estudo-study.csv", "a table of an earlier study\r\n");
  const auto before = folder_files(folder);
  const pid_t study = start(kStudy, folder, "",
                            "--solver picard --jobs 1 --sweep Re=1,2,3,4 --meshes 1000,2000"
                            " >/dev/null 2>../safety_study_signal.stderr");
  wait_for([&] { return study_catches_sigterm(study); });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // a mesh or two
  kill(study, SIGTERM);
  EXPECT_EQ(exit_status(study), 8);
  EXPECT_EQ(read_bytes(kScratch / "safety_study_signal.stderr"),
            "talvenor-study: interrupted by SIGTERM; every file ends with its last whole record\n");
  EXPECT_EQ(folder_files(folder), before);
}

// 9b. SIGINT in the middle of a data study's analysis: it ends within a second,
// status 8, and every file is complete or as it was (the table is put in place only
// once every variable is written).
TEST(Safety, InterruptedDataStudyEndsAtOnceLeavingFilesWhole) {
  if (!fs::exists("/proc/self/status")) GTEST_SKIP() << "no /proc here";
  const fs::path folder = kScratch / "safety_data_signal";
  fs::remove_all(folder);
  fs::create_directories(folder);
  std::string text = "variable,h,value,exact\n";
  for (int v = 0; v < 100; ++v) {
    for (int k = 0; k < 1000; ++k) {
      const double h = 1.0 / (10 + k);
      text += "v" + std::to_string(v) + "," + std::to_string(h) + "," +
              std::to_string(1.0 + h * h) + ",1\n";
    }
  }
  write_bytes(folder / "big.csv", text);
  write_bytes(folder / "big-study.csv", "a table of an earlier study\r\n");
  const auto before = folder_files(folder);
  const fs::path table = kScratch / "safety_data_signal.stdout";
  fs::remove(table);
  const pid_t study = start(kStudy, folder, "",
                            "--data big.csv >'" + table.string() +
                                "' 2>../safety_data_signal.stderr");
  // Once the table has begun, the file is read and the variables are being analysed.
  wait_for([&] { return fs::exists(table) && fs::file_size(table) > 0; });
  const auto sent = std::chrono::steady_clock::now();
  kill(study, SIGINT);
  EXPECT_EQ(exit_status(study), 8);
  EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(1));
  EXPECT_EQ(read_bytes(kScratch / "safety_data_signal.stderr"),
            "talvenor-study: interrupted by SIGINT; every file ends with its last whole record\n");
  EXPECT_EQ(folder_files(folder), before);
}

// 10. A case name that ends with a backslash: the plot script still draws, since no
// line of it, the comment included, can end with one.
TEST(Safety, StudyScriptDrawsWhateverTheName) {
  if (!fs::exists("/usr/bin/gnuplot")) GTEST_SKIP() << "no gnuplot here";
  const fs::path folder = folder_with("safety_study_backslash", case_text("'back\\'"));
  const Outcome outcome =
      run_program(kStudy, folder, "--meshes 10,20", "TALVENOR_PLOTTER=/usr/bin/gnuplot");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.stderr_text, "");
  EXPECT_TRUE(read_bytes(folder / "back\\-study.png").starts_with("\x89PNG"));
}

// 11. A dangling symbolic link in the place of the study's table: the link is
// replaced by the table, and the file it led to is never created.
TEST(Safety, StudyReplacesADanglingLink) {
  const fs::path folder = folder_with("safety_study_link", case_text("'estudo'"));
  const fs::path target = kScratch / "safety_study_link_target";
  fs::remove(target);
  fs::create_symlink(target, folder / "estudo-study.csv");
  const Outcome outcome = run_program(kStudy, folder, "--meshes 10,20");
  EXPECT_EQ(outcome.status, 0) << outcome.stderr_text;
  EXPECT_FALSE(fs::exists(fs::symlink_status(target)));
  EXPECT_FALSE(fs::is_symlink(folder / "estudo-study.csv"));
  EXPECT_TRUE(read_bytes(folder / "estudo-study.csv").starts_with("variable,N,h,"));
}

// 12. A plotter that fails changes neither program's status nor a byte of its files:
// one warning line per launch says so.
TEST(Safety, AFailingPlotterIsAWarningOnly) {
  const std::string plotted = case_text("'plotted'", "'t'", 1);
  const fs::path off = folder_with("safety_plotter_off", plotted);
  const fs::path failing = folder_with("safety_plotter_failing", plotted);
  const Outcome quiet = run_talvenor(off);
  const Outcome warned = run_talvenor(failing, "", "TALVENOR_PLOTTER=false");
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(warned.status, 0);
  EXPECT_EQ(warned.stderr_text,
            quiet.stderr_text +
                "talvenor: warning: the plotter ended with status 1 on Talvenor_u.gnu; the run goes"
                " on\ntalvenor: warning: the plotter ended with status 1 on Talvenor_E.gnu; the run"
                " goes on\n");
  auto expected = folder_files(off);
  auto actual = folder_files(failing);
  for (auto* files : {&expected, &actual}) {
    for (auto& [name, bytes] : *files) bytes = mask_time(bytes);
  }
  EXPECT_EQ(actual, expected);

  const Outcome study = run_program(kStudy, failing, "--meshes 10,20", "TALVENOR_PLOTTER=false");
  EXPECT_EQ(study.status, 0);
  EXPECT_EQ(study.stderr_text,
            "talvenor-study: warning: the plotter ended with status 1 on plotted-study.gnu; the run"
            " goes on\n");
}

}  // namespace

#include "system/subprocess.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "system/scratch_folder_test.hpp"

#ifndef _WIN32
#include <csignal>
#endif

namespace talvenor {
namespace {

// What the interpreters print and do differently.
#ifdef _WIN32
#define LINE_END "\r\n"
#define PAUSE "ping -n 2 127.0.0.1 >NUL"
constexpr double PAUSE_SECONDS = 1.0;
constexpr int NOT_FOUND_STATUS = 9009;  // cmd: "not recognized"
#else
#define LINE_END "\n"
#define PAUSE "sleep 0.5"
constexpr double PAUSE_SECONDS = 0.5;
constexpr int NOT_FOUND_STATUS = 127;
#endif

using Kind = CommandEnd::Kind;
using Clock = std::chrono::steady_clock;

class SubprocessTest : public ScratchFolderTest {
 protected:
  CommandEnd run(const std::string& command, std::optional<double> timeout = std::nullopt) {
    std::filesystem::create_directories("runs/N20");
    return run_in_folder({command, "runs/N20", "stdout.txt", "stderr.txt", timeout});
  }
};

TEST_F(SubprocessTest, ReportsHowTheCommandEnded) {
  struct Case {
    std::string command;
    Kind kind;
    int code;
  };
  const std::vector<Case> cases = {
      {"exit 0", Kind::exited, 0},
      {"exit 3", Kind::exited, 3},
      {"no-such-program-of-talvenor", Kind::exited, NOT_FOUND_STATUS},
#ifndef _WIN32
      {"kill -9 $$", Kind::signalled, SIGKILL},
#endif
  };
  for (const Case& c : cases) {
    const CommandEnd end = run(c.command);
    EXPECT_EQ(end.kind, c.kind) << c.command;
    EXPECT_EQ(end.code, c.code) << c.command;
  }
}

TEST_F(SubprocessTest, KeepsTheOutputInFilesOfTheFolder) {
  const CommandEnd end = run("echo out&& echo err>&2&& echo here>made.txt");
  EXPECT_TRUE(end.succeeded());
  EXPECT_EQ(read("runs/N20/stdout.txt"), "out" LINE_END);
  EXPECT_EQ(read("runs/N20/stderr.txt"), "err" LINE_END);
  EXPECT_EQ(read("runs/N20/made.txt"), "here" LINE_END);
}

TEST_F(SubprocessTest, NamesEachEnd) {
  EXPECT_EQ(describe({Kind::exited, 3}, std::nullopt), "status 3");
  EXPECT_EQ(describe({Kind::signalled, 9}, std::nullopt), "signal 9");
  EXPECT_EQ(describe({Kind::timed_out, 0}, 2.5), "timed out after 2.5 s");
  EXPECT_EQ(describe({Kind::interrupted, 0}, std::nullopt), "interrupted");
  EXPECT_EQ(describe({Kind::not_started, 2}, std::nullopt), "not started (error 2)");
}

TEST_F(SubprocessTest, RunsCommandsOnSeveralThreadsAtOnce) {
  constexpr int kCommands = 4;
  std::vector<CommandEnd> ends(kCommands);
  std::vector<std::thread> threads;
  const Clock::time_point start = Clock::now();
  // The names are appended to, never prefixed: GCC 12 warns of a prefixed
  // std::to_string at -O3 (a false -Wrestrict).
  const auto folder = [](int k) { return std::string("N").append(std::to_string(k)); };
  for (int k = 0; k < kCommands; ++k) {
    std::filesystem::create_directories(folder(k));
    threads.emplace_back([&ends, k, &folder] {
      ends[k] = run_in_folder({std::string(PAUSE " && echo ").append(std::to_string(k)), folder(k),
                               "stdout.txt", "stderr.txt", {}});
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_LT(std::chrono::duration<double>(Clock::now() - start).count(),
            kCommands * 0.9 * PAUSE_SECONDS);
  for (int k = 0; k < kCommands; ++k) {
    EXPECT_TRUE(ends[k].succeeded());
    EXPECT_EQ(read(folder(k) + "/stdout.txt"), std::to_string(k) + LINE_END);
  }
}

#ifndef _WIN32
/// True while the process `pid` runs (a zombie, ended but not yet reaped, does not).
bool running(const std::string& pid) {
  std::ifstream stat("/proc/" + pid + "/stat");
  std::string number, name, state;
  if (!(stat >> number >> name >> state)) return false;
  return state != "Z";
}

/// The process id the command wrote into grandchild.txt, once the test waited for it to
/// end or be ended.
std::string grandchild(const std::string& folder) {
  std::ifstream file(folder + "/grandchild.txt");
  std::string pid;
  file >> pid;
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // for init to reap it
  return pid;
}

TEST_F(SubprocessTest, EndsTheWholeGroupOfACommand) {
  // A timeout ends the interpreter and the grandchild it waits on.
  const Clock::time_point start = Clock::now();
  const CommandEnd late = run("sleep 30 & echo $! > grandchild.txt; wait", 0.3);
  EXPECT_EQ(late.kind, Kind::timed_out);
  EXPECT_LT(std::chrono::duration<double>(Clock::now() - start).count(), 3.0);
  const std::string waited = grandchild("runs/N20");
  ASSERT_FALSE(waited.empty());
  EXPECT_FALSE(running(waited));

  // A command that ends leaves nothing in the background.
  EXPECT_TRUE(run("sleep 30 & echo $! > grandchild.txt").succeeded());
  const std::string left = grandchild("runs/N20");
  ASSERT_FALSE(left.empty());
  EXPECT_FALSE(running(left));
}
#else
TEST_F(SubprocessTest, EndsACommandThatRunsTooLong) {
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(run("ping -n 30 127.0.0.1", 0.5).kind, Kind::timed_out);
  EXPECT_LT(std::chrono::duration<double>(Clock::now() - start).count(), 10.0);
}
#endif

}  // namespace
}  // namespace talvenor

// The memory check of the mesh from outside: a mesh larger than the memory the
// machine has now stops the run before anything is written; one that fits runs.

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>

#include "e2e_support.hpp"
#include "system/platform.hpp"

namespace {

using namespace e2e;

/// A case file of the fonte 0 case at N elements, one iteration, every table off.
std::string one_iteration_case(const std::string& N) {
  return "'mesh'  caso\r\n0  esquema\r\n0  fonte\r\n" + N +
         "  N\r\n10.0  Re\r\n0.5  beta\r\n1  itmax\r\n0  graficos\r\n0  lista_coef\r\n"
         "0  lista_sol\r\n1  freq\r\n'mesh'  titulo\r\n";
}

// The largest N, 2^31 - 2, needs 2^31 - 1 nodes of 80 bytes: 163839 MiB. Without the
// check, overcommit would let the allocation succeed and the kernel would kill the
// run later, without a word.
TEST(MeshMemoryRun, RefusesAMeshLargerThanTheMemoryAvailableBeforeWritingAnything) {
  const auto available = talvenor::available_memory();
  if (!available || *available / (1024 * 1024) >= 163839) {
    GTEST_SKIP() << "this machine could hold the largest mesh";
  }
  const fs::path folder = prepare("mesh_too_large");
  const std::string case_file = one_iteration_case("2147483646");
  write_bytes(folder / "Talvenor.in", case_file);

  const Outcome outcome = run_talvenor(folder);

  EXPECT_EQ(outcome.status, 4);
  EXPECT_TRUE(std::regex_match(
      outcome.stderr_text,
      std::regex("talvenor: the mesh of N = 2147483646 needs 163839 MiB \\(80 bytes per node\\), "
                 "only [0-9]+ MiB of memory are available\n")))
      << outcome.stderr_text;
  EXPECT_EQ(folder_files(folder), (std::map<std::string, std::string>{{"Talvenor.in", case_file}}));
}

TEST(MeshMemoryRun, AcceptsAMeshThatFits) {
  const fs::path folder = prepare("mesh_that_fits");
  write_bytes(folder / "Talvenor.in", one_iteration_case("1000000"));

  const Outcome outcome = run_talvenor(folder);

  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.stderr_text, "");
  EXPECT_TRUE(fs::exists(folder / "mesh.itn"));
  EXPECT_TRUE(fs::exists(folder / "mesh"));
}

}  // namespace

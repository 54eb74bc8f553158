#include "input/dados.hpp"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "system/error.hpp"
#include "system/scratch_folder_test.hpp"

namespace talvenor {
namespace {

constexpr std::array<const char*, 12> kMembers = {"caso",       "esquema",   "fonte", "N",
                                                  "Re",         "beta",      "itmax", "graficos",
                                                  "lista_coef", "lista_sol", "freq",  "titulo"};

/// The lines of the example case file.
std::vector<std::string> example_lines() {
  return {"'teste1.txt'  caso", "1  esquema",   "0  fonte",  "20  N",
          "10.0  Re",           "1.0  beta",    "50  itmax", "0  graficos",
          "1  lista_coef",      "1  lista_sol", "5  freq",   "'Teste com N = 20'  titulo"};
}

/// The example case file with line `number` (from 1) replaced by `text`.
std::string example_with(int number, const std::string& text) {
  std::vector<std::string> lines = example_lines();
  lines[number - 1] = text;
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  return bytes;
}

std::string join_lines(const std::vector<std::string>& lines, std::size_t count) {
  std::string bytes;
  for (std::size_t i = 0; i < count; ++i) bytes += lines[i] + "\r\n";
  return bytes;
}

/// The message of the Error that `action` throws, checking its kind, or "no error".
template <typename Action>
std::string failure(Error::Kind kind, Action action) {
  try {
    action();
  } catch (const Error& error) {
    EXPECT_EQ(error.kind(), kind);
    return error.what();
  }
  return "no error";
}

std::string parse_failure(const std::string& bytes) {
  return failure(Error::Kind::case_file, [&] {
    CaseData data;
    parse_case(data, bytes, "Talvenor.in");
  });
}

void expect_example_values(const CaseData& data) {
  EXPECT_EQ(data.caso.full(), "teste1.txt" + std::string(40, ' '));
  EXPECT_EQ(data.esquema, 1);
  EXPECT_EQ(data.fonte, 0);
  EXPECT_EQ(data.N, 20);
  EXPECT_EQ(data.Re, 10.0);
  EXPECT_EQ(data.beta, 1.0);
  EXPECT_EQ(data.itmax, 50);
  EXPECT_EQ(data.graficos, 0);
  EXPECT_EQ(data.lista_coef, 1);
  EXPECT_EQ(data.lista_sol, 1);
  EXPECT_EQ(data.freq, 5);
  EXPECT_EQ(data.titulo.full(), "Teste com N = 20" + std::string(74, ' '));
}

// ---- the whole case file ----

TEST(ParseCase, ExampleCaseFile) {
  CaseData data;
  parse_case(data, join_lines(example_lines(), 12), "Talvenor.in");
  expect_example_values(data);
  EXPECT_TRUE(data.x.empty());  // the reader only reads; the mesh comes later
}

TEST(ParseCase, LfLineEndsBlankLinesAndNulls) {
  CaseData data;
  data.Re = 7.5;
  parse_case(data,
             "\n  teste2   caso\n\n2\n\t4\n  100 elementos\n, Re keeps its value\n-1.5D-1\n"
             "1\n1\n0\n0\n\n1\nTeste de malha\n",
             "Talvenor.in");
  EXPECT_EQ(data.caso.trimmed(), "teste2");
  EXPECT_EQ(data.esquema, 2);
  EXPECT_EQ(data.fonte, 4);
  EXPECT_EQ(data.N, 100);
  EXPECT_EQ(data.Re, 7.5);
  EXPECT_EQ(data.beta, -0.15);
  EXPECT_EQ(data.freq, 1);
  EXPECT_EQ(data.titulo.trimmed(), "Teste");
}

// ---- failures ----

TEST(ParseCase, EndOfFileAtEveryValue) {
  for (std::size_t count = 0; count < kMembers.size(); ++count) {
    const std::string member = kMembers[count];
    EXPECT_EQ(parse_failure(join_lines(example_lines(), count)),
              "Talvenor.in (unit 7) line " + std::to_string(count + 1) + " (" + member +
                  "): end of file, expected the value of " + member);
  }
}

TEST(ParseCase, ConversionFailuresNameLineAndMember) {
  EXPECT_EQ(parse_failure(example_with(4, "abc  N")),
            "Talvenor.in (unit 7) line 4 (N): expected an integer, found 'abc'");
  EXPECT_EQ(parse_failure(example_with(5, "1.0.0")),
            "Talvenor.in (unit 7) line 5 (Re): expected a real number, found '1.0.0'");
  EXPECT_EQ(parse_failure(example_with(7, "'abc'")),
            "Talvenor.in (unit 7) line 7 (itmax): expected an integer, found the text 'abc'");
  EXPECT_EQ(parse_failure(example_with(12, "'Teste com N = 20")),
            "Talvenor.in (unit 7) line 12 (titulo): end of file in the text opened by ' on this "
            "line, expected a closing '");
}

TEST(ParseCase, RejectsMeshAndStepTheRunCannotUse) {
  for (const std::string N : {"0", "1", "-5"}) {
    EXPECT_EQ(parse_failure(example_with(4, N + "  N")),
              "Talvenor.in (unit 7) line 4 (N): expected at least 2 elements, found " + N);
  }
  // A null N leaves the 0 it had.
  EXPECT_EQ(parse_failure(example_with(4, ",")),
            "Talvenor.in (unit 7) line 4 (N): expected at least 2 elements, found 0");
  EXPECT_EQ(parse_failure(example_with(11, "0  freq")),
            "Talvenor.in (unit 7) line 11 (freq): expected a step of at least 1 node, found 0");

  // The loops over the nodes 0 to N count to N + 1, which must fit.
  EXPECT_EQ(parse_failure(example_with(4, "2147483647  N")),
            "Talvenor.in (unit 7) line 4 (N): expected at most 2147483646 elements, found "
            "2147483647");
  CaseData largest;
  parse_case(largest, example_with(4, "2147483646  N"), "Talvenor.in");
  EXPECT_EQ(largest.N, std::numeric_limits<std::int32_t>::max() - 1);
}

TEST(ParseCase, RejectsCaseNamesOfTheFixedFiles) {
  const std::vector<std::pair<std::string, std::string>> rejected = {
      {"Talvenor.in", "Talvenor.in"},
      {"'talvenor.IN  '", "talvenor.IN"},
      {"'./Talvenor.in'", "./Talvenor.in"},  // undelimited, the slash would end it
      {".\\Talvenor_E.gnu", ".\\Talvenor_E.gnu"},
      {"'sub\\..\\TALVENOR_U.DAT'", "sub\\..\\TALVENOR_U.DAT"},
      {"Talvenor_u.gnu.", "Talvenor_u.gnu."},
  };
  const std::vector<std::string> fixed = {"Talvenor.in", "Talvenor_E.gnu", "Talvenor_u.dat",
                                          "Talvenor_u.gnu"};
  for (const auto& [line, shown] : rejected) {
    const std::string message = parse_failure(example_with(1, line));
    EXPECT_TRUE(message.starts_with("Talvenor.in (unit 7) line 1 (caso): the case name '" + shown +
                                    "' names the file "))
        << message;
    EXPECT_TRUE(message.ends_with(", which the listing would overwrite; choose another case name"))
        << line << ": " << message;
  }
  EXPECT_EQ(parse_failure(example_with(1, "'./sub/../Talvenor_u.gnu'")),
            "Talvenor.in (unit 7) line 1 (caso): the case name './sub/../Talvenor_u.gnu' names "
            "the file Talvenor_u.gnu, which the listing would overwrite; choose another case name");

  for (const std::string name : {"sub/Talvenor.in", "Talvenor.in.txt", "../Talvenor.in",
                                 "/Talvenor.in", "Talvenor", "' Talvenor.in'", "Talvenor_u"}) {
    CaseData data;
    parse_case(data, example_with(1, name), "Talvenor.in");
    EXPECT_EQ(data.N, 20) << name;
  }
}

// ---- the mesh and its memory ----

std::uint64_t bits(double value) {
  return std::bit_cast<std::uint64_t>(value);
}

CaseData mesh_of(std::int32_t N) {
  CaseData data;
  data.N = N;
  prepare_mesh(data);
  return data;
}

TEST(PrepareMesh, ArraysOfNPlusOneZeros) {
  const CaseData data = mesh_of(2);
  for (const std::vector<double>* array :
       {&data.ua, &data.u, &data.ap, &data.ae, &data.bp, &data.aw, &data.S}) {
    EXPECT_EQ(*array, std::vector<double>(3, 0.0));
  }
  EXPECT_EQ(data.h, 0.5);
  EXPECT_EQ(data.x, (std::vector<double>{0.0, 0.5, 1.0}));
}

TEST(PrepareMesh, NodesAreIntegerTimesStoredH) {
  const CaseData three = mesh_of(3);
  EXPECT_EQ(bits(three.h), 0x3FD5555555555555u);  // the double nearest to 1/3
  EXPECT_EQ(bits(three.x[1]), bits(three.h));
  EXPECT_EQ(bits(three.x[2]), 0x3FE5555555555555u);
  EXPECT_EQ(bits(three.x[3]), bits(1.0));

  // 3 * 0.1 rounds above 3 / 10.
  EXPECT_EQ(bits(mesh_of(10).x[3]), bits(0.30000000000000004));

  // 49 * (1 / 49) is 0.9999999999999999, yet the last node is 1 exactly.
  const CaseData forty_nine = mesh_of(49);
  EXPECT_EQ(bits(49.0 * forty_nine.h), bits(0.9999999999999999));
  EXPECT_EQ(bits(forty_nine.x[48]), bits(48.0 * forty_nine.h));
  EXPECT_EQ(bits(forty_nine.x[49]), bits(1.0));
}

constexpr std::uint64_t kMiB = 1024 * 1024;

TEST(MeshMemory, RefusesAMeshTooBig) {
  EXPECT_EQ(failure(Error::Kind::memory, [] { check_mesh_memory(100000000, 2100 * kMiB); }),
            "the mesh of N = 100000000 needs 7629 MiB (80 bytes per node), only 2100 MiB of "
            "memory are available");
  // The largest N the reader accepts: 2^31 nodes, no overflow in the byte count.
  EXPECT_EQ(failure(Error::Kind::memory,
                    [] { check_mesh_memory(std::numeric_limits<std::int32_t>::max(), kMiB); }),
            "the mesh of N = 2147483647 needs 163840 MiB (80 bytes per node), only 1 MiB of "
            "memory are available");
  EXPECT_EQ(failure(Error::Kind::memory, [] { check_mesh_memory(20, 21 * 80 - 1); }),
            "the mesh of N = 20 needs 0 MiB (80 bytes per node), only 0 MiB of memory are "
            "available");
}

TEST(MeshMemory, AcceptsAMeshThatFits) {
  check_mesh_memory(20, 21 * 80);
  check_mesh_memory(100000, std::uint64_t{1} << 30);
  check_mesh_memory(std::numeric_limits<std::int32_t>::max(),
                    std::numeric_limits<std::uint64_t>::max());
  check_mesh_memory(std::numeric_limits<std::int32_t>::max(), std::nullopt);  // nothing known
}

// ---- warnings ----

TEST(IncompleteRunWarnings, OneLinePerPartLeftOut) {
  CaseData data;
  data.esquema = 1;
  data.fonte = 4;
  data.itmax = 1;
  EXPECT_TRUE(incomplete_run_warnings(data).empty());
  data.esquema = 3;
  data.fonte = -1;
  data.itmax = 0;
  EXPECT_EQ(incomplete_run_warnings(data),
            (std::vector<std::string>{
                "esquema = 3 is not 0, 1 or 2: no iteration runs, so the listing reports the "
                "exact solution as the numerical one and a numerical mean and slope of 0",
                "fonte = -1 is not 0 to 4: no exact solution and no source term are computed "
                "(both stay 0), so the errors of the listing are measured against 0",
                "itmax = 0 is below 1: no iteration runs, so the listing reports the exact "
                "solution as the numerical one and a numerical mean and slope of 0"}));
  data.esquema = 0;
  data.fonte = 5;
  data.itmax = -3;
  EXPECT_EQ(incomplete_run_warnings(data).size(), 2u);
}

// ---- the case file on disk ----

using LoadCase = ScratchFolderTest;

TEST_F(LoadCase, MissingFileIsCreatedEmptyAndMeetsEndOfFile) {
  CaseData data;
  EXPECT_EQ(failure(Error::Kind::case_file, [&] { load_case(data, "Talvenor.in"); }),
            "Talvenor.in (unit 7) line 1 (caso): end of file, expected the value of caso");
  ASSERT_TRUE(std::filesystem::exists("Talvenor.in"));
  EXPECT_EQ(std::filesystem::file_size("Talvenor.in"), 0u);
}

TEST_F(LoadCase, ReadsTheExampleFile) {
  CaseData data;
  load_case(data, TALVENOR_EXAMPLES_DIR "/Talvenor.in");
  expect_example_values(data);
}

TEST_F(LoadCase, UnreadableFileNamesItAndTheUnit) {
  std::filesystem::create_directory("Talvenor.in");
  CaseData data;
  const std::string message =
      failure(Error::Kind::case_file, [&] { load_case(data, "Talvenor.in"); });
  EXPECT_TRUE(message.starts_with("cannot ")) << message;
  EXPECT_NE(message.find("the case file Talvenor.in (unit 7): "), std::string::npos) << message;
}

}  // namespace
}  // namespace talvenor

#include "input/dados.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "system/error.hpp"
#include "system/scratch_folder_test.hpp"

namespace talvenor {
namespace {

/// A case file of twelve lines, one per value, with CR LF line ends.
std::string case_file(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  return bytes;
}

/// The example case's lines, one of them replaced.
std::string example_with(std::size_t index, const std::string& line) {
  std::vector<std::string> lines = {
      "'teste1.txt'  caso", "1  esquema",   "0  fonte",  "20  N",
      "10.0  Re",           "1.0  beta",    "50  itmax", "0  graficos",
      "1  lista_coef",      "1  lista_sol", "5  freq",   "'Teste com N = 20'  titulo"};
  lines.at(index) = line;
  return case_file(lines);
}

CaseData parsed(const std::string& bytes) {
  CaseData data;
  parse_case(data, bytes, "Talvenor.in");
  return data;
}

/// The message of the case-file error that parsing `bytes` raises.
std::string failure(const std::string& bytes) {
  try {
    parsed(bytes);
  } catch (const Error& error) {
    EXPECT_EQ(error.kind(), Error::Kind::case_file);
    return error.what();
  }
  return "no error";
}

TEST(CaseReader, ReadsTheExampleCase) {
  const CaseData data = parsed(example_with(0, "'teste1.txt'  caso"));
  EXPECT_EQ(data.caso.full(), std::string("teste1.txt") + std::string(40, ' '));
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
  EXPECT_EQ(data.titulo.trimmed(), "Teste com N = 20");
  EXPECT_EQ(data.titulo.full().size(), 90u);
}

TEST(CaseReader, ReadsTheShippedExampleFile) {
  std::ifstream in(TALVENOR_EXAMPLE_CASE, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(bytes, example_with(0, "'teste1.txt'  caso"));
}

TEST(CaseReader, ReadsIntegers) {
  const struct {
    std::string line;
    std::int32_t value;
  } cases[] = {
      {"  20   número de elementos", 20},
      {"+7", 7},
      {"-3,", -3},
      {"\t12\tN", 12},
      {"0042/ comment", 42},
      {"2147483647", 2147483647},
      {"3*25", 25},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parsed(example_with(6, c.line)).itmax, c.value) << c.line;
  }
}

TEST(CaseReader, ReadsReals) {
  const struct {
    std::string line;
    double value;
  } cases[] = {
      {"10.0  Re", 10.0}, {"1", 1.0},        {"-2.5", -2.5}, {"+.5", 0.5}, {"5.", 5.0},
      {"1e3", 1000.0},    {"1.5D-2", 0.015}, {"2d+1", 20.0}, {"3E0", 3.0}, {"1.0e-320", 1.0e-320},
      {"0.1", 0.1},       {"2*7.25", 7.25},
  };
  for (const auto& c : cases) EXPECT_EQ(parsed(example_with(4, c.line)).Re, c.value) << c.line;
}

TEST(CaseReader, ReadsTexts) {
  const struct {
    std::string line;
    std::string title;
  } cases[] = {
      {"Teste de malha", "Teste"},
      {"'Teste de malha'", "Teste de malha"},
      {"\"Teste, de / malha\" comment", "Teste, de / malha"},
      {"'it''s'", "it's"},
      {"\"say \"\"hi\"\"\"", "say \"hi\""},
      {"'T\xEDtulo com acentua\xE7\xE3o'", "T\xEDtulo com acentua\xE7\xE3o"},
      {"2*'repeated text'", "repeated text"},
      {"'   leading blanks'", "   leading blanks"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parsed(example_with(11, c.line)).titulo.trimmed(), c.title) << c.line;
  }
}

TEST(CaseReader, CutsAndPadsTexts) {
  const std::string long_name(60, 'n');
  EXPECT_EQ(parsed(example_with(0, "'" + long_name + "'")).caso.full(), std::string(50, 'n'));
  const std::string long_title(100, 't');
  EXPECT_EQ(parsed(example_with(11, "'" + long_title + "'")).titulo.full(), std::string(90, 't'));
  EXPECT_EQ(parsed(example_with(11, "''")).titulo.trimmed(), "");
}

TEST(CaseReader, ContinuesAnOpenTextOnTheNextLine) {
  for (const std::string end : {"\r\n", "\n"}) {
    std::string bytes = example_with(0, "'teste1.txt'");
    bytes.resize(bytes.size() - case_file({"'Teste com N = 20'  titulo"}).size());
    bytes += "'first line" + end + " second line' comment" + end;
    EXPECT_EQ(parsed(bytes).titulo.trimmed(), "first line second line");
  }
}

TEST(CaseReader, NullValuesAndSlashesLeaveTheMember) {
  EXPECT_EQ(parsed(example_with(1, ", esquema stays")).esquema, 0) << "nothing was read before";
  CaseData data;
  data.Re = 3.5;
  parse_case(data, example_with(4, "/"), "Talvenor.in");
  EXPECT_EQ(data.Re, 3.5);
  data.Re = 4.5;
  parse_case(data, example_with(4, "2*"), "Talvenor.in");
  EXPECT_EQ(data.Re, 4.5);
  data.caso.assign("previous");
  parse_case(data, example_with(0, ",'ignored'"), "Talvenor.in");
  EXPECT_EQ(data.caso.trimmed(), "previous");
}

TEST(CaseReader, SkipsBlankLinesAndAcceptsLfAndCrLf) {
  std::string lf = example_with(0, "'teste1.txt'");
  std::erase(lf, '\r');
  EXPECT_EQ(parsed(lf).titulo.trimmed(), "Teste com N = 20");
  const std::string spaced =
      "\r\n  \t \r\n" + example_with(5, "\r\n\r\n 1.0  beta after blank lines");
  const CaseData data = parsed(spaced);
  EXPECT_EQ(data.beta, 1.0);
  EXPECT_EQ(data.itmax, 50);
  std::string no_last_line_end = example_with(0, "'teste1.txt'");
  no_last_line_end.resize(no_last_line_end.size() - 2);
  EXPECT_EQ(parsed(no_last_line_end).titulo.trimmed(), "Teste com N = 20");
}

TEST(CaseReader, ReportsEndOfFile) {
  EXPECT_EQ(failure(""),
            "Talvenor.in (unit 7) line 1 (caso): end of file, expected the value of caso");
  std::string eleven = example_with(0, "'teste1.txt'");
  eleven.resize(eleven.size() - case_file({"'Teste com N = 20'  titulo"}).size());
  EXPECT_EQ(failure(eleven),
            "Talvenor.in (unit 7) line 12 (titulo): end of file, expected the value of titulo");
  EXPECT_EQ(failure(eleven + "\r\n  \r\n"),
            "Talvenor.in (unit 7) line 14 (titulo): end of file, expected the value of titulo");
  EXPECT_EQ(failure(eleven + "'never closed\r\nstill open\r\n"),
            "Talvenor.in (unit 7) line 12 (titulo): end of file inside the text opened with ' on "
            "line 12");
}

TEST(CaseReader, ReportsConversionFailures) {
  EXPECT_EQ(failure(example_with(3, "abc  N")),
            "Talvenor.in (unit 7) line 4 (N): expected an integer, found 'abc'");
  EXPECT_EQ(failure(example_with(3, "20.0")),
            "Talvenor.in (unit 7) line 4 (N): expected an integer, found '20.0'");
  EXPECT_EQ(failure(example_with(3, "'20'")),
            "Talvenor.in (unit 7) line 4 (N): expected an integer, found '20'");
  EXPECT_EQ(failure(example_with(3, "99999999999")),
            "Talvenor.in (unit 7) line 4 (N): '99999999999' is out of range for a 32-bit integer");
  for (const std::string bad : {"1.0.0", "1e", "e5", ".", "1.0+5", "--1", "1x"}) {
    EXPECT_EQ(failure(example_with(4, bad)),
              "Talvenor.in (unit 7) line 5 (Re): expected a real number, found '" + bad + "'");
  }
  EXPECT_EQ(failure(example_with(4, "1e400")),
            "Talvenor.in (unit 7) line 5 (Re): '1e400' is out of range for a real number");
  EXPECT_EQ(failure(example_with(1, "\x01\xE9")),
            "Talvenor.in (unit 7) line 2 (esquema): expected an integer, found '\\x01\\xE9'");
}

TEST(CaseReader, RejectsValuesTheRunCannotUse) {
  EXPECT_EQ(failure(example_with(3, "1")),
            "Talvenor.in (unit 7) line 4 (N): N must be at least 2 (the slope at x = 1 uses the "
            "nodes N-2 to N), found 1");
  EXPECT_TRUE(failure(example_with(3, "0"))
                  .starts_with("Talvenor.in (unit 7) line 4 (N): N must be at least 2 ("));
  EXPECT_EQ(failure(example_with(10, "0  freq")),
            "Talvenor.in (unit 7) line 11 (freq): freq must be at least 1, found 0");
  const std::string too_long(261, 'x');
  EXPECT_EQ(failure(example_with(11, too_long)),
            "Talvenor.in (unit 7) line 12 (titulo): a value without delimiters is longer than 260 "
            "characters: '" +
                std::string(40, 'x') + "...'");
  EXPECT_EQ(parsed(example_with(11, std::string(260, 'x'))).titulo.full(), std::string(90, 'x'));
  for (const std::string name :
       {"talvenor.IN", "./Talvenor_u.dat", "TALVENOR_U.GNU", "Talvenor_E.gnu"}) {
    EXPECT_NE(failure(example_with(0, "'" + name + "'")).find("would overwrite"), std::string::npos)
        << name;
  }
  EXPECT_EQ(parsed(example_with(0, "'sub/Talvenor.in'")).caso.trimmed(), "sub/Talvenor.in");
}

class CaseFile : public ScratchFolderTest {};

TEST_F(CaseFile, AMissingCaseFileIsLeftEmptyAndReportsEndOfFile) {
  CaseData data;
  try {
    load_case(data, "Talvenor.in");
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(),
                 "Talvenor.in (unit 7) line 1 (caso): end of file, expected the value of caso");
  }
  EXPECT_TRUE(std::filesystem::exists("Talvenor.in"));
  EXPECT_EQ(std::filesystem::file_size("Talvenor.in"), 0u);
}

TEST(Mesh, IsBuiltFromTheStoredElementLength) {
  CaseData data;
  data.N = 3;
  prepare_mesh(data);
  const double h = 1.0 / 3;
  EXPECT_EQ(std::bit_cast<std::uint64_t>(data.h), std::bit_cast<std::uint64_t>(h));
  EXPECT_EQ(data.x, (std::vector<double>{0.0, h, 2 * h, 1.0}));
  for (const auto* array : {&data.ua, &data.u, &data.ap, &data.ae, &data.bp, &data.aw, &data.S}) {
    EXPECT_EQ(*array, std::vector<double>(4, 0.0));
  }
  data.N = 10;
  prepare_mesh(data);
  EXPECT_EQ(data.x[3], 3 * 0.1);
  EXPECT_NE(data.x[3], 0.3) << "x(i) is i * h, not i / N";
  EXPECT_EQ(data.x[10], 1.0);
}

TEST(Mesh, MemoryCheckRefusesAMeshTooLargeAndAcceptsANormalOne) {
  constexpr std::uint64_t kMiB = 1024 * 1024;
  EXPECT_NO_THROW(check_mesh_memory(1000, 1 * kMiB));
  EXPECT_NO_THROW(check_mesh_memory(2147483647, std::nullopt));
  try {
    check_mesh_memory(100000000, 2100 * kMiB);
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.kind(), Error::Kind::memory);
    EXPECT_STREQ(error.what(),
                 "the mesh of N = 100000000 needs 7630 MiB (80 bytes per node), only 2100 MiB of "
                 "memory are available; choose a smaller N");
  }
  EXPECT_THROW(check_mesh_memory(2147483647, 64 * 1024 * kMiB), Error);
}

}  // namespace
}  // namespace talvenor

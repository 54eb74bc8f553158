#include "input/value_reader.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "system/error.hpp"

namespace talvenor {
namespace {

constexpr const char* kSource = "Talvenor.in (unit 7)";

/// The message of the Error that `read` throws, or "no error".
template <typename Read>
std::string failure(Read read) {
  try {
    read();
  } catch (const Error& error) {
    EXPECT_EQ(error.kind(), Error::Kind::case_file);
    return error.what();
  }
  return "no error";
}

template <typename T>
T read_one(const std::string& bytes, T start = T{}) {
  ValueReader values(bytes, kSource);
  values.read("v", start);
  return start;
}

std::string read_text(const std::string& bytes) {
  ValueReader values(bytes, kSource);
  FixedText<50> text;
  text.assign("previous");
  values.read("caso", text);
  return std::string(text.trimmed());
}

std::string read_failure_integer(const std::string& bytes) {
  return failure([&] { read_one<std::int32_t>(bytes); });
}

std::string read_failure_real(const std::string& bytes) {
  return failure([&] { read_one<double>(bytes); });
}

// ---- numbers ----

TEST(ValueReaderNumbers, IntegersWithSignsAndLeadingZeros) {
  const std::vector<std::pair<std::string, std::int32_t>> cases = {
      {"0", 0},
      {"+7", 7},
      {"-12", -12},
      {"007", 7},
      {"2147483647", 2147483647},
      {"-2147483648", std::numeric_limits<std::int32_t>::min()},
      {"  20   número de elementos", 20},
      {"\t5\tcomment", 5},
      {"3,4", 3},
      {"3/", 3},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(read_one<std::int32_t>(text + "\r\n"), expected) << text;
  }
}

TEST(ValueReaderNumbers, RealsInEveryForm) {
  const std::vector<std::pair<std::string, double>> cases = {
      {"10.0", 10.0},
      {"+1.5", 1.5},
      {"-2", -2.0},
      {"1E3", 1000.0},
      {"1e3", 1000.0},
      {"1D3", 1000.0},
      {"1d3", 1000.0},
      {"1.5D-2", 0.015},
      {"-.5e+1", -5.0},
      {"5.", 5.0},
      {"0.1", 0.1},
      {"2.5E0", 2.5},
      {"123456789012345678901234567890", 1.2345678901234568e29},
      {"1.7976931348623157e308", std::numeric_limits<double>::max()},
      {"4.9e-324", std::numeric_limits<double>::denorm_min()},
      {"0.00001e313", 1e308},  // the digits after the point count toward the magnitude
      {"1e-400", 0.0},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(read_one<double>(text + "\n")),
              std::bit_cast<std::uint64_t>(expected))
        << text;
  }
  EXPECT_TRUE(std::signbit(read_one<double>("-1e-400\n")));
  EXPECT_TRUE(std::signbit(read_one<double>("-0\n")));
  EXPECT_EQ(read_one<double>("1e-99999999999999999999\n"), 0.0);
}

TEST(ValueReaderNumbers, MalformedIntegers) {
  for (const std::string text : {"abc", "1.0", "1e3", "+", "-", "12a", "--1", "0x10", "*5"}) {
    EXPECT_EQ(read_failure_integer(text + "\n"),
              std::string(kSource) + " line 1 (v): expected an integer, found '" + text + "'");
  }
}

TEST(ValueReaderNumbers, MalformedReals) {
  for (const std::string text : {"1.0.0", "abc", ".", "1E", "1E+", "e5", "+", "1.0x", "--1", "0x10",
                                 "inf", "nan", "1.5Q3", "1e5.0"}) {
    EXPECT_EQ(read_failure_real(text + "\n"),
              std::string(kSource) + " line 1 (v): expected a real number, found '" + text + "'");
  }
}

TEST(ValueReaderNumbers, DelimitedTextWhereANumberIsExpected) {
  EXPECT_EQ(read_failure_integer("'abc'\n"),
            "Talvenor.in (unit 7) line 1 (v): expected an integer, found the text 'abc'");
  // '5' would be a valid integer but for its delimiters: only the delimited check stops it.
  EXPECT_EQ(read_failure_integer("'5'\n"),
            "Talvenor.in (unit 7) line 1 (v): expected an integer, found the text '5'");
  EXPECT_EQ(read_failure_real("\"5\"\n"),
            "Talvenor.in (unit 7) line 1 (v): expected a real number, found the text '5'");
}

TEST(ValueReaderNumbers, OutOfRange) {
  for (const std::string text : {"2147483648", "-2147483649", "99999999999999999999"}) {
    EXPECT_EQ(read_failure_integer(text + "\n"),
              "Talvenor.in (unit 7) line 1 (v): expected an integer from -2147483648 to "
              "2147483647, found '" +
                  text + "'");
  }
  for (const std::string text : {"1e309", "-1.8D308", "1000e306", "0.00001e314", "1e99999999999"}) {
    EXPECT_EQ(read_failure_real(text + "\n"),
              "Talvenor.in (unit 7) line 1 (v): expected a real number of magnitude at most "
              "1.7976931348623157E+308, found '" +
                  text + "'");
  }
}

// ---- texts ----

TEST(ValueReaderTexts, DelimitedAndUndelimited) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"'teste1.txt'  caso", "teste1.txt"},
      {"\"a, b / c\" comment", "a, b / c"},
      {"'a\tb'", "a\tb"},
      {"'it''s'", "it's"},
      {"\"say \"\"hi\"\"\"", "say \"hi\""},
      {"'say \"hi\"'", "say \"hi\""},
      {"''''", "'"},
      {"'abc'def", "abc"},
      {"Teste de malha", "Teste"},
      {"abc,def", "abc"},
      {"a/b", "a"},
      {"abc'd", "abc'd"},
      {"'Solu\xE7\xE3o n\xBA 1'", "Solu\xE7\xE3o n\xBA 1"},  // Windows-1252 bytes kept
  };
  for (const auto& [line, expected] : cases) EXPECT_EQ(read_text(line + "\r\n"), expected) << line;
  EXPECT_EQ(read_text("''\n"), "");  // an empty text blanks the field
}

TEST(ValueReaderTexts, ContinuedOverLineEnds) {
  EXPECT_EQ(read_text("'abc\r\ndef'\r\n"), "abcdef");
  EXPECT_EQ(read_text("'abc\ndef'\n"), "abcdef");
  EXPECT_EQ(read_text("'abc \n  def\n\n'\n"), "abc   def");
  EXPECT_EQ(read_text("'it'\n's'\n"), "it");  // a delimiter at the end of a line closes

  // The next read starts on the line after the one the text closed on.
  ValueReader values("'first\nsecond' 5\n7\n", kSource);
  FixedText<50> text;
  std::int32_t number = 0;
  values.read("caso", text);
  values.read("N", number);
  EXPECT_EQ(text.trimmed(), "firstsecond");
  EXPECT_EQ(number, 7);
}

TEST(ValueReaderTexts, CutOrPaddedToTheField) {
  const std::string long_text(120, 'x');
  const std::string bytes = "'" + long_text + "'\n'" + long_text + "'\nab\n";
  ValueReader values(bytes, kSource);
  FixedText<50> caso;
  FixedText<90> titulo;
  FixedText<90> short_titulo;
  values.read("caso", caso);
  values.read("titulo", titulo);
  values.read("titulo", short_titulo);
  EXPECT_EQ(caso.full(), long_text.substr(0, 50));
  EXPECT_EQ(titulo.full(), long_text.substr(0, 90));
  EXPECT_EQ(short_titulo.full(), "ab" + std::string(88, ' '));
}

TEST(ValueReaderTexts, UndelimitedLengthLimit) {
  EXPECT_EQ(read_text(std::string(260, 'a') + "\n"), std::string(50, 'a'));
  const std::string too_long = std::string(261, 'a').append(" x\n");
  EXPECT_EQ(failure([&] { read_text(too_long); }),
            "Talvenor.in (unit 7) line 1 (caso): expected a value of at most 260 characters "
            "without delimiters, found 261 characters ('aaaaaaaaaaaaaaaaaaaa...')");
  const std::string delimited = std::string("'").append(300, 'b').append("'\n");
  EXPECT_EQ(read_text(delimited), std::string(50, 'b'));
}

// ---- nulls, repeats and slashes ----

TEST(ValueReaderNulls, LeaveTheMemberAsItWas) {
  for (const std::string line : {",7", "  , 7", "/", " / 7", "3*", "3* 7", "3*,7", "3*/"}) {
    EXPECT_EQ(read_one<std::int32_t>(line + "\n", 5), 5) << line;
    EXPECT_EQ(read_one<double>(line + "\n", 2.5), 2.5) << line;
    EXPECT_EQ(read_text(line + "\n"), "previous") << line;
  }
}

TEST(ValueReaderNulls, RepeatCountGivesTheValue) {
  EXPECT_EQ(read_one<std::int32_t>("2*7\n"), 7);
  EXPECT_EQ(read_one<std::int32_t>("002*-7\n"), -7);
  EXPECT_EQ(read_one<double>("10*1.5D0\n"), 1.5);
  EXPECT_EQ(read_text("2*'a b'\n"), "a b");
  EXPECT_EQ(read_text("3*abc\n"), "abc");
  // A count of zero is no count: the whole token is the value.
  EXPECT_EQ(read_failure_integer("0*7\n"),
            "Talvenor.in (unit 7) line 1 (v): expected an integer, found '0*7'");
  EXPECT_EQ(read_text("0*abc\n"), "0*abc");
}

// ---- blank lines, comments and line ends ----

TEST(ValueReaderLines, BlankLinesSkippedAndCommentsDiscarded) {
  ValueReader values("\r\n \t \r\n   20   N, the number of elements\r\n\n30 40\n\t\n-1\n", kSource);
  std::int32_t a = 0, b = 0, c = 0;
  values.read("a", a);
  values.read("b", b);
  values.read("c", c);
  EXPECT_EQ(a, 20);
  EXPECT_EQ(b, 30);
  EXPECT_EQ(c, -1);
}

TEST(ValueReaderLines, LineEnds) {
  EXPECT_EQ(read_one<std::int32_t>("5"), 5);      // last line without a line end
  EXPECT_EQ(read_one<std::int32_t>("5\r"), 5);    // a CR before the end of the file
  EXPECT_EQ(read_one<std::int32_t>("5\r\n"), 5);  // CR LF
  // A CR elsewhere is an ordinary byte of the value, shown escaped.
  EXPECT_EQ(read_failure_integer("5\r6\n"),
            "Talvenor.in (unit 7) line 1 (v): expected an integer, found '5\\x0D6'");
  EXPECT_EQ(read_failure_integer("5\xE9\n"),
            "Talvenor.in (unit 7) line 1 (v): expected an integer, found '5\\xE9'");
}

// ---- failures and the lines they name ----

TEST(ValueReaderFailures, EndOfFileNamesTheLineTheReadStartedOn) {
  EXPECT_EQ(read_failure_integer(""),
            "Talvenor.in (unit 7) line 1 (v): end of file, expected the value of v");
  EXPECT_EQ(read_failure_integer("\r\n  \r\n"),
            "Talvenor.in (unit 7) line 1 (v): end of file, expected the value of v");
  ValueReader values("1\n2\n\n\n", kSource);
  std::int32_t n = 0;
  values.read("a", n);
  values.read("b", n);
  EXPECT_EQ(failure([&] { values.read("c", n); }),
            "Talvenor.in (unit 7) line 3 (c): end of file, expected the value of c");
}

TEST(ValueReaderFailures, ConversionNamesTheLineTheValueBeginsOn) {
  ValueReader values("1\n\n\n  x\n", kSource);
  std::int32_t n = 0;
  values.read("a", n);
  EXPECT_EQ(failure([&] { values.read("b", n); }),
            "Talvenor.in (unit 7) line 4 (b): expected an integer, found 'x'");
  ValueReader continued("\n'a\nb'\n", kSource);
  EXPECT_EQ(failure([&] { continued.read("N", n); }),
            "Talvenor.in (unit 7) line 2 (N): expected an integer, found the text 'ab'");
}

TEST(ValueReaderFailures, UnclosedText) {
  EXPECT_EQ(failure([] { read_text("\n'abc\r\ndef\r\n"); }),
            "Talvenor.in (unit 7) line 2 (caso): end of file in the text opened by ' on this "
            "line, expected a closing '");
  EXPECT_EQ(failure([] { read_text("\"abc'"); }),
            "Talvenor.in (unit 7) line 1 (caso): end of file in the text opened by \" on this "
            "line, expected a closing \"");
}

TEST(ValueReaderFailures, RejectNamesTheLineOfTheLastValue) {
  ValueReader values("\n\n 0 N\n", kSource);
  std::int32_t n = 7;
  values.read("N", n);
  EXPECT_EQ(failure([&] { values.reject("N", "expected at least 2, found 0"); }),
            "Talvenor.in (unit 7) line 3 (N): expected at least 2, found 0");
}

TEST(Printable, EscapesEverythingOutsidePrintableAscii) {
  EXPECT_EQ(printable("a b~\t\x7F\xE9\\"), "a b~\\x09\\x7F\\xE9\\");
}

}  // namespace
}  // namespace talvenor

#include "textio/number_format.hpp"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace talvenor {
namespace {

std::string scientific(double value, int width, int digits) {
  std::string field(static_cast<std::size_t>(width), '?');
  format_scientific(field.data(), value, width, digits);
  return field;
}

std::string fixed(double value, int width, int digits) {
  std::string field(static_cast<std::size_t>(width), '?');
  format_fixed(field.data(), value, width, digits);
  return field;
}

std::string integer(std::int64_t value, int width) {
  std::string field(static_cast<std::size_t>(width), '?');
  format_integer(field.data(), value, width);
  return field;
}

// A field's content as the number of leading blanks and the characters after them.
struct RealCase {
  double value;
  int width;
  int digits;
  int blanks;
  const char* characters;
};

std::string field(int blanks, const char* characters) {
  return std::string(static_cast<std::size_t>(blanks), ' ') + characters;
}

TEST(ScientificField, EdgeCases) {
  const RealCase cases[] = {
      {1.0, 23, 14, 3, "1.00000000000000E+00"},
      {-0.5, 23, 14, 2, "-5.00000000000000E-01"},
      {1.0e-120, 23, 14, 3, "1.00000000000000-120"},
      {1.0e100, 23, 14, 3, "1.00000000000000+100"},
      {0.0, 23, 14, 3, "0.00000000000000E+00"},
      {-0.0, 23, 14, 3, "0.00000000000000E+00"},
      {2.0 / 3.0, 23, 14, 3, "6.66666666666667E-01"},
      {1.0 / 3.0, 23, 14, 3, "3.33333333333333E-01"},
      {9.999999999999998, 23, 14, 3, "1.00000000000000E+01"},
      {0.125, 23, 14, 3, "1.25000000000000E-01"},
      {1.0, 27, 14, 7, "1.00000000000000E+00"},
      // The changes of exponent form, and the ends of the double range.
      {1.0e99, 23, 14, 3, "1.00000000000000E+99"},
      {1.0e-99, 23, 14, 3, "1.00000000000000E-99"},
      {1.0e-100, 23, 14, 3, "1.00000000000000-100"},
      {9.999999999999999e-100, 23, 14, 3, "1.00000000000000E-99"},
      {-1.7976931348623157e308, 23, 14, 2, "-1.79769313486232+308"},
      {5e-324, 23, 14, 3, "4.94065645841247-324"},
      // More digits than 16: the positions past the 16th are zeros.
      {1.0 / 3.0, 30, 20, 4, "3.33333333333333300000E-01"},
      {0.1, 30, 20, 4, "1.00000000000000000000E-01"},
      {2.0 / 3.0, 8, 0, 2, "7.E-01"},
      // A field too narrow.
      {1.0, 5, 3, 0, "*****"},
      {std::numeric_limits<double>::infinity(), 10, 3, 0, "**********"},
      {std::numeric_limits<double>::quiet_NaN(), 10, 3, 0, "**********"},
  };
  for (const RealCase& c : cases) {
    EXPECT_EQ(scientific(c.value, c.width, c.digits), field(c.blanks, c.characters))
        << c.value << " in E" << c.width << "." << c.digits;
  }
}

TEST(FixedField, EdgeCases) {
  const RealCase cases[] = {
      {1.5, 14, 3, 9, "1.500"},
      {12345.6789, 14, 3, 5, "12345.679"},
      {0.5, 14, 3, 10, ".500"},
      {0.25, 14, 3, 10, ".250"},
      {0.0, 14, 3, 10, ".000"},
      {-0.0, 14, 3, 10, ".000"},
      {0.0625, 14, 3, 10, ".063"},
      {0.9996, 14, 3, 9, "1.000"},
      {-0.0006, 14, 3, 9, "-.001"},
      {-0.0004, 14, 3, 10, ".000"},
      {-0.00004, 14, 3, 10, ".000"},
      {0.0005, 14, 3, 10, ".001"},
      {0.0123, 14, 3, 10, ".012"},
      {9.9996, 14, 3, 8, "10.000"},
      {1.0e10, 14, 3, 0, "**************"},
      {2.5e9, 14, 3, 0, "2500000000.000"},
      {-999999999.9996, 14, 3, 0, "**************"},
      {-999999999.999, 14, 3, 0, "-999999999.999"},
      // Past the 16th significant digit the positions are zeros.
      {123456789012345678.0, 24, 3, 2, "123456789012345700.000"},
      {12.5, 5, 0, 2, "13."},
      {std::numeric_limits<double>::infinity(), 14, 3, 0, "**************"},
  };
  for (const RealCase& c : cases) {
    EXPECT_EQ(fixed(c.value, c.width, c.digits), field(c.blanks, c.characters))
        << c.value << " in F" << c.width << "." << c.digits;
  }
}

// The digits come from the 17-digit decimal string, not from the binary value: each of
// these rounds up on a 5 that the exact value of the double does not reach.
TEST(DoubleRounding, RoundsTheSeventeenDigitString) {
  const RealCase cases[] = {
      {5.224623370010705, 27, 14, 7, "5.22462337001071E+00"},
      {2.350923478669495e-05, 23, 14, 3, "2.35092347866950E-05"},
      {0.0007371263230915565, 23, 14, 3, "7.37126323091557E-04"},
      {0.6738472068850645, 23, 14, 3, "6.73847206885065E-01"},
      {5988.870014543405, 23, 14, 3, "5.98887001454341E+03"},
      {7877.818415366095, 23, 14, 3, "7.87781841536610E+03"},
  };
  for (const RealCase& c : cases) {
    EXPECT_EQ(scientific(c.value, c.width, c.digits), field(c.blanks, c.characters)) << c.value;
  }
  const RealCase fixed_cases[] = {
      {12.1235, 14, 3, 8, "12.124"},
      {123.9995, 14, 3, 7, "124.000"},
      {12345.9995, 14, 3, 5, "12346.000"},
      {1.0005, 14, 3, 9, "1.000"},  // 17 digits 1.0004999999999999: nothing to carry
  };
  for (const RealCase& c : fixed_cases) {
    EXPECT_EQ(fixed(c.value, c.width, c.digits), field(c.blanks, c.characters)) << c.value;
  }
}

// Texts worked out with exact decimal arithmetic by tests/oracles/number_format_cases.py.
struct GeneratedCase {
  double value;
  const char* e23;
  const char* e27;
  const char* f14;
};

const GeneratedCase kGenerated[] = {
#include "textio/number_format_cases.inc"
};

TEST(GeneratedTable, MatchesExactDecimalArithmetic) {
  ASSERT_GT(std::size(kGenerated), 300u);
  for (const GeneratedCase& c : kGenerated) {
    EXPECT_EQ(scientific(c.value, 23, 14), c.e23) << std::hexfloat << c.value;
    EXPECT_EQ(scientific(c.value, 27, 14), c.e27) << std::hexfloat << c.value;
    EXPECT_EQ(fixed(c.value, 14, 3), c.f14) << std::hexfloat << c.value;
  }
}

TEST(IntegerField, EdgeCases) {
  const struct {
    std::int64_t value;
    int width;
    int blanks;
    const char* characters;
  } cases[] = {
      {7, 8, 7, "7"},
      {0, 8, 7, "0"},
      {-12, 8, 5, "-12"},
      {123456789, 8, 0, "********"},
      {12345678, 8, 0, "12345678"},
      {-1234567, 8, 0, "-1234567"},
      {-12345678, 8, 0, "********"},
      {std::numeric_limits<std::int64_t>::min(), 20, 0, "-9223372036854775808"},
      {std::numeric_limits<std::int64_t>::max(), 20, 1, "9223372036854775807"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(integer(c.value, c.width), field(c.blanks, c.characters)) << c.value;
  }
}

// fixed_text takes a short way for up to three places; it must give the standard
// library's bytes for every value, ties and values next to ties above all.
TEST(FixedText, AgreesWithTheStandardConversion) {
  const auto standard = [](double value, int digits) {
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, digits);
    return std::string(text, result.ptr);
  };
  std::vector<double> values = {0.0, -0.0, 0.25, 0.35, -0.05, -0.01, 0.0625, 99.5, 2.5, 0.15,
                                1e-300, 0x1p40, 0x1p39 + 0.5, 1e15, 123456.7895,
                                std::numeric_limits<double>::infinity(),
                                std::numeric_limits<double>::quiet_NaN()};
  std::uint64_t state = 12345;
  for (int k = 0; k < 20000; ++k) {
    state = state * 6364136223846793005u + 1442695040888963407u;
    const double unit = static_cast<double>(state >> 11) * 0x1p-53;
    values.push_back((unit - 0.5) * 1300.0);                       // a plot's pixels
    values.push_back(std::nextafter(static_cast<double>(k) * 0.05, 1e9));  // beside ties
    values.push_back(std::nextafter(static_cast<double>(k) * 0.0005, -1e9));
  }
  for (const double value : values) {
    for (int digits = 0; digits <= 4; ++digits) {
      ASSERT_EQ(fixed_text(value, digits), standard(value, digits)) << value << " " << digits;
    }
  }
}

}  // namespace
}  // namespace talvenor

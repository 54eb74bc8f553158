#include "textio/number_format.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

namespace talvenor {
namespace {

constexpr int kMostKeptDigits = 16;

/// The decimal digits of a magnitude, value = 0.d1 d2 d3 ... × 10^exponent. Positions past
/// `kept` (and before the first digit) read as '0', so a field may ask for any position.
struct DecimalDigits {
  char digits[17];
  int kept = 0;
  int exponent = 0;

  char at(int position) const { return position >= 0 && position < kept ? digits[position] : '0'; }
};

/// The 17 correctly rounded significant digits of `magnitude` (finite, >= 0);
/// zero gives no digits and exponent 0.  0.125 -> "12500000000000000", exponent 0.
DecimalDigits seventeen_digits(double magnitude) {
  DecimalDigits number;
  if (magnitude == 0.0) return number;
  // "d.dddddddddddddddde-dd": the digit, the point, 16 digits, 'e', the exponent.
  char text[32];
  const auto result =
      std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, 16);
  number.digits[0] = text[0];
  std::memcpy(number.digits + 1, text + 2, 16);
  const char* exponent = text + 19;
  const bool negative = *exponent == '-';
  int value = 0;
  for (const char* c = exponent + 1; c != result.ptr; ++c) value = value * 10 + (*c - '0');
  number.kept = 17;
  number.exponent = (negative ? -value : value) + 1;
  return number;
}

/// Rounds to `count` significant digits (never more than 16 kept) by the digit after the
/// last one kept: 5 to 9 round up, a carry out of the first digit gives "1" and raises the
/// exponent. `count` may be 0: then the first digit alone decides between 1 × 10^exponent
/// and nothing.  "99960000000000000" e0 to 3 -> "1" e1.
void round_to(DecimalDigits& number, int count) {
  if (number.kept == 0) return;
  const int keep = std::min(count, kMostKeptDigits);
  const bool up = number.digits[keep] >= '5';
  number.kept = keep;
  if (!up) return;
  int position = keep - 1;
  while (position >= 0 && number.digits[position] == '9') number.digits[position--] = '0';
  if (position >= 0) {
    ++number.digits[position];
  } else {
    number.digits[0] = '1';
    number.kept = 1;
    ++number.exponent;
  }
}

char* fill(char* out, int count, char c) {
  std::memset(out, c, static_cast<std::size_t>(count));
  return out + count;
}

/// Leaves room for a text of `length` characters right-justified in the field: the
/// leading blanks are written and the text's first position is returned; nullptr when
/// the text is longer than the field, which is then all asterisks.
char* justify(char* out, int length, int width) {
  if (length > width) {
    fill(out, width, '*');
    return nullptr;
  }
  return fill(out, width - length, ' ');
}

/// The C form of `value` in `form` with `digits` places. The longest, a fixed form of the
/// largest double, is a sign, 309 digits, the point and the places.
std::string printed(double value, std::chars_format form, int digits) {
  char text[1 + 309 + 1 + 80];
  const auto result = std::to_chars(text, text + sizeof text, value, form, digits);
  return {text, result.ptr};
}

// fixed_text's short way, for the few places of a plot's coordinates and a table's
// orders: a magnitude below 2^40 once scaled by 10^digits carries an error under 2^-13,
// so when its fraction is at least 2^-10 away from one half, the integer nearest the
// scaled value is the exact value's correctly rounded one, and its digits are the text.
constexpr std::array<double, 4> kScales = {1.0, 10.0, 100.0, 1000.0};
constexpr double kScaledLimit = 0x1p40;
constexpr double kTieMargin = 0x1p-10;

/// fixed_text(value, digits) by the short way, or false (nothing written) where it
/// cannot tell the rounding, near a tie or out of range (NaN and infinities too):
/// 0.26 with 1 -> "0.3", -0.01 with 1 -> "-0.0", 0.25 with 1 -> false.
bool short_fixed(double value, int digits, std::string& text) {
  if (digits < 0 || digits >= static_cast<int>(kScales.size())) return false;
  const double scaled = std::fabs(value) * kScales[static_cast<std::size_t>(digits)];
  if (!(scaled < kScaledLimit)) return false;
  const double whole = std::floor(scaled);
  const double fraction = scaled - whole;  // exact
  if (std::fabs(fraction - 0.5) < kTieMargin) return false;
  auto units = static_cast<std::uint64_t>(whole) + (fraction > 0.5 ? 1 : 0);
  char buffer[24];
  char* first = buffer + sizeof buffer;
  for (int place = 0; place < digits; ++place, units /= 10) *--first = static_cast<char>('0' + units % 10);
  if (digits > 0) *--first = '.';
  do {
    *--first = static_cast<char>('0' + units % 10);
    units /= 10;
  } while (units != 0);
  if (std::signbit(value)) *--first = '-';
  text.assign(first, buffer + sizeof buffer);
  return true;
}

}  // namespace

void format_integer(char* out, std::int64_t value, int width) {
  char digits[20];
  char* first = digits + sizeof digits;
  auto magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  do {
    *--first = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  const int count = static_cast<int>(digits + sizeof digits - first);
  char* text = justify(out, count + (value < 0 ? 1 : 0), width);
  if (text == nullptr) return;
  if (value < 0) *text++ = '-';
  std::memcpy(text, first, static_cast<std::size_t>(count));
}

void format_scientific(char* out, double value, int width, int digits) {
  if (!std::isfinite(value)) {
    fill(out, width, '*');
    return;
  }
  DecimalDigits number = seventeen_digits(std::fabs(value));
  round_to(number, digits + 1);
  const bool negative = value < 0.0;
  const int exponent = number.kept == 0 ? 0 : number.exponent - 1;
  const int magnitude = exponent < 0 ? -exponent : exponent;
  const int exponent_length = 4;  // "E+dd" up to 99, "+ddd" from 100 to 999
  char* text = justify(out, (negative ? 1 : 0) + 2 + digits + exponent_length, width);
  if (text == nullptr) return;
  if (negative) *text++ = '-';
  *text++ = number.at(0);
  *text++ = '.';
  for (int i = 1; i <= digits; ++i) *text++ = number.at(i);
  if (magnitude <= 99) {
    *text++ = 'E';
    *text++ = exponent < 0 ? '-' : '+';
  } else {
    *text++ = exponent < 0 ? '-' : '+';
    *text++ = static_cast<char>('0' + magnitude / 100);
  }
  *text++ = static_cast<char>('0' + magnitude / 10 % 10);
  *text = static_cast<char>('0' + magnitude % 10);
}

void format_fixed(char* out, double value, int width, int digits) {
  if (!std::isfinite(value)) {
    fill(out, width, '*');
    return;
  }
  DecimalDigits number = seventeen_digits(std::fabs(value));
  if (number.exponent < -digits) {
    number.kept = 0;  // below half a unit of the last place whatever its digits: ".000"
  } else {
    round_to(number, number.exponent + digits);
  }
  const bool negative = value < 0.0 && number.kept > 0;
  const int whole = std::max(number.exponent, 0);
  char* text = justify(out, (negative ? 1 : 0) + whole + 1 + digits, width);
  if (text == nullptr) return;
  if (negative) *text++ = '-';
  for (int i = 0; i < whole; ++i) *text++ = number.at(i);
  *text++ = '.';
  for (int i = 0; i < digits; ++i) *text++ = number.at(number.exponent + i);
}

std::string scientific_text(double value, int digits) {
  return printed(value, std::chars_format::scientific, digits);
}

void append_full_digits(std::string& text, double value) {
  char digits[32];  // "-d." 16 digits "e-308"
  const auto result = std::to_chars(digits, digits + sizeof digits, value,
                                    std::chars_format::scientific, kFullDigitsAfterThePoint);
  text.append(digits, result.ptr);
}

std::string fixed_text(double value, int digits) {
  std::string text;
  if (short_fixed(value, digits, text)) return text;
  return printed(value, std::chars_format::fixed, digits);
}

}  // namespace talvenor

#include "input/value_reader.hpp"

#include <algorithm>
#include <charconv>
#include <system_error>
#include <utility>

#include "system/error.hpp"

namespace talvenor {
namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kSeparators = " \t,/";
constexpr std::string_view kDigits = "0123456789";

bool is_separator(char c) {
  return kSeparators.find(c) != std::string_view::npos;
}
bool is_digit(char c) {
  return c >= '0' && c <= '9';
}
bool is_sign(char c) {
  return c == '+' || c == '-';
}

/// The digits of `text` from `at` on: advances `at` past them and returns them.
std::string_view take_digits(std::string_view text, std::size_t& at) {
  const std::size_t start = at;
  while (at < text.size() && is_digit(text[at])) ++at;
  return text.substr(start, at - start);
}

/// A real number split into its parts, as written: "-12.5D+3" -> "-", "12", "5", "+3".
struct RealParts {
  std::string_view sign, whole, fraction, exponent;
};

/// The parts of `text` when it is a real number as the case file writes one.
std::optional<RealParts> split_real(std::string_view text) {
  RealParts parts;
  std::size_t at = 0;
  if (at < text.size() && is_sign(text[at])) parts.sign = text.substr(at++, 1);
  parts.whole = take_digits(text, at);
  if (at < text.size() && text[at] == '.') parts.fraction = take_digits(text, ++at);
  if (parts.whole.empty() && parts.fraction.empty()) return std::nullopt;
  if (at < text.size() && std::string_view("EeDd").find(text[at]) != std::string_view::npos) {
    const std::size_t start = ++at;
    if (at < text.size() && is_sign(text[at])) ++at;
    if (take_digits(text, at).empty()) return std::nullopt;
    parts.exponent = text.substr(start, at - start);
  }
  if (at != text.size()) return std::nullopt;
  return parts;
}

/// True when the value of `parts`, which is not zero, is 1 or more in magnitude:
/// the decimal exponent of its first non-zero digit is 0 or more.
bool at_least_one(const RealParts& parts) {
  const std::string digits = std::string(parts.whole) + std::string(parts.fraction);
  const auto first = static_cast<std::int64_t>(digits.find_first_not_of('0'));
  // Exponents beyond a million move no digit of a 260-character value across 1.
  constexpr std::int64_t kSaturation = 1'000'000;
  std::int64_t exponent = 0;
  for (char c : parts.exponent) {
    if (is_digit(c)) exponent = std::min(exponent * 10 + (c - '0'), kSaturation);
  }
  if (!parts.exponent.empty() && parts.exponent.front() == '-') exponent = -exponent;
  return static_cast<std::int64_t>(parts.whole.size()) - first - 1 + exponent >= 0;
}

}  // namespace

ValueReader::ValueReader(std::string_view bytes, std::string source)
    : bytes_(bytes), source_(std::move(source)) {}

void ValueReader::read(std::string_view member, std::int32_t& target) {
  const std::optional<Value> value = next_value(member);
  if (!value) return;
  constexpr std::string_view kExpected = "an integer";
  if (value->delimited) fail_found(member, kExpected, *value);
  std::string_view text = value->bytes;
  std::size_t at = text.empty() || !is_sign(text.front()) ? 0 : 1;
  if (take_digits(text, at).empty() || at != text.size()) fail_found(member, kExpected, *value);
  if (text.front() == '+') text.remove_prefix(1);  // from_chars takes no plus sign
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), target);
  if (error == std::errc::result_out_of_range) {
    fail_found(member, "an integer from -2147483648 to 2147483647", *value);
  }
}

void ValueReader::read(std::string_view member, double& target) {
  const std::optional<Value> value = next_value(member);
  if (!value) return;
  constexpr std::string_view kExpected = "a real number";
  const std::optional<RealParts> parts = value->delimited ? std::nullopt : split_real(value->bytes);
  if (!parts) fail_found(member, kExpected, *value);
  // from_chars reads "-1.5e+3": no plus sign in front, the letter e before the exponent.
  std::string text(parts->sign == "-" ? "-" : "");
  text.append(parts->whole);
  if (!parts->fraction.empty()) text.append(".").append(parts->fraction);
  if (!parts->exponent.empty()) text.append("e").append(parts->exponent);
  double number = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error == std::errc::result_out_of_range) {
    // Reported alike for overflow and for a value that rounds to zero.
    if (at_least_one(*parts)) {
      fail_found(member, "a real number of magnitude at most 1.7976931348623157E+308", *value);
    }
    number = parts->sign == "-" ? -0.0 : 0.0;
  }
  target = number;
}

std::optional<std::string> ValueReader::read_text(std::string_view member) {
  std::optional<Value> value = next_value(member);
  if (!value) return std::nullopt;
  return std::move(value->bytes);
}

void ValueReader::reject(std::string_view member, std::string_view what) const {
  fail(value_line_, member, what);
}

std::optional<ValueReader::Value> ValueReader::next_value(std::string_view member) {
  const std::int64_t first_line = next_line_;
  std::string_view line;
  std::size_t at = std::string_view::npos;
  while (at == std::string_view::npos) {
    if (next_ == bytes_.size()) {
      fail(first_line, member, "end of file, expected the value of " + std::string(member));
    }
    value_line_ = next_line_;
    line = take_line();
    at = line.find_first_not_of(kBlanks);
  }

  const std::size_t count_end = std::min(line.find_first_not_of(kDigits, at), line.size());
  const bool repeated =
      count_end < line.size() && line[count_end] == '*' &&
      line.substr(at, count_end - at).find_first_not_of('0') != std::string_view::npos;
  if (repeated) at = count_end + 1;
  if (at == line.size() || is_separator(line[at])) return std::nullopt;

  if (line[at] == '\'' || line[at] == '"') {
    return Value{true, delimited_text(member, line, at + 1, line[at])};
  }
  const std::size_t end = std::min(line.find_first_of(kSeparators, at), line.size());
  const std::string_view token = line.substr(at, end - at);
  if (token.size() > kMaxUndelimitedLength) {
    fail(value_line_, member,
         "expected a value of at most " + std::to_string(kMaxUndelimitedLength) +
             " characters without delimiters, found " + std::to_string(token.size()) +
             " characters ('" + printable(token.substr(0, 20)) + "...')");
  }
  return Value{false, std::string(token)};
}

std::string ValueReader::delimited_text(std::string_view member, std::string_view line,
                                        std::size_t at, char quote) {
  std::string text;
  for (;;) {
    for (; at < line.size(); ++at) {
      if (line[at] != quote) {
        text += line[at];
      } else if (at + 1 < line.size() && line[at + 1] == quote) {
        text += quote;
        ++at;
      } else {
        return text;
      }
    }
    if (next_ == bytes_.size()) {
      fail(value_line_, member,
           std::string("end of file in the text opened by ") + quote +
               " on this line, expected a closing " + quote);
    }
    line = take_line();
    at = 0;
  }
}

std::string_view ValueReader::take_line() {
  const std::size_t feed = std::min(bytes_.find('\n', next_), bytes_.size());
  std::string_view line = bytes_.substr(next_, feed - next_);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  next_ = std::min(feed + 1, bytes_.size());
  ++next_line_;
  return line;
}

void ValueReader::fail(std::int64_t line, std::string_view member, std::string_view what) const {
  throw Error(Error::Kind::case_file, source_ + " line " + std::to_string(line) + " (" +
                                          std::string(member) + "): " + std::string(what));
}

void ValueReader::fail_found(std::string_view member, std::string_view expected,
                             const Value& value) const {
  fail(value_line_, member,
       "expected " + std::string(expected) + ", found " + (value.delimited ? "the text '" : "'") +
           printable(value.bytes) + "'");
}

}  // namespace talvenor

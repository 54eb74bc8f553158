#include "input/case_scanner.hpp"

#include "system/error.hpp"

namespace talvenor {
namespace {

constexpr std::size_t kLongestUndelimited = 260;

bool ends_value(char c) {
  return c == ' ' || c == '\t' || c == ',' || c == '/';
}
bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::string shown(std::string_view text) {
  constexpr std::size_t kLongest = 40;
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (std::size_t i = 0; i < text.size() && i < kLongest; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x20 && byte < 0x7F) {
      out += static_cast<char>(byte);
    } else {
      out += {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xF]};
    }
  }
  if (text.size() > kLongest) out += "...";
  return out;
}

CaseScanner::CaseScanner(std::string_view bytes, std::string_view file_name)
    : bytes_(bytes), file_name_(file_name) {}

void CaseScanner::fail(int line, std::string_view member, const std::string& what) const {
  throw Error(Error::Kind::case_file, std::string(file_name_) + " (unit 7) line " +
                                          std::to_string(line) + " (" + std::string(member) +
                                          "): " + what);
}

bool CaseScanner::at_line_end() const {
  if (position_ >= bytes_.size() || bytes_[position_] == '\n') return true;
  return bytes_[position_] == '\r' &&
         (position_ + 1 == bytes_.size() || bytes_[position_ + 1] == '\n');
}

void CaseScanner::skip_to_next_line() {
  const std::size_t end = bytes_.find('\n', position_);
  position_ = end == std::string_view::npos ? bytes_.size() : end + 1;
  ++line_;
}

bool CaseScanner::skip_blanks_and_empty_lines() {
  for (;;) {
    while (position_ < bytes_.size() && (bytes_[position_] == ' ' || bytes_[position_] == '\t')) {
      ++position_;
    }
    if (!at_line_end()) return true;
    if (position_ >= bytes_.size()) return false;
    skip_to_next_line();
  }
}

std::string CaseScanner::delimited_text(int line, std::string_view member) {
  const char delimiter = bytes_[position_++];
  std::string text;
  for (;;) {
    if (position_ >= bytes_.size()) {
      fail(line, member,
           std::string("end of file inside the text opened with ") + delimiter + " on line " +
               std::to_string(line));
    }
    if (at_line_end()) {
      skip_to_next_line();  // the text goes on; the line break itself is not stored
      continue;
    }
    const char c = bytes_[position_++];
    if (c != delimiter) {
      text += c;
    } else if (position_ < bytes_.size() && bytes_[position_] == delimiter) {
      text += delimiter;
      ++position_;
    } else {
      return text;
    }
  }
}

CaseScanner::Value CaseScanner::next(std::string_view member) {
  if (!skip_blanks_and_empty_lines()) {
    fail(line_, member, "end of file, expected the value of " + std::string(member));
  }
  Value value;
  value.line = line_;

  // A repeat count r* before the value: r*c gives c, r* alone is a null value.
  std::size_t digits = position_;
  while (digits < bytes_.size() && is_digit(bytes_[digits])) ++digits;
  if (digits > position_ && digits < bytes_.size() && bytes_[digits] == '*') {
    position_ = digits + 1;
  }

  if (at_line_end() || ends_value(bytes_[position_])) {
    value.kind = Value::Kind::null;
  } else if (bytes_[position_] == '\'' || bytes_[position_] == '"') {
    value.kind = Value::Kind::delimited;
    value.text = delimited_text(value.line, member);
  } else {
    value.kind = Value::Kind::undelimited;
    const std::size_t start = position_;
    while (!at_line_end() && !ends_value(bytes_[position_])) ++position_;
    value.text = std::string(bytes_.substr(start, position_ - start));
    if (value.text.size() > kLongestUndelimited) {
      fail(value.line, member,
           "a value without delimiters is longer than " + std::to_string(kLongestUndelimited) +
               " characters: '" + shown(value.text) + "'");
    }
  }
  skip_to_next_line();
  return value;
}

}  // namespace talvenor

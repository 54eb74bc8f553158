#include "textio/text_helpers.hpp"

#include <algorithm>
#include <array>
#include <optional>

#include "textio/code_page.hpp"

namespace talvenor {

std::string padded(std::string_view text, std::size_t width, Align align) {
  const std::string pad(width > text.size() ? width - text.size() : 0, ' ');
  return align == Align::left ? std::string(text).append(pad) : pad + std::string(text);
}

std::string join(const std::vector<std::string>& parts, std::string_view separator,
                 std::string_view last_separator) {
  std::string text;
  for (std::size_t k = 0; k < parts.size(); ++k) {
    if (k > 0) text += k + 1 == parts.size() ? last_separator : separator;
    text += parts[k];
  }
  return text;
}

std::string printable(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) {
      text += c;
    } else {
      text += "\\x";
      text += kHex[byte >> 4];
      text += kHex[byte & 0xF];
    }
  }
  return text;
}

std::string html_escape(std::string_view text) {
  std::string escaped;
  append_html_escaped(escaped, text);
  return escaped;
}

namespace {

/// The bytes that append_html_escaped copies as they are: printable ASCII but & < > " '.
constexpr std::array<bool, 256> kPlainBytes = [] {
  std::array<bool, 256> plain{};
  for (std::size_t byte = 0x20; byte < 0x80; ++byte) plain[byte] = true;
  for (const char c : {'&', '<', '>', '"', '\''}) plain[static_cast<unsigned char>(c)] = false;
  return plain;
}();

}  // namespace

void append_html_escaped(std::string& escaped, std::string_view text) {
  // Most texts (numbers, names) need nothing: they are copied at once.
  const auto plain = [](char c) { return kPlainBytes[static_cast<unsigned char>(c)]; };
  const std::size_t first = static_cast<std::size_t>(
      std::find_if_not(text.begin(), text.end(), plain) - text.begin());
  escaped.append(text.substr(0, first));
  for (std::size_t position = first; position < text.size();) {
    const char c = text[position];
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80) {  // UTF-8: the code point as a reference; U+FFFD for a bad sequence
      const std::optional<char32_t> point = decode_utf8(text, position);
      escaped += "&#" + std::to_string(static_cast<unsigned>(point.value_or(U'\uFFFD'))) + ";";
      continue;
    }
    ++position;
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      case '\'':
        escaped += "&#39;";
        break;
      default:
        // No control character is text in XML.
        if (byte < 0x20 && c != '\t' && c != '\n' && c != '\r') {
          escaped += "&#65533;";
        } else {
          escaped += c;
        }
    }
  }
}

std::string csv_field(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (const char c : text) quoted.append(c == '"' ? 2 : 1, c);
  return quoted + "\"";
}

}  // namespace talvenor

#include "study_reports/markup.hpp"

#include <array>

namespace talvenor {
namespace {

/// The characters of Windows-1252 bytes 0x80 to 0x9F; the five bytes it leaves
/// undefined are the replacement character.
constexpr std::array<char32_t, 32> kWindows1252High = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

/// ` name="value"` for each attribute.
std::string attribute_list(std::initializer_list<Attribute> attributes) {
  std::string text;
  for (const auto& [name, value] : attributes) {
    text.append(" ").append(name).append("=\"").append(html_escape(value)).append("\"");
  }
  return text;
}

}  // namespace

std::string html_escape(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
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
        if (byte >= 0x80 && byte < 0xA0) {
          escaped +=
              "&#" + std::to_string(static_cast<unsigned>(kWindows1252High[byte - 0x80])) + ";";
        } else if (byte >= 0xA0) {
          escaped += "&#" + std::to_string(byte) + ";";
        } else if (byte < 0x20 && c != '\t' && c != '\n' && c != '\r') {
          escaped += "&#65533;";  // no control character is text in XML
        } else {
          escaped += c;
        }
    }
  }
  return escaped;
}

std::string open_tag(std::string_view tag, std::initializer_list<Attribute> attributes) {
  std::string element(1, '<');
  return element.append(tag).append(attribute_list(attributes)).append(">");
}

std::string empty_element(std::string_view tag, std::initializer_list<Attribute> attributes) {
  std::string element(1, '<');
  return element.append(tag).append(attribute_list(attributes)).append("/>");
}

std::string text_element(std::string_view tag, std::initializer_list<Attribute> attributes,
                         std::string_view text) {
  return open_tag(tag, attributes).append(html_escape(text)).append("</").append(tag).append(">");
}

std::string text_element(std::string_view tag, std::string_view text) {
  return text_element(tag, {}, text);
}

}  // namespace talvenor

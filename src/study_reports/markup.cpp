#include "study_reports/markup.hpp"

#include <string>

#include "textio/code_page.hpp"

namespace talvenor {
namespace {

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
        if (byte >= 0x80) {
          escaped +=
              "&#" + std::to_string(static_cast<unsigned>(windows_1252_code_point(byte))) + ";";
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

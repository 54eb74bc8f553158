#include "study_reports/markup.hpp"

#include <string>

#include "textio/text_helpers.hpp"

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

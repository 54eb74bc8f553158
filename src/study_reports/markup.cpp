#include "study_reports/markup.hpp"

#include <string>

#include "textio/text_helpers.hpp"

namespace talvenor {
namespace {

/// "<tag" and ` name="value"` for each attribute, with room for `more` bytes after them
/// (so that an element is built in one allocation when nothing needs escaping).
std::string tag_with_attributes(std::string_view tag, std::initializer_list<Attribute> attributes,
                                std::size_t more) {
  std::size_t size = 1 + tag.size() + more;
  for (const auto& [name, value] : attributes) size += name.size() + value.size() + 4;
  std::string text;
  text.reserve(size);
  text += '<';
  text.append(tag);
  for (const auto& [name, value] : attributes) {
    text.append(" ").append(name).append("=\"");
    append_html_escaped(text, value);
    text += '"';
  }
  return text;
}

}  // namespace

std::string open_tag(std::string_view tag, std::initializer_list<Attribute> attributes) {
  std::string element = tag_with_attributes(tag, attributes, 1);
  element += '>';
  return element;
}

std::string empty_element(std::string_view tag, std::initializer_list<Attribute> attributes) {
  std::string element = tag_with_attributes(tag, attributes, 2);
  element += "/>";
  return element;
}

std::string text_element(std::string_view tag, std::initializer_list<Attribute> attributes,
                         std::string_view text) {
  std::string element = tag_with_attributes(tag, attributes, 1 + text.size() + 3 + tag.size());
  element += '>';
  append_html_escaped(element, text);
  return element.append("</").append(tag).append(">");
}

std::string text_element(std::string_view tag, std::string_view text) {
  return text_element(tag, {}, text);
}

}  // namespace talvenor

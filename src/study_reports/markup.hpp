#pragma once

// Writing HTML, SVG and XML: escaped text and elements with their attributes.

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "textio/text_helpers.hpp"  // html_escape

namespace talvenor {

/// An attribute of an element: its name and its value, escaped by the writer.
using Attribute = std::pair<std::string_view, std::string>;

/// The opening tag: open_tag("svg", {{"width", "640.0"}}) -> "<svg width=\"640.0\">".
std::string open_tag(std::string_view tag, std::initializer_list<Attribute> attributes);

/// An empty element: empty_element("circle", {{"r", "4"}}) -> "<circle r=\"4\"/>".
std::string empty_element(std::string_view tag, std::initializer_list<Attribute> attributes);

/// An element holding `text`, escaped:
///   text_element("text", {{"x", "1.0"}}, "a < b") -> "<text x=\"1.0\">a &lt; b</text>"
std::string text_element(std::string_view tag, std::initializer_list<Attribute> attributes,
                         std::string_view text);

/// The same without attributes: text_element("p", "a") -> "<p>a</p>".
std::string text_element(std::string_view tag, std::string_view text);

}  // namespace talvenor

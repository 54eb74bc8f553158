#include "textio/layout.hpp"

#include <algorithm>
#include <cstring>
#include <optional>
#include <stdexcept>

#include "textio/code_page.hpp"
#include "textio/number_format.hpp"

namespace talvenor {
namespace {

using Element = Layout::Element;
using Kind = Element::Kind;

constexpr int kLargestNumber = 9999;

[[noreturn]] void reject(std::u8string_view layout, const std::string& what) {
  throw std::logic_error("layout \"" + std::string(layout.begin(), layout.end()) + "\": " + what);
}

// A step as parsed, before the scale factor is checked: an element, or 1P (nullopt).
using Step = std::optional<Element>;

/// Reads a layout text into its expanded steps; every error names the layout and the
/// position where reading stopped.
class Parser {
 public:
  explicit Parser(std::u8string_view text) : text_(text) {}

  std::vector<Step> layout() {
    expect('(');
    std::vector<Step> steps = list();
    expect(')');
    if (position_ != text_.size()) fail("text after the closing parenthesis");
    return steps;
  }

  [[noreturn]] void fail(const std::string& what) const {
    reject(text_, what + " at byte " + std::to_string(position_ + 1));
  }

 private:
  char32_t peek() const { return position_ < text_.size() ? text_[position_] : U'\0'; }

  bool accept(char32_t c) {
    if (peek() != c) return false;
    ++position_;
    return true;
  }

  void expect(char32_t c) {
    if (!accept(c)) fail("expected '" + std::string(1, static_cast<char>(c)) + "'");
  }

  static bool is_digit(char32_t c) { return c >= U'0' && c <= U'9'; }

  /// A number from `least` to 9999.
  int number(int least, const char* what) {
    if (!is_digit(peek())) fail(std::string("expected ") + what);
    int value = 0;
    while (is_digit(peek())) {
      value = value * 10 + static_cast<int>(text_[position_++] - u8'0');
      if (value > kLargestNumber) fail(std::string(what) + " above 9999");
    }
    if (value < least) fail(std::string(what) + " below " + std::to_string(least));
    return value;
  }

  std::vector<Step> list() {
    std::vector<Step> steps;
    do {
      item(steps);
    } while (accept(U','));
    return steps;
  }

  void item(std::vector<Step>& steps) {
    const char32_t c = peek();
    if (is_digit(c)) {
      const int count = number(1, "a count");
      if (accept(U'X')) {
        steps.push_back(Element{Kind::skip, count});
      } else if (accept(U'P')) {
        if (count != 1) fail("only the scale factor 1P is supported");
        steps.push_back(std::nullopt);
      } else if (peek() == U'(') {
        group(steps, count);
      } else {
        fail("expected X, P or '(' after a count");
      }
      return;
    }
    ++position_;
    switch (c) {
      case U'I':
        steps.push_back(Element{Kind::integer, number(1, "a width")});
        break;
      case U'E':
      case U'F': {
        const int width = number(1, "a width");
        expect(U'.');
        steps.push_back(
            Element{c == U'E' ? Kind::scientific : Kind::fixed, width, number(0, "a digit count")});
        break;
      }
      case U'A':
        steps.push_back(accept(U'^') ? Element{Kind::text_runtime}
                                     : Element{Kind::text, number(1, "a width")});
        break;
      case U'T':
        steps.push_back(Element{Kind::tab, number(1, "a column")});
        break;
      case U'/':
        steps.push_back(Element{Kind::new_record});
        break;
      case U'\'':
        steps.push_back(Element{Kind::literal, 0, 0, literal()});
        break;
      case U'(':
        --position_;
        group(steps, 1);
        break;
      default:
        --position_;
        fail("expected a layout element");
    }
  }

  void group(std::vector<Step>& steps, int count) {
    expect(U'(');
    const std::vector<Step> contents = list();
    expect(U')');
    for (int i = 0; i < count; ++i) steps.insert(steps.end(), contents.begin(), contents.end());
  }

  /// The bytes of a literal whose opening apostrophe has been read, up to and with its
  /// closing one; '' inside stands for one apostrophe.
  std::string literal() {
    std::string bytes;
    for (;;) {
      if (position_ == text_.size()) fail("a literal without its closing apostrophe");
      if (accept(U'\'')) {
        if (!accept(U'\'')) return bytes;
        bytes.push_back('\'');
        continue;
      }
      const std::size_t start = position_;
      const int byte = windows_1252(code_point());
      if (byte < 0) {
        position_ = start;
        fail("a character that Windows-1252 lacks");
      }
      bytes.push_back(static_cast<char>(byte));
    }
  }

  /// Decodes one UTF-8 sequence.
  char32_t code_point() {
    const std::string_view bytes(reinterpret_cast<const char*>(text_.data()), text_.size());
    const std::optional<char32_t> value = decode_utf8(bytes, position_);
    if (!value) fail("malformed UTF-8");
    return *value;
  }

  std::u8string_view text_;
  std::size_t position_ = 0;
};

// The data kinds come first in Element::Kind.
bool is_data(Kind kind) {
  return kind <= Kind::text_runtime;
}

/// The most bytes a step can add to a write, leaving aside the texts under A^.
std::size_t most_bytes(const Element& element) {
  switch (element.kind) {
    case Kind::tab:
      return static_cast<std::size_t>(element.width - 1);
    case Kind::new_record:
      return 2;
    case Kind::literal:
      return element.literal.size();
    default:
      return static_cast<std::size_t>(element.width);
  }
}

}  // namespace

Layout::Layout(std::u8string_view text) {
  bool scaled = false;
  for (Step& step : Parser(text).layout()) {
    if (!step) {
      scaled = true;
      continue;
    }
    if (step->kind == Kind::scientific && !scaled) reject(text, "an E field without 1P before it");
    if (step->kind == Kind::fixed && scaled) reject(text, "an F field after 1P");
    data_elements_ += is_data(step->kind) ? 1 : 0;
    runtime_widths_ += step->kind == Kind::text_runtime ? 1 : 0;
    most_bytes_ += most_bytes(*step);
    elements_.push_back(std::move(*step));
  }
  most_bytes_ += 2;  // the end of the last record
}

/// Builds records in place in a TextFile's buffer.
class RecordWriter {
 public:
  static void formatted(TextFile& file, const Layout& layout, std::initializer_list<Item> items,
                        int width);
  static void free_form(TextFile& file, std::initializer_list<std::string_view> items);
};

namespace {

template <typename T>
const T& item_as(const Item& item, const char* element) {
  if (const T* value = std::get_if<T>(&item)) return *value;
  throw std::logic_error(std::string("an item of the wrong type for the element ") + element);
}

char* place_text(char* out, std::string_view text) {
  return std::copy(text.begin(), text.end(), out);
}

/// Where the next character of a formatted write goes: out, in the record that
/// starts at `record` (its column 1), after `pending` blanks owed to column moves.
struct Cursor {
  char* out;
  char* record;
  int pending = 0;

  /// Writes the blanks owed before the next character.
  void settle() {
    std::memset(out, ' ', static_cast<std::size_t>(pending));
    out += pending;
    pending = 0;
  }
};

/// Writes one element of a layout at `at`, taking its item from `item` (and moving
/// `item` past it) when the element is a data element; `width` is the A^ width.
void place_element(Cursor& at, const Element& element, const Item*& item, int width) {
  switch (element.kind) {
    case Kind::integer:
      at.settle();
      format_integer(at.out, item_as<std::int32_t>(*item++, "I"), element.width);
      at.out += element.width;
      break;
    case Kind::scientific:
      at.settle();
      format_scientific(at.out, item_as<double>(*item++, "E"), element.width, element.digits);
      at.out += element.width;
      break;
    case Kind::fixed:
      at.settle();
      format_fixed(at.out, item_as<double>(*item++, "F"), element.width, element.digits);
      at.out += element.width;
      break;
    case Kind::text:
    case Kind::text_runtime: {
      const std::string_view text = item_as<std::string_view>(*item++, "A");
      const auto field =
          static_cast<std::size_t>(element.kind == Kind::text ? element.width : width);
      const std::string_view shown = field == 0 ? text : text.substr(0, field);
      const std::size_t blanks = field > shown.size() ? field - shown.size() : 0;
      if (blanks + shown.size() == 0) break;  // an empty A^: no character, no column
      at.settle();
      std::memset(at.out, ' ', blanks);
      at.out = place_text(at.out + blanks, shown);
      break;
    }
    case Kind::skip:
      at.pending += element.width;
      break;
    case Kind::tab:
      at.pending = element.width - 1 - static_cast<int>(at.out - at.record);
      if (at.pending < 0) throw std::logic_error("a tab left of a character already placed");
      break;
    case Kind::new_record:
      *at.out++ = '\r';
      *at.out++ = '\n';
      at.record = at.out;
      at.pending = 0;
      break;
    case Kind::literal:
      if (element.literal.empty()) break;
      at.settle();
      at.out = place_text(at.out, element.literal);
      break;
  }
}

}  // namespace

void RecordWriter::formatted(TextFile& file, const Layout& layout,
                             std::initializer_list<Item> items, int width) {
  if (items.size() > layout.data_elements_) {
    throw std::logic_error("more items than the layout has data elements");
  }
  if (width < 0) throw std::logic_error("a negative width for A^");
  std::size_t bound = layout.most_bytes_ + layout.runtime_widths_ * static_cast<std::size_t>(width);
  for (const Item& item : items) {
    if (const auto* text = std::get_if<std::string_view>(&item)) bound += text->size();
  }
  char* const start = file.reserve(bound);
  Cursor at{start, start};
  const Item* item = items.begin();
  for (const Element& element : layout.elements_) {
    if (is_data(element.kind) && item == items.end()) break;
    place_element(at, element, item, width);
  }
  *at.out++ = '\r';
  *at.out++ = '\n';
  file.commit(at.out);
}

void RecordWriter::free_form(TextFile& file, std::initializer_list<std::string_view> items) {
  std::size_t bound = 3;
  for (std::string_view text : items) bound += text.size();
  char* out = file.reserve(bound);
  *out++ = ' ';
  for (std::string_view text : items) out = place_text(out, text);
  *out++ = '\r';
  *out++ = '\n';
  file.commit(out);
}

void write_formatted(TextFile& file, const Layout& layout, std::initializer_list<Item> items,
                     int width) {
  RecordWriter::formatted(file, layout, items, width);
}

void write_free_form(TextFile& file, std::initializer_list<std::string_view> items) {
  RecordWriter::free_form(file, items);
}

}  // namespace talvenor

#include "textio/text_helpers.hpp"

#include <gtest/gtest.h>

#include "textio/code_page.hpp"

namespace talvenor {
namespace {

TEST(HtmlEscape, MarkupAndEveryByteOutsideAsciiBecomeReferences) {
  EXPECT_EQ(html_escape("a < b & 'c' > \"d\""), "a &lt; b &amp; &#39;c&#39; &gt; &quot;d&quot;");
  // A title in Windows-1252: é, the euro sign of byte 0x80, a control character.
  EXPECT_EQ(html_escape("Caf\xC3\xA9 \xE2\x82\xAC \x01 \xCE\x94p \xE9"),
            "Caf&#233; &#8364; &#65533; &#916;p &#65533;");
  EXPECT_EQ(utf8_from_windows_1252("Caf\xE9 \x80"), "Caf\xC3\xA9 \xE2\x82\xAC");
}

TEST(Padded, FillsTheOtherSideAndLeavesALongerTextWhole) {
  EXPECT_EQ(padded("ab", 4), "  ab");
  EXPECT_EQ(padded("ab", 4, Align::left), "ab  ");
  // A figure wider than its column is never cut: the table shifts, the number stays true.
  EXPECT_EQ(padded("1.25e+10", 6), "1.25e+10");
  EXPECT_EQ(padded("", 3, Align::left), "   ");
}

TEST(CsvField, QuotesAFieldWithACommaAQuoteOrALineEnd) {
  EXPECT_EQ(csv_field("u(1/2)"), "u(1/2)");
  EXPECT_EQ(csv_field("round-off, \"jitter\""), "\"round-off, \"\"jitter\"\"\"");
}

}  // namespace
}  // namespace talvenor

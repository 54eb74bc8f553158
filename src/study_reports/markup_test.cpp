#include "study_reports/markup.hpp"

#include <gtest/gtest.h>

namespace talvenor {
namespace {

TEST(HtmlEscape, MarkupAndEveryByteOutsideAsciiBecomeReferences) {
  EXPECT_EQ(html_escape("a < b & 'c' > \"d\""), "a &lt; b &amp; &#39;c&#39; &gt; &quot;d&quot;");
  // A title in Windows-1252: é, the euro sign of byte 0x80, a control character.
  EXPECT_EQ(html_escape("Caf\xE9 \x80 \x01"), "Caf&#233; &#8364; &#65533;");
}

}  // namespace
}  // namespace talvenor

#include "textio/layout.hpp"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "textio/test_support.hpp"

namespace talvenor {
namespace {

class LayoutWrite : public ::testing::Test {
 protected:
  /// The bytes of a new file after one formatted write.
  std::string written(const char8_t* layout, std::initializer_list<Item> items, int width = 0) {
    const Layout parsed(layout);
    return written_by([&](TextFile& file) { write_formatted(file, parsed, items, width); });
  }

  template <typename Write>
  std::string written_by(Write write) {
    const std::string path = scratch_.file("out.txt");
    TextFile file(path, 10, "listing");
    write(file);
    file.close();
    return testing::file_bytes(path);
  }

  testing::ScratchDir scratch_;
};

TEST_F(LayoutWrite, ColumnMovesOweBlanksUntilACharacterFollows) {
  EXPECT_EQ(written(u8"(I8,5X)", {1}), "       1\r\n");
  EXPECT_EQ(written(u8"('x',T10)", {}), "x\r\n");
  EXPECT_EQ(written(u8"(T5,'x')", {}), "    x\r\n");
  EXPECT_EQ(written(u8"(3X,T2,'x')", {}), " x\r\n");
  EXPECT_EQ(written(u8"(T3,2X,'x')", {}), "    x\r\n");
  EXPECT_EQ(written(u8"(5X,/,'a')", {}), "\r\na\r\n");
  EXPECT_EQ(written(u8"(I8,3X,A^)", {3, ""}, 0), "       3\r\n");
  EXPECT_EQ(written(u8"(I2,3X,'')", {3}), " 3\r\n");
  EXPECT_EQ(written(u8"(I2,3X,A^,'|')", {3, ""}, 0), " 3   |\r\n");
}

TEST_F(LayoutWrite, TextFields) {
  const std::string caso = "caso1" + std::string(45, ' ');
  EXPECT_EQ(written(u8"(A50)", {caso}), caso + "\r\n");
  EXPECT_EQ(written(u8"(A5,'|')", {"ab   "}), "ab   |\r\n");
  EXPECT_EQ(written(u8"(A5)", {"abcdefg"}), "abcde\r\n");
  EXPECT_EQ(written(u8"(A5)", {"ab"}), "   ab\r\n");
  EXPECT_EQ(written(u8"(A^)", {"abcdef"}, 3), "abc\r\n");
  EXPECT_EQ(written(u8"(A^,'|')", {"ab"}, 4), "  ab|\r\n");
  EXPECT_EQ(written(u8"(A^)", {"whole text"}, 0), "whole text\r\n");
  // The title record of the case echo, with the title's trimmed length as the width.
  EXPECT_EQ(written(u8"(/,7X,'título = ',A^,/)", {"Teste"}, 5),
            "\r\n       t\xEDtulo = Teste\r\n\r\n");
  EXPECT_EQ(written(u8"(/,7X,'título = ',A^,/)", {""}, 0), "\r\n       t\xEDtulo = \r\n\r\n");
}

TEST_F(LayoutWrite, StopsAtADataElementWithNoItemLeft) {
  EXPECT_EQ(written(u8"(I8,1X,'= N')", {20}), "      20 = N\r\n");
  EXPECT_EQ(written(u8"(I8,' a',I8,' b')", {7}), "       7 a\r\n");
  EXPECT_EQ(written(u8"(I8,/,I8,/)", {1}), "       1\r\n\r\n");
  EXPECT_EQ(written(u8"(I8)", {}), "\r\n");
  EXPECT_EQ(written(u8"(1X,'*** DADOS ***')", {}), " *** DADOS ***\r\n");
}

TEST_F(LayoutWrite, RecordEnds) {
  EXPECT_EQ(written(u8"(/)", {}), "\r\n\r\n");
  EXPECT_EQ(written(u8"('a',/,/,'b')", {}), "a\r\n\r\nb\r\n");
  EXPECT_EQ(written(u8"(/,1X,'*** SOLUÇÕES DE u ***',/,/,T7,'nó',T12,'x',T35,'analítico',"
                    u8"T58,'numérico',T81,'erro',/)",
                    {}),
            "\r\n"
            " *** SOLU\xC7\xD5"
            "ES DE u ***\r\n"
            "\r\n"
            "      n\xF3   x                      anal\xEDtico              num\xE9rico"
            "               erro\r\n"
            "\r\n");
}

TEST_F(LayoutWrite, IterationLogHeaderAndRowLineUp) {
  static const Layout kHeader(u8"(T2,'iteração',T12,'u(1/2)',T35,'u_média',T58,'Inclinação')");
  static const Layout kRow(u8"(I8,3(1P,E23.14))");
  const std::string bytes = written_by([](TextFile& file) {
    write_formatted(file, kHeader, {});
    write_formatted(file, kRow, {3, 0.5, 0.4999873214, -1.25});
  });
  const std::string header =
      " itera\xE7\xE3o  u(1/2)                 u_m\xE9"
      "dia                Inclina\xE7\xE3o";
  const std::string row =
      "       3   5.00000000000000E-01   4.99987321400000E-01  -1.25000000000000E+00";
  EXPECT_EQ(bytes, header + "\r\n" + row + "\r\n");
  EXPECT_EQ(header.size(), 67u);
  for (std::size_t column : {12u, 35u}) {
    EXPECT_NE(header[column - 1], ' ') << column;
    EXPECT_EQ(header[column - 2], ' ') << column;
    EXPECT_NE(row[column - 1], ' ') << column;
  }
  EXPECT_EQ(row[56], '-');  // the sign takes the blank before the first digit, column 58
  EXPECT_EQ(row[57], '1');
}

TEST(LayoutParse, GroupsAreExpandedAndOnePLeavesNoStep) {
  const Layout layout(u8"(I8,3(1P,E23.14))");
  ASSERT_EQ(layout.elements().size(), 4u);
  EXPECT_EQ(layout.elements()[0].kind, Layout::Element::Kind::integer);
  for (std::size_t i = 1; i < 4; ++i) {
    EXPECT_EQ(layout.elements()[i].kind, Layout::Element::Kind::scientific);
    EXPECT_EQ(layout.elements()[i].width, 23);
    EXPECT_EQ(layout.elements()[i].digits, 14);
  }
}

TEST_F(LayoutWrite, RepeatGroups) {
  EXPECT_EQ(written(u8"(2('a',I2))", {1, 2}), "a 1a 2\r\n");
  EXPECT_EQ(written(u8"(2(I2,2('-')))", {1, 2}), " 1-- 2--\r\n");
  EXPECT_EQ(written(u8"(F6.1,1P,2(E10.3))", {0.25, 1.0, 2.0}), "    .3 1.000E+00 2.000E+00\r\n");
  const std::string row = written(u8"(I8,5(1P,E23.14))", {10, 1.0, 0.0, 1.0, 0.0, 0.0015});
  EXPECT_EQ(row.size(), 123u + 2u);
}

TEST_F(LayoutWrite, Literals) {
  EXPECT_EQ(written(u8"('it''s')", {}), "it's\r\n");
  EXPECT_EQ(written(u8"('''')", {}), "'\r\n");
  EXPECT_EQ(written(u8"('€ŠŸ ç')", {}), "\x80\x8A\x9F \xE7\r\n");
}

TEST(LayoutParse, RejectsMalformedLayouts) {
  const char8_t* const malformed[] = {
      u8"",
      u8"I8",
      u8"(I8",
      u8"(I8,)",
      u8"(,I8)",
      u8"()",
      u8"(I8)x",
      u8"(I0)",
      u8"(E23)",
      u8"(1P,E23.)",
      u8"(0X)",
      u8"(X)",
      u8"(T0)",
      u8"(2P,E23.14)",
      u8"(A0)",
      u8"('abc)",
      u8"(Q5)",
      u8"(i8)",
      u8"(I8 )",
      u8"(I99999)",
      u8"(3)",
      u8"(2())",
      u8"(I8,,I8)",
      u8"(0(I8))",
      // The scale factor: E only after 1P, F never after it, also in a later repetition.
      u8"(E23.14)",
      u8"(1P,F14.3)",
      u8"(2(F14.3,1P))",
      // Characters that Windows-1252 lacks.
      u8"('Ā')",
      u8"('\u0081')",
      u8"('→')",
  };
  for (const char8_t* text : malformed) {
    EXPECT_THROW(Layout{text}, std::logic_error) << reinterpret_cast<const char*>(text);
  }
  const char8_t broken_utf8[] = {u8'(', u8'\'', char8_t{0xC3}, u8'\'', u8')', 0};
  EXPECT_THROW(Layout{broken_utf8}, std::logic_error);
  const char8_t overlong[] = {u8'(', u8'\'', char8_t{0xC1}, char8_t{0x81}, u8'\'', u8')', 0};
  EXPECT_THROW(Layout{overlong}, std::logic_error);
  EXPECT_NO_THROW(Layout{u8"(F14.3,1P,2(E23.14),(I8))"});
}

TEST(LayoutParse, MessagesNameTheLayoutAndWhere) {
  const auto message = [](const char8_t* text) {
    try {
      Layout{text};
    } catch (const std::logic_error& error) {
      return std::string(error.what());
    }
    return std::string();
  };
  EXPECT_EQ(message(u8"(I8,)"), "layout \"(I8,)\": expected a layout element at byte 5");
  EXPECT_EQ(message(u8"(1P,F14.3)"), "layout \"(1P,F14.3)\": an F field after 1P");
}

TEST_F(LayoutWrite, ProgrammingErrorsLeaveNothingInTheFile) {
  static const Layout kInteger(u8"(I8)");
  static const Layout kReal(u8"(1P,E23.14)");
  static const Layout kText(u8"('a',/,A5)");
  static const Layout kBackTab(u8"('ab',T2,'c')");
  const std::string bytes = written_by([](TextFile& file) {
    write_formatted(file, kInteger, {1});
    EXPECT_THROW(write_formatted(file, kInteger, {1.0}), std::logic_error);
    EXPECT_THROW(write_formatted(file, kReal, {1}), std::logic_error);
    EXPECT_THROW(write_formatted(file, kText, {2}), std::logic_error);
    EXPECT_THROW(write_formatted(file, kInteger, {1, 2}), std::logic_error);
    EXPECT_THROW(write_formatted(file, kText, {"x"}, -1), std::logic_error);
    EXPECT_THROW(write_formatted(file, kBackTab, {}), std::logic_error);
  });
  EXPECT_EQ(bytes, "       1\r\n");
}

TEST_F(LayoutWrite, FreeFormRecords) {
  EXPECT_EQ(written_by([](TextFile& file) {
              write_free_form(file, {"set title '", "abc", "'"});
            }),
            " set title 'abc'\r\n");
  EXPECT_EQ(written_by([](TextFile& file) { write_free_form(file, {"replot"}); }), " replot\r\n");
  EXPECT_EQ(written_by([](TextFile& file) {
              write_free_form(file, {"a ", "", "b  "});
            }),
            " a b  \r\n");
  EXPECT_EQ(written_by([](TextFile& file) { write_free_form(file, {}); }), " \r\n");
}

}  // namespace
}  // namespace talvenor

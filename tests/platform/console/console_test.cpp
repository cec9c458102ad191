#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/console/console.h"
#include "platform/console/headless_backend.h"
#include "platform/console/stream_backend.h"
#include "platform/text/literal.h"

namespace codfix::console {
namespace {

using namespace codfix::text::literals;

struct ConsoleTest : ::testing::Test {
  HeadlessBackend* headless = nullptr;
  std::unique_ptr<ConsoleScope> scope;
  void SetUp() override {
    auto b = std::make_unique<HeadlessBackend>();
    headless = b.get();
    scope = std::make_unique<ConsoleScope>(std::move(b));
  }
  Console& con() { return scope->console(); }
};

TEST_F(ConsoleTest, ScopeMakesTheConsoleCurrent) {
  EXPECT_EQ(&current(), &con());
  {
    ConsoleScope inner(std::make_unique<HeadlessBackend>(), 10, 20);
    EXPECT_EQ(current().maxrow(), 9);
  }
  EXPECT_EQ(&current(), &con());
}

TEST_F(ConsoleTest, SayMovesTheCursorAndUsesTheStandardColour) {
  con().set_colour("W+/B");
  con().say(3, 5, "abc");
  EXPECT_EQ(con().row(), 3);
  EXPECT_EQ(con().col(), 8);
  EXPECT_EQ(con().screen().cell(3, 5), (Cell{'a', 0x1F}));
  EXPECT_EQ(con().set_colour("N/W"), "W+/B,N/W,N/N,N/N,N/W");
  con().clear();
  EXPECT_EQ(con().screen().cell(3, 5), (Cell{' ', 0x70}));
  EXPECT_EQ(con().row(), 0);
}

TEST_F(ConsoleTest, LineOutputScrollsAtTheBottom) {
  for (int i = 1; i <= 30; ++i) con().line_out("line " + std::to_string(i));
  // The first `?` left row 0 empty; 30 lines on 25 rows scrolled six times.
  EXPECT_EQ(con().screen().row_text(24).substr(0, 8), "line 30 ");
  EXPECT_EQ(con().screen().row_text(0).substr(0, 7), "line 6 ");
  EXPECT_EQ(con().row(), 24);
  con().out(" more\r\nnext");
  EXPECT_EQ(con().screen().row_text(23).substr(0, 13), "line 30 more ");
  EXPECT_EQ(con().screen().row_text(24).substr(0, 5), "next ");
  ASSERT_EQ(headless->lines().size(), 30u);
  EXPECT_EQ(headless->lines()[29], "line 30 more\r\nnext");
}

TEST_F(ConsoleTest, LongLinesWrap) {
  con().set_pos(0, 75);
  con().out("0123456789");
  EXPECT_EQ(con().screen().row_text(0).substr(75), "01234");
  EXPECT_EQ(con().screen().row_text(1).substr(0, 6), "56789 ");
}

TEST_F(ConsoleTest, BatchingHoldsTheScreenUntilTheOutermostEnd) {
  int before = headless->presents();
  con().begin_update();
  con().begin_update();
  con().say(0, 0, "x");
  con().end_update();
  con().say(1, 0, "y");
  EXPECT_EQ(headless->presents(), before);
  con().end_update();
  EXPECT_EQ(headless->presents(), before + 1);
}

TEST_F(ConsoleTest, ModeSwitchResizesAndClears) {
  con().say(0, 0, "x");
  EXPECT_TRUE(con().set_mode(43, 80));
  EXPECT_EQ(con().maxrow(), 42);
  EXPECT_EQ(con().screen().cell(0, 0).ch, ' ');
  EXPECT_FALSE(con().set_mode(0, 80));
  EXPECT_TRUE(con().set_mode(25, 80));
  EXPECT_EQ(con().maxcol(), 79);
}

TEST_F(ConsoleTest, CursorTitleAndTone) {
  EXPECT_EQ(con().set_cursor_shape(CursorShape::None), CursorShape::Normal);
  EXPECT_EQ(con().cursor_shape(), CursorShape::None);
  con().set_title("Sistema");
  EXPECT_EQ(headless->title(), "Sistema");
  con().tone(500, 1);
  EXPECT_EQ(headless->tones(), 1);
}

TEST(StreamBackend, LineOutputBecomesUtf8Lines) {
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  {
    ConsoleScope scope(std::make_unique<StreamBackend>(f));
    Console& c = scope.console();
    EXPECT_FALSE(c.interactive());
    c.say(5, 5, "not shown");
    c.line_out(std::string("Atenção"_cp850));
    c.line_out("b");
    c.out("c");
    c.line_out("");
    c.line_out("d\r\ne");
    EXPECT_EQ(c.keyboard().wait(0), 0);  // no key can come
  }
  std::rewind(f);
  std::string got;
  for (int ch; (ch = std::fgetc(f)) != EOF;) got += static_cast<char>(ch);
  std::fclose(f);
  EXPECT_EQ(got, "Atenção\nbc\n\nd\ne\n");
}

}  // namespace
}  // namespace codfix::console

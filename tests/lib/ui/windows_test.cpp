#include "lib/ui/windows.h"

#include <gtest/gtest.h>

#include "platform/console/keys.h"
#include "platform/text/literal.h"
#include "tests/support/library_test.h"

namespace codfix {
namespace {

using namespace text::literals;

class Windows : public testing::LibraryTest {
 protected:
  console::Cell cell(int r, int c) { return screen().screen().cell(r, c); }
  std::string row(int r) { return screen().screen().row_text(r); }
};

TEST_F(Windows, DesjanFrameTitleAndShadow) {
  DESJAN(10, 19, 16, 62, false, "Atenção"_cp850, 12);
  EXPECT_EQ(cell(10, 19).ch, 0xDA);
  EXPECT_EQ(cell(16, 62).ch, 0xD9);
  EXPECT_EQ(cell(13, 19).ch, 0xB3);
  EXPECT_EQ(row(10).substr(37, 7), std::string("Atenção"_cp850));
  EXPECT_EQ(cell(12, 30).attr, 0x70);  // N/W
  for (int c = 20; c <= 63; ++c) EXPECT_EQ(cell(17, c).attr, 0x08) << c;
  for (int r = 11; r <= 16; ++r) EXPECT_EQ(cell(r, 63).attr, 0x08) << r;
  EXPECT_NE(cell(17, 19).attr, 0x08);
  EXPECT_NE(cell(10, 63).attr, 0x08);
  // The current colour is put back.
  EXPECT_EQ(screen().standard(), 0x07);
}

TEST_F(Windows, ShadowOfAFrameOnTheLastRow) {
  DESJAN(20, 10, 24, 30);
  for (int c = 11; c <= 31; ++c) EXPECT_EQ(cell(24, c).attr, 0x08) << c;
  EXPECT_EQ(cell(24, 10).attr, 0x70);
}

TEST_F(Windows, TitlePositions) {
  DESJAN(2, 10, 6, 40, false, "ABC", 11, "", false);
  EXPECT_EQ(row(2).substr(12, 3), "ABC");
  DESJAN(2, 10, 6, 40, false, "XYZ", 23, "", false);
  EXPECT_EQ(row(6).substr(35, 3), "XYZ");
}

TEST_F(Windows, MsgBoxOpensAndClosesByIdentifier) {
  screen().say(10, 30, "under");
  std::string before = screen().save(9, 18, 12, 61);
  Value id = MSG_BOX(Value("Criando atalho..."));
  ASSERT_TRUE(id.is_number());
  EXPECT_GE(id.as_double(), 1);
  EXPECT_LE(id.as_double(), 999999);
  EXPECT_EQ(cell(9, 18).ch, 0xDA);
  EXPECT_EQ(cell(11, 60).ch, 0xD9);
  EXPECT_EQ(row(10).substr(20, 40), "           Criando atalho...            ");
  EXPECT_TRUE(MSG_BOX(id).is_nil());
  EXPECT_EQ(screen().save(9, 18, 12, 61), before);
  screen().say(10, 30, "again");
  EXPECT_TRUE(MSG_BOX(id).is_nil());
  EXPECT_EQ(screen().save(9, 18, 12, 61), before);
  EXPECT_EQ(rt().vars.get("_ID_MSG").items().size(), 1u);
}

TEST_F(Windows, MsgBoxWrapsLongMessagesInsideTheScreen) {
  std::string long_text;
  for (int i = 0; i < 30; ++i) long_text += "palavra ";
  MSG_BOX(Value(long_text));
  for (int r = 0; r < 25; ++r) EXPECT_NE(cell(r, 0).ch, 0xDA);
  EXPECT_EQ(rt().vars.get("_ID_MSG").items().size(), 1u);
  Value e = rt().vars.get("_ID_MSG").at(1);
  EXPECT_GE(e.at(3).as_double(), 0);
  EXPECT_LE(e.at(5).as_double(), 80);
}

TEST_F(Windows, StatusLineAndPrompt) {
  MSGEXP("abc", -1, 5, "L", "*");
  EXPECT_EQ(row(24).substr(0, 5), "**abc");
  EXPECT_EQ(cell(24, 0).attr, 0x30);  // N/BG
  headless().key(console::key::kEnter);
  EXPECT_EQ(MSGOPC(" [Enter]=Continua "), 13);
  EXPECT_EQ(headless().tones(), 1);
  EXPECT_EQ(row(24).substr(0, 5), "**abc");  // restored
  headless().key('x');
  EXPECT_EQ(MSGOPC("fica", 3, false, 10, false), 'x');
  EXPECT_EQ(row(3).substr(0, 10), "fica      ");
}

TEST_F(Windows, ProgressBar) {
  ProgressArgs a;
  a.current = 25;
  a.total = 1000;
  EXPECT_TRUE(PROGBAR(a));
  EXPECT_EQ(cell(9, 19).ch, 0xDA);
  EXPECT_EQ(cell(10, 20).ch, 0xDB);
  EXPECT_EQ(cell(10, 21).ch, 0xB0);
  std::string top = row(9).substr(20, 39);
  EXPECT_NE(top.find("Processando, Aguarde...  2%"), std::string::npos) << top;
  screen().clear();
  a.current = 26;
  EXPECT_TRUE(PROGBAR(a));
  EXPECT_EQ(cell(9, 19).ch, ' ');  // not redrawn
  a.current = 500;
  PROGBAR(a);
  EXPECT_EQ(cell(10, 39).ch, 0xDB);
  EXPECT_EQ(cell(10, 40).ch, 0xB0);
  EXPECT_NE(row(9).find(" 50%"), std::string::npos);
  a.total = 0;
  a.current = 5;
  EXPECT_TRUE(PROGBAR(a));
  EXPECT_NE(row(9).find("  0%"), std::string::npos);
}

TEST_F(Windows, ProgressBarCancelledWithEsc) {
  ProgressArgs a;
  a.current = 10;
  a.total = 10;
  a.cancellable = true;
  headless().keys({console::key::kEsc, console::key::kEnter});
  EXPECT_FALSE(PROGBAR(a));
}

TEST_F(Windows, GetwindowEditsOneValue) {
  headless().type("joao").key(console::key::kEnter);
  Value v = GETWINDOW("Procura", Value(std::string(40, ' ')));
  EXPECT_EQ(v.text(), "JOAO");
  // Esc keeps the initial value, trimmed.
  headless().key(console::key::kEsc);
  EXPECT_EQ(GETWINDOW("Procura", Value("  abc  ")).text(), "abc");
}

TEST_F(Windows, MsgalertaWithoutTerminalGivesNoAnswer) {
  headless().set_interactive(false);
  EXPECT_FALSE(MSGALERTA("Pergunta", {"Ok", "Modificar"}).has_value());
}

}  // namespace
}  // namespace codfix

#include <gtest/gtest.h>

#include "lib/core/runtime.h"
#include "platform/console/console.h"
#include "platform/console/headless_backend.h"
#include "platform/console/keys.h"
#include "platform/dialogs/alert.h"
#include "platform/text/codepage.h"
#include "tests/support/screen_check.h"

namespace codfix::dialogs {
namespace {

using codfix::testing::ExpectedScreen;
using codfix::testing::same_screen;
namespace key = console::key;

constexpr console::Attr kBox = 0x4F;    // W+/R
constexpr console::Attr kFocus = 0x1F;  // W+/B

std::string cp(std::string_view utf8) {
  return text::utf8_to_cp850(utf8);
}

struct AlertTest : ::testing::Test {
  RuntimeScope runtime;
  console::HeadlessBackend* headless = nullptr;
  std::unique_ptr<console::ConsoleScope> scope;
  console::Screen start;

  void SetUp() override {
    auto b = std::make_unique<console::HeadlessBackend>();
    headless = b.get();
    scope = std::make_unique<console::ConsoleScope>(std::move(b));
    codfix::testing::paint_background(con().screen());
    con().set_pos(3, 7);
    start = con().screen();
  }
  console::Console& con() { return scope->console(); }
  // Captures the screen at this point of the key script.
  void snapshot(console::Screen& into) {
    headless->then([this, &into] { into = con().screen(); });
  }
  void expect_untouched() {
    EXPECT_TRUE(same_screen(start, con().screen()));
    EXPECT_EQ(con().row(), 3);
    EXPECT_EQ(con().col(), 7);
    EXPECT_EQ(con().cursor_shape(), console::CursorShape::Normal);
  }
};

TEST_F(AlertTest, OneButton) {
  console::Screen shown;
  snapshot(shown);
  headless->key(key::kEnter);
  EXPECT_EQ(alert("Arquivo gravado", {"Ok"}), 1);
  ExpectedScreen want(start);
  want.blank(10, 30, 14, 48, kBox)
      .frame(10, 30, 14, 48, kBox)
      .text(11, 32, "Arquivo gravado", kBox)
      .text(13, 37, " Ok ", kFocus);
  EXPECT_TRUE(same_screen(want.screen(), shown));
  expect_untouched();
}

TEST_F(AlertTest, TwoButtonsOnTwoMessageLines) {
  console::Screen shown;
  snapshot(shown);
  headless->keys({key::kRight, key::kEnter});
  EXPECT_EQ(alert(cp("Atenção;Confirma a operação?"), {"Ok", "Modificar"}), 2);
  ExpectedScreen want(start);
  want.blank(9, 28, 14, 51, kBox)
      .frame(9, 28, 14, 51, kBox)
      .text(10, 36, "Atenção", kBox)
      .text(11, 30, "Confirma a operação?", kBox)
      .text(13, 31, " Ok ", kFocus)
      .text(13, 37, " Modificar ", kBox);
  EXPECT_TRUE(same_screen(want.screen(), shown));
  expect_untouched();
}

TEST_F(AlertTest, ThreeButtonsAndMovingBetweenThem) {
  console::Screen shown;
  headless->keys({key::kRight, key::kRight});
  snapshot(shown);
  headless->keys({key::kTab, key::kShiftTab, key::kLeft});  // wraps both ways
  console::Screen wrapped;
  snapshot(wrapped);
  headless->key(key::kEnter);
  EXPECT_EQ(alert("Deseja continuar?", {"Sim", cp("Não"), "Cancela"}), 2);
  ExpectedScreen want(start);
  want.blank(10, 26, 14, 52, kBox)
      .frame(10, 26, 14, 52, kBox)
      .text(11, 31, "Deseja continuar?", kBox)
      .text(13, 28, " Sim ", kBox)
      .text(13, 35, " Não ", kBox)
      .text(13, 42, " Cancela ", kFocus);
  EXPECT_TRUE(same_screen(want.screen(), shown));
  want.text(13, 35, " Não ", kFocus).text(13, 42, " Cancela ", kBox);
  EXPECT_TRUE(same_screen(want.screen(), wrapped));
  expect_untouched();
}

TEST_F(AlertTest, LongMessageIsWrappedInsideTheScreen) {
  std::string message =
      cp("Atenção;O campo CODIGO de KVPROD.DBF é mais largo que o campo PRODUTO de KVITEM.DBF e a "
         "tabela precisa ser refeita agora;" +
         std::string(70, 'X'));
  console::Screen shown;
  snapshot(shown);
  headless->key(key::kEsc);
  EXPECT_EQ(alert(message, {"Sim", cp("Não")}), 0);
  ExpectedScreen want(start);
  want.blank(8, 8, 16, 71, kBox)
      .frame(8, 8, 16, 71, kBox)
      .text(9, 36, "Atenção", kBox)
      .text(10, 13, "O campo CODIGO de KVPROD.DBF é mais largo que o campo", kBox)
      .text(11, 11, "PRODUTO de KVITEM.DBF e a tabela precisa ser refeita agora", kBox)
      .text(12, 10, std::string(60, 'X'), kBox)  // a word longer than the box is cut
      .text(13, 35, std::string(10, 'X'), kBox)
      .text(15, 34, " Sim ", kFocus)
      .text(15, 41, " Não ", kBox);
  EXPECT_TRUE(same_screen(want.screen(), shown));
  expect_untouched();
}

TEST_F(AlertTest, ChoosingByFirstLetterMouseAndEsc) {
  struct Case {
    std::vector<int> keys;
    int expected;
  } cases[] = {
      {{'n'}, 2},                              // first letter, either case
      {{'C'}, 3},       {{'q', 'x', 's'}, 1},  // letters of no caption are ignored
      {{key::kEsc}, 0}, {{key::kEnd, key::kEnter}, 3}, {{key::kRight, key::kHome, key::kSpace}, 1},
  };
  for (const Case& c : cases) {
    for (int k : c.keys) headless->key(k);
    EXPECT_EQ(alert("Pergunta", {" Sim ", cp(" Não "), "Cancela"}), c.expected);
    expect_untouched();
  }
  // Mouse: "Pergunta" with the three captions: buttons row 13, " Não " at 35-39.
  con().keyboard().set_event_mask(key::kMaskKeyboard);
  headless->click(13, 0).click(13, 37).key(key::kEsc);
  EXPECT_EQ(alert("Pergunta", {"Sim", cp("Não"), "Cancela"}), 2);
}

TEST_F(AlertTest, NoAnswerWithoutATerminalOrInput) {
  EXPECT_EQ(alert("Sem teclado", {"Ok"}), std::nullopt);  // the input ran out
  expect_untouched();
  EXPECT_EQ(alert("Espera", {"Ok"}, "", 5), 0);  // a time limit that runs out answers 0
  headless->set_interactive(false);
  headless->key(key::kEnter);
  EXPECT_EQ(alert("Sem terminal", {"Ok"}), std::nullopt);
  expect_untouched();
  EXPECT_TRUE(alert_value("x", Value(), Value(), Value()).is_nil());
}

TEST_F(AlertTest, ColourArgument) {
  console::Screen shown;
  snapshot(shown);
  headless->key(key::kEnter);
  EXPECT_EQ(alert("Cor", {"Ok"}, "N/W"), 1);
  EXPECT_EQ(shown.cell(11, 38), (console::Cell{'C', 0x70}));  // box and text
  EXPECT_EQ(shown.cell(13, 38).attr, 0x07);                   // focus: the box colour reversed
  snapshot(shown);
  headless->key(key::kEnter);
  alert("Cor", {"Ok"}, "N/W,W+/R");
  EXPECT_EQ(shown.cell(13, 38).attr, 0x4F);
}

TEST_F(AlertTest, ValueInterface) {
  headless->key('m');
  Value r = alert_value(Value(cp("Atenção;Tabela")),
                        Value::array({Value("Ok"), Value("Modificar")}), Value(), Value());
  ASSERT_TRUE(r.is_number());
  EXPECT_EQ(r.as_double(), 2);
}

class CountingCallback : public Callable {
 public:
  int calls = 0;
  std::string variable;
  Value call(std::span<const Value> args) override {
    ++calls;
    variable = args.size() > 2 ? args[2].text() : "?";
    return Value();
  }
};

TEST_F(AlertTest, HotKeysRunWhileItWaits) {
  auto f2 = std::make_shared<CountingCallback>();
  con().keyboard().hot_keys().bind(key::f(2), f2);
  headless->keys({key::f(2), key::f(2), key::kEnter});
  EXPECT_EQ(alert("Hot", {"Ok"}), 1);
  EXPECT_EQ(f2->calls, 2);
  EXPECT_EQ(f2->variable, "");
}

}  // namespace
}  // namespace codfix::dialogs

#include <gtest/gtest.h>

#include <map>

#include "lib/core/runtime.h"
#include "lib/core/work_area_host.h"
#include "platform/console/console.h"
#include "platform/console/headless_backend.h"
#include "platform/console/keys.h"
#include "platform/dialogs/form.h"
#include "platform/text/codepage.h"
#include "tests/support/screen_check.h"

namespace codfix::dialogs {
namespace {

using codfix::testing::ExpectedScreen;
using codfix::testing::same_screen;
namespace key = console::key;

constexpr console::Attr kStandard = 0x71;    // B/W
constexpr console::Attr kEnhanced = 0x30;    // N/BG
constexpr console::Attr kUnselected = 0x71;  // B/W

class Block : public Callable {
 public:
  explicit Block(std::function<Value(std::span<const Value>)> fn) : fn_(std::move(fn)) {}
  Value call(std::span<const Value> args) override { return fn_(args); }

 private:
  std::function<Value(std::span<const Value>)> fn_;
};

CallbackRef block(std::function<Value(std::span<const Value>)> fn) {
  return std::make_shared<Block>(std::move(fn));
}

struct FormTest : ::testing::Test {
  RuntimeScope runtime;
  console::HeadlessBackend* headless = nullptr;
  std::unique_ptr<console::ConsoleScope> scope;

  void SetUp() override {
    auto b = std::make_unique<console::HeadlessBackend>();
    headless = b.get();
    scope = std::make_unique<console::ConsoleScope>(std::move(b));
    con().set_colour("B/W,N/BG,,,B/W");
    con().clear();
    form_settings() = FormSettings{};
  }
  console::Console& con() { return scope->console(); }
  SessionVars& vars() { return runtime.runtime().vars; }
  int last_key() { return con().keyboard().last_key(); }
  // Records the screen and cursor at this point of the key script.
  void snapshot(console::Screen& into, int* row = nullptr, int* col = nullptr) {
    headless->then([=, this, &into] {
      into = con().screen();
      if (row) *row = con().row();
      if (col) *col = con().col();
    });
  }
  void position(int& into) {
    headless->then([&into] { into = reading_form() ? reading_form()->position() : -1; });
  }
};

TEST_F(FormTest, SmallFormWithPicturesAndARefusingValidation) {
  vars().declare_public("NOME", Value("JOAO      "));
  vars().declare_public("CEP", Value("        "));
  vars().declare_public("VALOR", Value::number(0, 10, 2));
  vars().declare_public("ATIVO", Value(false));
  int refusals = 0;
  Form form;
  con().say(5, 2, "Nome  :");
  form.add(5, 10, "NOME", "@!");
  con().say(6, 2, "CEP   :");
  form.add(6, 10, "CEP", "@R 99.999-999");
  con().say(7, 2, "Valor :");
  form.add(7, 10, "VALOR", "@E 999,999.99", Condition(std::function<bool()>([&] {
             bool ok = vars().get("VALOR").as_double() > 0;
             if (!ok) ++refusals;
             return ok;
           })));
  con().say(8, 2, "Ativo :");
  form.add(8, 10, "ATIVO", "Y");

  console::Screen blank(25, 80);
  blank.fill(0, 0, 24, 79, ' ', kStandard);
  ExpectedScreen want(blank);
  want.text(5, 2, "Nome  :", kStandard)
      .text(6, 2, "CEP   :", kStandard)
      .text(7, 2, "Valor :", kStandard)
      .text(8, 2, "Ativo :", kStandard)
      .text(5, 10, "JOAO      ", kUnselected)
      .text(6, 10, "  .   -   ", kUnselected)
      .text(7, 10, "      0,00", kUnselected)
      .text(8, 10, "N", kUnselected);
  EXPECT_TRUE(same_screen(want.screen(), con().screen()));

  console::Screen first, at_valor, refused, done_valor;
  int row = 0, col = 0;
  snapshot(first, &row, &col);
  headless->type("maria").key(key::kEnter);
  headless->type("01310100");  // the last digit leaves the field
  snapshot(at_valor);
  headless->key(key::kEnter);  // 0 is refused: the focus stays
  int refused_row = 0;
  snapshot(refused, &refused_row);
  headless->type("1234,5");
  snapshot(done_valor);
  headless->key(key::kEnter).type("y");  // a logical is left after one letter

  EXPECT_TRUE(form.read());

  want.text(5, 10, "JOAO      ", kEnhanced);
  EXPECT_TRUE(same_screen(want.screen(), first));
  EXPECT_EQ(row, 5);
  EXPECT_EQ(col, 10);
  want.text(5, 10, "MARIA     ", kUnselected)
      .text(6, 10, "01.310-100", kUnselected)
      .text(7, 10, "      0,00", kEnhanced);
  EXPECT_TRUE(same_screen(want.screen(), at_valor));
  EXPECT_TRUE(same_screen(want.screen(), refused));
  EXPECT_EQ(refused_row, 7);
  EXPECT_EQ(refusals, 1);
  want.text(7, 10, "  1.234,5 ", kEnhanced);  // the point moved the digits into place
  EXPECT_TRUE(same_screen(want.screen(), done_valor));

  EXPECT_EQ(vars().get("NOME").text(), "MARIA     ");
  EXPECT_EQ(vars().get("CEP").text(), "01310100");
  EXPECT_DOUBLE_EQ(vars().get("VALOR").as_double(), 1234.5);
  EXPECT_TRUE(vars().get("ATIVO").logical());
  want.text(7, 10, "  1.234,50", kUnselected).text(8, 10, "Y", kUnselected);
  EXPECT_TRUE(same_screen(want.screen(), con().screen()));
  EXPECT_EQ(reading_form(), nullptr);
}

TEST_F(FormTest, ArrowExitSetting) {
  vars().declare_public("A", Value("a"));
  vars().declare_public("B", Value("b"));
  for (bool arrow_exit : {false, true}) {
    form_settings().arrow_exit = arrow_exit;
    Form form;
    form.add(1, 1, "A");
    form.add(2, 1, "B");
    int after_up = 0, after_down = 0, after_last_down = 0;
    headless->key(key::kUp);
    if (!arrow_exit) {
      position(after_up);
      headless->key(key::kDown);
      position(after_down);
      headless->key(key::kDown);
      position(after_last_down);
      headless->key(key::kEsc);
    }
    EXPECT_FALSE(form.read());
    if (arrow_exit) {
      EXPECT_EQ(last_key(), key::kUp);  // Up in the first field ended the read
    } else {
      EXPECT_EQ(after_up, 1);  // stays in the first field
      EXPECT_EQ(after_down, 2);
      EXPECT_EQ(after_last_down, 2);  // stays in the last field
      EXPECT_EQ(last_key(), key::kEsc);
    }
    EXPECT_TRUE(headless->exhausted());
  }
  form_settings().arrow_exit = true;
  Form form;
  form.add(1, 1, "A");
  form.add(2, 1, "B");
  headless->keys({key::kDown, key::kDown});
  form.read();
  EXPECT_EQ(last_key(), key::kDown);  // Down in the last field ended it
}

TEST_F(FormTest, HotKeyRunsDuringTheReadWithTheActiveField) {
  vars().declare_public("NOME", Value("          "));
  vars().declare_public("OUTRO", Value("x"));
  std::vector<Value> args;
  std::string buffer_seen;
  con().keyboard().hot_keys().bind(key::f(2), block([&](std::span<const Value> a) {
                                     args.assign(a.begin(), a.end());
                                     ActiveField* f = active_field();
                                     EXPECT_NE(f, nullptr);
                                     if (!f) return Value();
                                     buffer_seen = f->edit_buffer();
                                     EXPECT_EQ(f->value().text(),
                                               "AB        ");  // the typed text was assigned first
                                     f->assign(Value("ZEZE      "));
                                     return Value();
                                   }));
  Form form;
  form.add(3, 5, "NOME", "@!");
  form.add(4, 5, "OUTRO");
  console::Screen after;
  RoutineScope routine("CADASTRO", "CAD.PRG", 42);
  headless->type("ab").key(key::f(2));
  snapshot(after);
  headless->key(key::kEnter).key(key::kEsc);
  EXPECT_TRUE(form.read());
  ASSERT_EQ(args.size(), 3u);
  EXPECT_EQ(args[0].text(), "CADASTRO");
  EXPECT_EQ(args[1].as_double(), 42);
  EXPECT_EQ(args[2].text(), "NOME");
  EXPECT_EQ(buffer_seen, "AB        ");
  EXPECT_EQ(codfix::testing::screen_row_utf8(after, 3).substr(5, 10), "ZEZE      ");
  EXPECT_EQ(after.cell(3, 5).attr, kEnhanced);
  EXPECT_EQ(vars().get("NOME").text(), "ZEZE      ");
  EXPECT_EQ(active_field(), nullptr);
}

TEST_F(FormTest, EscUndoesOnlyTheCurrentField) {
  vars().declare_public("A", Value("aaa"));
  vars().declare_public("B", Value("bbb"));
  Form form;
  form.add(1, 1, "A");
  form.add(2, 1, "B");
  headless->type("X").key(key::kEnter).type("Y").key(key::kEsc);
  EXPECT_TRUE(form.read());
  EXPECT_EQ(vars().get("A").text(), "Xaa");
  EXPECT_EQ(vars().get("B").text(), "bbb");
  EXPECT_EQ(last_key(), key::kEsc);
  EXPECT_EQ(con().screen().row_text(2).substr(1, 3), "bbb");
}

TEST_F(FormTest, PreConditionSkipsFieldsInTheDirectionOfTheMove) {
  for (const char* n : {"A", "B", "C"}) vars().declare_public(n, Value("v"));
  int b_checks = 0;
  Form form;
  form.add(1, 1, "A");
  form.add(2, 1, "B", "", Condition(), Condition(std::function<bool()>([&] {
             ++b_checks;
             return false;
           })));
  form.add(3, 1, "C");
  int down = 0, up = 0;
  headless->key(key::kDown);
  position(down);
  headless->key(key::kUp);
  position(up);
  headless->key(key::kEsc);
  form.read();
  EXPECT_EQ(down, 3);
  EXPECT_EQ(up, 1);
  EXPECT_EQ(b_checks, 2);
}

TEST_F(FormTest, ScrollingFieldShowsTheWindowAroundTheCursor) {
  vars().declare_public("T", Value(std::string(10, ' ')));
  Form form;
  form.add(1, 1, "T", "@!S5");
  console::Screen after;
  int col = 0;
  headless->type("abcdefg");
  snapshot(after, nullptr, &col);
  headless->key(key::kEsc);
  form.read();
  EXPECT_EQ(codfix::testing::screen_row_utf8(after, 1).substr(1, 6),
            "DEFG  ");  // positions 3..7, cursor on 7
  EXPECT_EQ(col, 5);
  EXPECT_EQ(vars().get("T").text(), std::string(10, ' '));  // Esc: nothing assigned
  EXPECT_EQ(codfix::testing::screen_row_utf8(con().screen(), 1).substr(1, 6), "      ");
}

TEST_F(FormTest, EndsAsEscWhenNoKeyCanCome) {
  vars().declare_public("A", Value("aaa"));
  Form form;
  form.add(1, 1, "A");
  headless->type("zz");
  EXPECT_FALSE(form.read());
  EXPECT_EQ(vars().get("A").text(), "aaa");
  EXPECT_EQ(last_key(), key::kEsc);
}

TEST_F(FormTest, ValidationAsATextExpression) {
  vars().declare_public("N", Value(0));
  Form form;
  form.add(1, 1, "N", "999", Condition::expression("N > 5"));
  int refused = 0;
  headless->type("3").key(key::kEnter);
  position(refused);
  headless->type("7").key(key::kEnter);
  form.read();
  EXPECT_EQ(refused, 1);
  EXPECT_EQ(vars().get("N").as_double(), 7);
}

TEST_F(FormTest, MouseClickMovesToAnotherField) {
  vars().declare_public("A", Value("aaa"));
  vars().declare_public("B", Value("bbb"));
  con().keyboard().set_event_mask(key::kMaskAll);
  Form form;
  form.add(1, 1, "A");
  form.add(2, 1, "B");
  int pos = 0;
  headless->click(2, 2);
  position(pos);
  headless->type("Z").key(key::kEsc);
  form.read();
  EXPECT_EQ(pos, 2);
  EXPECT_EQ(vars().get("B").text(), "bbb");  // Esc undid the Z typed over the first b
  con().keyboard().set_event_mask(key::kMaskKeyboard);
}

TEST_F(FormTest, AHotKeyCanEndTheRead) {
  vars().declare_public("A", Value("aaa"));
  vars().declare_public("B", Value("bbb"));
  con().keyboard().hot_keys().bind(key::f(3), block([](std::span<const Value>) {
                                     reading_form()->clear();  // CLEAR GETS from inside the read
                                     return Value();
                                   }));
  Form form;
  form.add(1, 1, "A");
  form.add(2, 1, "B");
  headless->type("X").key(key::f(3)).type("never read");
  EXPECT_TRUE(form.read());  // what was typed before the hot key was assigned
  EXPECT_EQ(vars().get("A").text(), "Xaa");
  EXPECT_EQ(form.size(), 0u);
  EXPECT_FALSE(headless->exhausted());
}

TEST_F(FormTest, EndingTheProgramUnwindsTheRead) {
  vars().declare_public("A", Value("aaa"));
  Form form;
  form.add(1, 1, "A");
  headless->key(key::alt('C'));  // the platform's cancellation key
  EXPECT_THROW(form.read(), ProgramExit);
  EXPECT_EQ(reading_form(), nullptr);
  EXPECT_EQ(active_field(), nullptr);
  EXPECT_EQ(con().cursor_shape(), console::CursorShape::Normal);
}

// One table with one record, enough to bind fields to it.
class OneRecordTable : public WorkAreaHost {
 public:
  std::map<std::string, Value> fields{{"CODIGO", Value("0001")}};
  int current_area() const override { return 1; }
  void select_area(int area) override { selected = area; }
  int area_of_alias(std::string_view alias) const override { return alias == "PROD" ? 1 : 0; }
  int field_pos(std::string_view name) const override { return name == "CODIGO" ? 1 : 0; }
  Value field_get(int) override { return fields["CODIGO"]; }
  void field_put(int, const Value& v) override { fields["CODIGO"] = v; }
  FieldInfo field_info(int) const override { return {'C', 4, 0}; }
  std::string_view field_bytes(int) const override { return {}; }
  uint64_t layout_generation() const override { return 1; }
  int selected = 0;
};

TEST_F(FormTest, FieldsBindToTableFieldsFirst) {
  OneRecordTable table;
  runtime.runtime().work_areas = &table;
  vars().declare_public("CODIGO", Value("var "));
  Form form;
  form.add(1, 1, "CODIGO");
  form.add(2, 1, "PROD->CODIGO");
  form.add(3, 1, "M->CODIGO");
  headless->type("9").key(key::kEnter).key(key::kEnter).type("7").key(key::kEnter);
  EXPECT_TRUE(form.read());
  EXPECT_EQ(table.fields["CODIGO"].text(), "9001");
  EXPECT_EQ(vars().get("CODIGO").text(), "7ar ");
  runtime.runtime().work_areas = nullptr;
}

}  // namespace
}  // namespace codfix::dialogs

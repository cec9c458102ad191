#include <gtest/gtest.h>

#include "lib/core/date.h"
#include "lib/core/runtime.h"
#include "platform/console/keys.h"
#include "platform/dialogs/edit_buffer.h"

namespace codfix::dialogs {
namespace {

namespace key = console::key;

// Applies keys as form input does: characters are typed, the rest are editing keys.
void press(EditBuffer& b, const std::vector<int>& keys) {
  bool insert = false;
  for (int k : keys) {
    switch (k) {
      case key::kIns:
        insert = !insert;
        break;
      case key::kLeft:
        b.left();
        break;
      case key::kRight:
        b.right();
        break;
      case key::kHome:
        b.home();
        break;
      case key::kEnd:
        b.end();
        break;
      case key::kBackspace:
        b.backspace();
        break;
      case key::kDel:
        b.del();
        break;
      case 537:
        b.del_end();
        break;
      case 532:
        b.del_word_right();
        break;
      case 533:
        b.undo();
        break;
      default:
        b.put(static_cast<char>(k), insert);
        break;
    }
  }
}

std::vector<int> typed(std::string_view s) {
  return {s.begin(), s.end()};
}

std::vector<int> operator+(std::vector<int> a, const std::vector<int>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct Case {
  const char* what;
  Value value;
  std::string_view picture;
  std::vector<int> keys;
  std::string buffer;
  Value result;
};

struct EditBufferTest : ::testing::Test {
  RuntimeScope runtime;
  void run(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      EditBuffer b(c.value, c.picture);
      press(b, c.keys);
      EXPECT_EQ(b.text(), c.buffer) << c.what;
      Value v = b.value();
      EXPECT_EQ(v.type(), c.result.type()) << c.what;
      EXPECT_TRUE(exactly_equal(v, c.result))
          << c.what << ": got " << (v.is_text() ? v.text() : std::to_string(v.number_or(-1)));
    }
  }
};

TEST_F(EditBufferTest, Texts) {
  run({
      {"upper case", Value("abc       "), "@!", typed("xy"), "XYC       ", Value("XYC       ")},
      {"@K clears on the first key", Value("abc  "), "@K", typed("z"), "z    ", Value("z    ")},
      {"@K: a cursor key first keeps the text", Value("abc  "), "@K",
       std::vector<int>{key::kRight} + typed("z"), "azc  ", Value("azc  ")},
      {"@R inserts literals, the value has none", Value("        "), "@R 99.999-999",
       typed("12345678"), "12.345-678", Value("12345678")},
      {"9 accepts digits only", Value("        "), "@R 99.999-999", typed("1a2"), "12.   -   ",
       Value("12      ")},
      {"literals stand in the value without @R", Value("          "), "99.999-999",
       typed("12345678"), "12.345-678", Value("12.345-678")},
      {"A and N", Value("    "), "AN!X", typed("1a1b2"), "a1B2", Value("a1B2")},
      {"nothing past the picture is lost", Value("12345"), "@R 999", typed("9"), "923",
       Value("92345")},
      {"delete and backspace shift within the field", Value("abcdef"), "",
       std::vector<int>{key::kRight, key::kRight, key::kDel, key::kBackspace}, "adef  ",
       Value("adef  ")},
      {"insert mode", Value("abcdef"), "", std::vector<int>{key::kIns} + typed("X"), "Xabcde",
       Value("Xabcde")},
      {"Ctrl+Y blanks to the end", Value("abcdef"), "",
       std::vector<int>{key::kRight, key::kRight, 537}, "ab    ", Value("ab    ")},
      {"Ctrl+T deletes a word", Value("um dois tres"), "", std::vector<int>{532}, "dois tres   ",
       Value("dois tres   ")},
      {"undo", Value("abc"), "", typed("xyz") + std::vector<int>{533}, "abc", Value("abc")},
      {"memo text stays memo", Value::memo("ab"), "", typed("c"), "cb", Value::memo("cb")},
  });
}

TEST_F(EditBufferTest, Numbers) {
  run({
      {"digits replace the number", Value(55), "", typed("123"), "123       ",
       Value::number(123, 10, 0)},
      {"the point right-justifies the integer part", Value::number(0, 10, 2), "", typed("12.5"),
       "        12.5 ", Value::number(12.5, 10, 2)},
      {"European picture", Value::number(1234.5, 10, 2), "@E 999,999.99", typed("7,25"),
       "      7,25", Value::number(7.25, 10, 2)},
      {"a minus sign", Value(0), "9999", typed("-12"), "-12 ", Value::number(-12, 10, 0)},
      {"letters are refused", Value(0), "999", typed("a1"), "1  ", Value::number(1, 10, 0)},
      {"moving first keeps the digits", Value(42), "999",
       std::vector<int>{key::kRight, key::kRight} + typed("7"), " 47", Value::number(47, 10, 0)},
  });
}

TEST_F(EditBufferTest, DatesAndLogicals) {
  runtime.runtime().settings.dates.century = true;
  run({
      {"date digits", Value(Date{}), "", typed("07032024"), "07/03/2024",
       Value(Date{day_number(2024, 3, 7)})},
      {"letters in a date are refused", Value(Date{}), "", typed("0x7"), "07/  /    ",
       Value(Date{})},
      {"Y picture", Value(false), "Y", typed("xy"), "Y", Value(true)},
      {"L picture takes T and N", Value(true), "L", typed("n"), "F", Value(false)},
  });
  EditBuffer bad(Value(Date{}), "");
  press(bad, typed("31022024"));
  EXPECT_FALSE(bad.valid());
  EditBuffer blank(Value(Date{}), "");
  EXPECT_TRUE(blank.valid());
  EditBuffer yes(Value(false), "Y");
  press(yes, typed("y"));
  EXPECT_TRUE(yes.typed_out());
}

TEST_F(EditBufferTest, CursorMovesOverEditablePositionsOnly) {
  EditBuffer b(Value("12345678"), "@R 99.999-999");
  EXPECT_EQ(b.pos(), 0);
  b.right();
  b.right();
  EXPECT_EQ(b.pos(), 3);  // over the point
  b.end();
  EXPECT_EQ(b.pos(), 9);
  b.left();
  b.left();
  b.left();
  EXPECT_EQ(b.pos(), 5);  // over the dash
  b.home();
  EXPECT_EQ(b.pos(), 0);
  EXPECT_FALSE(b.changed());
  b.put('9', false);
  EXPECT_TRUE(b.changed());
}

}  // namespace
}  // namespace codfix::dialogs

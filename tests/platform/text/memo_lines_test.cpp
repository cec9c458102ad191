#include "platform/text/memo_lines.h"

#include <gtest/gtest.h>

namespace codfix::text {
namespace {

using Lines = std::vector<std::string>;

TEST(MemoLines, BreaksAndWrapping) {
  struct Case {
    std::string_view text;
    int width;
    Lines lines;
  } cases[] = {
      {"", 10, {}},
      {"abc\r\ndef", 10, {"abc", "def"}},
      {"abc\r\n", 10, {"abc"}},  // a final break starts no line
      {"abc\r\n\r\nx", 10, {"abc", "", "x"}},
      {"abc\x8D\ndef", 10, {"abc", "def"}},  // soft return
      {"um dois tres", 7, {"um dois", "tres"}},
      {"um dois tres", 6, {"um", "dois", "tres"}},
      {"abcdefghij", 4, {"abcd", "efgh", "ij"}},  // a long word is cut
      {"a\tb", 8, {"a   b"}},
      {"LF\nalone", 20, {"LF\nalone"}},  // LF alone is not a break
  };
  for (const Case& c : cases) EXPECT_EQ(memo_lines(c.text, c.width), c.lines) << c.text;
  EXPECT_EQ(memo_line_count("um dois tres", 6), 3);
  EXPECT_EQ(memo_line("um dois tres", 6, 2), "dois  ");
  EXPECT_EQ(memo_line("um", 4, 5), "    ");
}

}  // namespace
}  // namespace codfix::text

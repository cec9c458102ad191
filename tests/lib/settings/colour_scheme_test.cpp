#include "lib/settings/colour_scheme.h"

#include <gtest/gtest.h>

#include "tests/support/library_test.h"

namespace codfix {
namespace {

class ColourScheme : public testing::LibraryTest {};

TEST_F(ColourScheme, DefaultsWithoutAColourTable) {
  EXPECT_TRUE(LERCORES());
  EXPECT_EQ(rt().vars.get("CCORJAN").text(), "N/W,W+/N");
  EXPECT_EQ(rt().vars.get("CCORGET").text(), "B/W,N/BG,,,B/W");
  EXPECT_EQ(rt().vars.get("NFONTE").as_double(), 0);
  EXPECT_FALSE(rt().vars.get("LCONFCOR").logical());
}

TEST_F(ColourScheme, TrocacorRecoloursAndUndoes) {
  console::Screen& s = screen().screen();
  s.write(5, 8, "abcdefghijklmnop", 0x1F);  // W+/B
  s.write(5, 12, "XY", 0x17);               // W/B
  Value undo = TROCACOR("W/B", "W+/R", 5, 10, 5, 20);
  EXPECT_EQ(s.cell(5, 12).attr, 0x4F);
  EXPECT_EQ(s.cell(5, 12).ch, 'X');
  EXPECT_EQ(s.cell(5, 11).attr, 0x1F);
  EXPECT_EQ(undo.items().size(), 6u);
  EXPECT_TRUE(TROCACOR(undo).items().empty());
  EXPECT_EQ(s.cell(5, 12).attr, 0x17);
  EXPECT_EQ(s.cell(5, 13).attr, 0x17);
}

}  // namespace
}  // namespace codfix

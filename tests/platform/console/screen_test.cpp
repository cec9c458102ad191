#include <gtest/gtest.h>

#include "platform/console/screen.h"

namespace codfix::console {
namespace {

TEST(Screen, WritesAreClippedToTheGrid) {
  Screen s(5, 10);
  s.write(1, 7, "abcdef", 0x1F);
  EXPECT_EQ(s.row_text(1), "       abc");
  s.write(2, -2, "xyz", 0x07);
  EXPECT_EQ(s.row_text(2), "z         ");
  s.write(9, 0, "never", 0x07);
  s.write(-1, 0, "never", 0x07);
  EXPECT_EQ(s.cell(1, 9), (Cell{'c', 0x1F}));
  EXPECT_EQ(s.cell(7, 7), Cell{});  // outside: a blank cell
  EXPECT_EQ(s.maxrow(), 4);
  EXPECT_EQ(s.maxcol(), 9);
}

TEST(Screen, FramesUseTheGivenCharacters) {
  Screen s(4, 6);
  s.frame(0, 0, 3, 5, kFrameSingle, 0x70);
  EXPECT_EQ(s.row_text(0), "\xDA\xC4\xC4\xC4\xC4\xBF");
  EXPECT_EQ(s.row_text(1), "\xB3    \xB3");
  EXPECT_EQ(s.row_text(3), "\xC0\xC4\xC4\xC4\xC4\xD9");
  s.frame(0, 0, 3, 5, std::string(kFrameDouble) + "\xB0", 0x1F);
  EXPECT_EQ(s.row_text(0), "\xC9\xCD\xCD\xCD\xCD\xBB");
  EXPECT_EQ(s.row_text(2), "\xBA\xB0\xB0\xB0\xB0\xBA");
  EXPECT_EQ(s.cell(2, 2).attr, 0x1F);
}

TEST(Screen, ImagesGoBackWhereTheyCameFrom) {
  Screen s(5, 10);
  for (int r = 0; r < 5; ++r) s.write(r, 0, "0123456789", static_cast<Attr>(r + 1));
  Screen before = s;
  // A rectangle that reaches past the edges is clipped the same way both times.
  std::string image = s.save(3, 7, 9, 15);
  EXPECT_EQ(image.size(), 2u * 2 * 3);
  std::string whole = s.save(0, 0, 4, 9);
  s.fill(0, 0, 4, 9, '#', 0x4F);
  s.restore(3, 7, 9, 15, image);
  EXPECT_EQ(s.row_text(3), "#######789");
  EXPECT_EQ(s.cell(4, 8), (Cell{'8', 5}));
  s.restore(0, 0, 4, 9, whole);
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 10; ++c) EXPECT_EQ(s.cell(r, c), before.cell(r, c));
  // A short or empty image restores what it holds and nothing else.
  s.restore(0, 0, 0, 9, std::string("ab\x07", 3));
  EXPECT_EQ(s.row_text(0), "a123456789");
  s.restore(0, 0, 4, 9, "");
}

TEST(Screen, ScrollsRectangles) {
  Screen s(4, 3);
  for (int r = 0; r < 4; ++r) s.write(r, 0, std::string(3, static_cast<char>('a' + r)), 0x07);
  s.scroll(0, 0, 3, 2, 1, 0x17);
  EXPECT_EQ(s.row_text(0), "bbb");
  EXPECT_EQ(s.row_text(3), "   ");
  EXPECT_EQ(s.cell(3, 0).attr, 0x17);
  s.scroll(0, 1, 3, 1, -2, 0x07);
  EXPECT_EQ(s.row_text(0), "b b");
  EXPECT_EQ(s.row_text(2), "dbd");
  s.scroll(0, 0, 3, 2, 0, 0x07);
  EXPECT_EQ(s.row_text(1), "   ");
}

TEST(Screen, TracksChangedCells) {
  Screen s(2, 2);
  s.clear_changes();
  EXPECT_FALSE(s.any_changed());
  s.write(0, 0, " ", 0x07);  // same as before: no change
  EXPECT_FALSE(s.any_changed());
  s.write(1, 1, "x", 0x07);
  EXPECT_TRUE(s.any_changed());
  EXPECT_EQ(s.changed()[3], 1);
  EXPECT_EQ(s.changed()[0], 0);
}

}  // namespace
}  // namespace codfix::console

#include <gtest/gtest.h>

#include "platform/console/colour.h"

namespace codfix::console {
namespace {

TEST(Colour, PairsGiveAttributeBytes) {
  struct Case {
    std::string_view pair;
    int attr;  // -1: not a colour
  } cases[] = {
      {"W+/B", 0x1F},  {"N/W", 0x70},  {"BG+/N", 0x0B}, {"N/W+", 0x78},  // + anywhere: bright fore
      {"GR+/B", 0x1E}, {"W/B*", 0x97}, {"R", 0x04},     {"RB/G", 0x25},
      {"15/1", 0x1F},  {"I", 0x70},    {"X/X", 0x00},   {" w+ / r ", 0x4F},
      {"", -1},        {"  ", -1},     {"?/?", -1},
  };
  for (const Case& c : cases) {
    Attr a = 0xAA;
    bool ok = parse_pair(c.pair, a);
    EXPECT_EQ(ok, c.attr >= 0) << c.pair;
    EXPECT_EQ(a, c.attr >= 0 ? c.attr : 0xAA) << c.pair;
  }
  EXPECT_EQ(colour_attribute("W/B,N/W"), 0x17);
  EXPECT_EQ(colour_attribute(",N/W", 0x33), 0x33);
  EXPECT_EQ(attribute_text(0x1F), "W+/B");
  EXPECT_EQ(attribute_text(0xE4), "R/GR*");
}

TEST(Colour, ColourStringsKeepEmptyPositions) {
  ColourSet s;
  EXPECT_EQ(s.text(), "W/N,N/W,N/N,N/N,N/W");
  s.apply("B/W,N/BG,,,B/W");
  EXPECT_EQ(s.standard(), 0x71);
  EXPECT_EQ(s.enhanced(), 0x30);
  EXPECT_EQ(s.get(Role::Border), 0x00);
  EXPECT_EQ(s.unselected(), 0x71);
  s.apply(",W+/R");
  EXPECT_EQ(s.standard(), 0x71);
  EXPECT_EQ(s.enhanced(), 0x4F);
  EXPECT_EQ(s.text(), "B/W,W+/R,N/N,N/N,B/W");
  EXPECT_EQ(ColourSet("N/BG").text(), "N/BG,N/W,N/N,N/N,N/W");
}

}  // namespace
}  // namespace codfix::console

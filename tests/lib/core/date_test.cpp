#include "lib/core/date.h"

#include <gtest/gtest.h>

namespace codfix {
namespace {

TEST(Date, DayNumbersAndBack) {
  EXPECT_EQ(day_number(1970, 1, 1), 2440588);
  EXPECT_EQ(day_number(2000, 1, 1), 2451545);
  EXPECT_EQ(day_number(2025, 3, 7), 2460742);
  EXPECT_EQ(day_number(2025, 2, 29), 0);
  EXPECT_EQ(day_number(2024, 2, 29), day_number(2024, 3, 1) - 1);
  EXPECT_EQ(day_number(1900, 2, 29), 0);
  EXPECT_EQ(day_number(2025, 13, 1), 0);
  Ymd d = calendar_date(2460742);
  EXPECT_EQ(d.year, 2025);
  EXPECT_EQ(d.month, 3);
  EXPECT_EQ(d.day, 7);
  EXPECT_EQ(calendar_date(0).year, 0);
  EXPECT_EQ(day_of_week(day_number(2026, 12, 11)), 6);  // a Friday
}

TEST(Date, CenturyWindow) {
  DateSettings s;
  s.epoch = 1940;
  struct Case {
    const char* text;
    int epoch;
    const char* dtos;
  } cases[] = {
      {"01/01/39", 1900, "19390101"}, {"01/01/39", 1940, "20390101"},
      {"01/01/40", 1940, "19400101"}, {"31/12/99", 1940, "19991231"},
      {"31/02/25", 1940, "        "}, {"  /  /  ", 1940, "        "},
      {"7-3-2025", 1940, "20250307"},
  };
  for (const Case& c : cases) {
    s.epoch = c.epoch;
    EXPECT_EQ(date_to_dtos(text_to_date(c.text, s)), c.dtos) << c.text;
  }
}

TEST(Date, TextForms) {
  DateSettings s;
  Date d{day_number(2025, 3, 7)};
  EXPECT_EQ(date_to_text(d, s), "07/03/25");
  EXPECT_EQ(date_to_text(Date{}, s), "  /  /  ");
  s.century = true;
  EXPECT_EQ(date_to_text(d, s), "07/03/2025");
  EXPECT_EQ(date_to_text(Date{}, s), "  /  /    ");
  EXPECT_EQ(date_to_dtos(d), "20250307");
  EXPECT_EQ(dtos_to_date("20250307"), d);
  EXPECT_TRUE(dtos_to_date("2025030").empty());
  EXPECT_TRUE(dtos_to_date("20250230").empty());
}

}  // namespace
}  // namespace codfix

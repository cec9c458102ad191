// Calendar dates as day numbers (astronomical Julian Day Number, proleptic
// Gregorian; 0 is the empty date), and their text forms under a date format.
//
// An invalid date anywhere (text, field bytes, y/m/d) gives the empty date, never
// an error. Two-digit years found in text follow the century window (epoch).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "lib/core/value.h"

namespace codfix {

struct DateSettings {
  // Letters d, m, y give the order and the number of year digits shown; any other
  // character is a literal separator ("dd/mm/yy", "dd/mm/yyyy", "mm/dd/yy").
  std::string format = "dd/mm/yy";
  bool century = false;  // show four-digit years whatever the format says
  int epoch = 1900;      // first year of the two-digit window
};

struct Ymd {
  int year = 0, month = 0, day = 0;
};

// 0 when the date is not valid (year 0-9999, month 1-12, day within the month).
int32_t day_number(int year, int month, int day);
// The calendar date of a day number; all zero for the empty date or below year 0.
Ymd calendar_date(int32_t day);
// Day of week, 1 = Sunday; 0 for the empty date.
int day_of_week(int32_t day);

// Date to text in the format; the empty date keeps the separators with blanks.
std::string date_to_text(Date d, const DateSettings& s);
// Text to date in the format; empty date when blank or invalid.
Date text_to_date(std::string_view text, const DateSettings& s);
// The YYYYMMDD form (8 blanks for the empty date), also the index key form.
std::string date_to_dtos(Date d);
// YYYYMMDD to date; empty when blank or invalid.
Date dtos_to_date(std::string_view text);
// The effective format: with century on, "yy" becomes "yyyy".
std::string effective_date_format(const DateSettings& s);
// Applies the century window to a year 0-99.
int window_year(int year, int epoch);

}  // namespace codfix

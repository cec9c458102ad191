#include "lib/core/date.h"

#include <cctype>
#include <cstdio>

namespace codfix {
namespace {

bool leap(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int days_in_month(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && leap(y) ? 29 : kDays[m - 1];
}

constexpr int32_t kFirstDay = 1721060;  // 0000-01-01

}  // namespace

int32_t day_number(int year, int month, int day) {
  if (year < 0 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > days_in_month(year, month))
    return 0;
  int a = month <= 2 ? 1 : 0;
  return (4800 + year - a) * 1461 / 4 + (month - 2 + 12 * a) * 367 / 12 -
         ((4900 + year - a) / 100) * 3 / 4 + day - 32075;
}

Ymd calendar_date(int32_t jdn) {
  if (jdn < kFirstDay) return {};
  int64_t l = static_cast<int64_t>(jdn) + 68569;
  int64_t n = 4 * l / 146097;
  l = l - (146097 * n + 3) / 4;
  int64_t i = 4000 * (l + 1) / 1461001;
  l = l - 1461 * i / 4 + 31;
  int64_t j = 80 * l / 2447;
  int64_t d = l - 2447 * j / 80;
  l = j / 11;
  int64_t m = j + 2 - 12 * l;
  int64_t y = 100 * (n - 49) + i + l;
  return {static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

int day_of_week(int32_t day) {
  return day == 0 ? 0 : (day + 1) % 7 + 1;
}

int window_year(int year, int epoch) {
  int century = epoch / 100;
  if (year < epoch % 100) ++century;
  return year + century * 100;
}

std::string effective_date_format(const DateSettings& s) {
  if (!s.century) return s.format;
  std::string out;
  for (std::size_t i = 0; i < s.format.size();) {
    if (std::tolower(static_cast<unsigned char>(s.format[i])) == 'y') {
      while (i < s.format.size() && std::tolower(static_cast<unsigned char>(s.format[i])) == 'y')
        ++i;
      out += "yyyy";
    } else {
      out += s.format[i++];
    }
  }
  return out;
}

std::string date_to_text(Date d, const DateSettings& s) {
  std::string fmt = effective_date_format(s);
  Ymd ymd = calendar_date(d.day);
  std::string out;
  for (std::size_t i = 0; i < fmt.size();) {
    char c = static_cast<char>(std::tolower(static_cast<unsigned char>(fmt[i])));
    if (c != 'd' && c != 'm' && c != 'y') {
      out += fmt[i++];
      continue;
    }
    std::size_t run = 0;
    while (i < fmt.size() && std::tolower(static_cast<unsigned char>(fmt[i])) == c) ++i, ++run;
    if (d.empty()) {
      out.append(run, ' ');
      continue;
    }
    int v = c == 'd' ? ymd.day : c == 'm' ? ymd.month : ymd.year;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", static_cast<int>(run), v);
    std::string digits(buf);
    out += digits.substr(digits.size() - run);
  }
  return out;
}

Date text_to_date(std::string_view text, const DateSettings& s) {
  std::string fmt = effective_date_format(s);
  // Order of the fields as the format gives them.
  char order[3];
  int count = 0;
  for (std::size_t i = 0; i < fmt.size() && count < 3; ++i) {
    char c = static_cast<char>(std::tolower(static_cast<unsigned char>(fmt[i])));
    if ((c == 'd' || c == 'm' || c == 'y') && (count == 0 || order[count - 1] != c))
      order[count++] = c;
  }
  if (count != 3) return {};
  int values[3] = {0, 0, 0};
  int digits_seen[3] = {0, 0, 0};
  int field = 0;
  bool in_number = false;
  for (char ch : text) {
    if (ch >= '0' && ch <= '9') {
      if (field >= 3) break;
      values[field] = values[field] * 10 + (ch - '0');
      if (values[field] > 99999) values[field] = 99999;
      ++digits_seen[field];
      in_number = true;
    } else if (in_number) {
      ++field;
      in_number = false;
    }
  }
  int day = 0, month = 0, year = 0;
  bool year_seen = false;
  for (int k = 0; k < 3; ++k) {
    if (order[k] == 'd') day = values[k];
    if (order[k] == 'm') month = values[k];
    if (order[k] == 'y') {
      year = values[k];
      year_seen = digits_seen[k] > 0;
    }
  }
  if (day == 0 && month == 0 && !year_seen) return {};
  if (year_seen && year < 100) year = window_year(year, s.epoch);
  return Date{day_number(year, month, day)};
}

std::string date_to_dtos(Date d) {
  if (d.empty()) return std::string(8, ' ');
  Ymd ymd = calendar_date(d.day);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d", ymd.year, ymd.month, ymd.day);
  return buf;
}

Date dtos_to_date(std::string_view text) {
  if (text.size() < 8) return {};
  int v[3] = {0, 0, 0};
  const int widths[3] = {4, 2, 2};
  std::size_t pos = 0;
  for (int k = 0; k < 3; ++k) {
    for (int i = 0; i < widths[k]; ++i, ++pos) {
      char c = text[pos];
      if (c < '0' || c > '9') return {};
      v[k] = v[k] * 10 + (c - '0');
    }
  }
  return Date{day_number(v[0], v[1], v[2])};
}

}  // namespace codfix

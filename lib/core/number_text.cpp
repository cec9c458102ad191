#include "lib/core/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace codfix {
namespace {

double power10(int n) {
  static const double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8, 1e9,
                                   1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18};
  if (n >= 0 && n <= 18) return kPowers[n];
  return std::pow(10.0, n);
}

}  // namespace

double round_decimal(double value, int decimals) {
  if (!std::isfinite(value)) return value;
  double scale = power10(decimals);
  double scaled = value * scale;
  if (std::abs(scaled) >= 1e17) return value;  // beyond the digits a double holds
  // Nudge by a few units in the last place so that 1.005 * 100 = 100.4999... rounds up.
  double nudge = std::max(std::abs(scaled), 1.0) * 1e-13;
  double r = std::round(scaled + std::copysign(nudge, scaled));
  return r / scale;
}

std::string format_fixed(double value, int width, int decimals, bool* overflow) {
  if (overflow) *overflow = false;
  if (width <= 0) width = 0;
  if (decimals < 0) decimals = 0;
  std::string out;
  bool fits = std::isfinite(value);
  if (fits) {
    double scale = power10(decimals);
    double scaled = value * scale;
    double r;
    if (std::abs(scaled) >= 1e17) {
      r = std::round(scaled);
    } else {
      double nudge = std::max(std::abs(scaled), 1.0) * 1e-13;
      r = std::round(scaled + std::copysign(nudge, scaled));
    }
    bool negative = r < 0;
    char digits[400];
    double magnitude = std::abs(r);
    if (magnitude < 1e18) {  // the common case, without the cost of printf
      auto end = std::to_chars(digits, digits + sizeof digits - 1,
                               static_cast<unsigned long long>(magnitude))
                     .ptr;
      *end = '\0';
    } else {
      std::snprintf(digits, sizeof digits, "%.0f", magnitude);
    }
    std::string d(digits);
    if (decimals > 0) {
      if (d.size() <= static_cast<std::size_t>(decimals))
        d.insert(0, static_cast<std::size_t>(decimals) + 1 - d.size(), '0');
      d.insert(d.size() - decimals, 1, '.');
    }
    if (negative) d.insert(0, 1, '-');
    if (d.size() <= static_cast<std::size_t>(width)) {
      out.assign(width - d.size(), ' ');
      out += d;
    } else {
      fits = false;
    }
  }
  if (!fits) {
    out.assign(width, '*');
    if (overflow) *overflow = true;
  }
  return out;
}

std::string number_text(const Number& n) {
  int total = n.width + (n.decimals > 0 ? n.decimals + 1 : 0);
  return format_fixed(n.value, total, n.decimals);
}

std::string str_width(const Number& n, int width) {
  if (width <= 0) width = 10;
  return format_fixed(n.value, width, 0);
}

std::string str_width(const Number& n, int width, int decimals) {
  if (width <= 0) width = 10;
  if (width == 1 || decimals < 0) decimals = 0;
  if (decimals > 0 && decimals >= width - 1) decimals = width > 2 ? width - 2 : 0;
  return format_fixed(n.value, width, decimals);
}

}  // namespace codfix

namespace codfix {

Number parse_number(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  std::string digits;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) digits += text[i++];
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') digits += text[i++];
  int decimals = 0;
  if (i < text.size() && text[i] == '.') {
    digits += text[i++];
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      digits += text[i++];
      ++decimals;
    }
  }
  Number n;
  n.value = std::strtod(digits.c_str(), nullptr);
  if (n.value == 0) n.value = 0;  // no negative zero
  n.decimals = static_cast<int16_t>(decimals);
  std::size_t point = text.find('.');
  n.width = static_cast<int16_t>(point == std::string_view::npos ? text.size() : point);
  return n;
}

}  // namespace codfix

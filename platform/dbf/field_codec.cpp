#include "platform/dbf/field_codec.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "lib/core/date.h"
#include "lib/core/number_text.h"

namespace codfix::dbf {

namespace {

int64_t le_int(const char* p, int n) {
  uint64_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(p[i]);
  if (n < 8 && (v & (uint64_t{1} << (8 * n - 1)))) v |= ~uint64_t{0} << (8 * n);  // sign extend
  return static_cast<int64_t>(v);
}

void put_le(char* p, int n, int64_t value) {
  uint64_t v = static_cast<uint64_t>(value);
  for (int i = 0; i < n; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

double pow10i(int n) {
  static const double table[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                 1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  return n >= 0 && n <= 22 ? table[n] : std::pow(10.0, n);
}

// Width of a number read from a field (the STR() form reproduces the field).
Value number_of_field(const Field& f, double value) {
  if (value == 0) value = 0;  // no negative zero
  if (f.decimals > 0) {
    int width = f.length - f.decimals - 1;
    return Value::number(value, width < 1 ? 1 : width, f.decimals);
  }
  return Value::number(value, f.length, 0);
}

Value timestamp_date(const char* p) {
  int64_t day = le_int(p, 4);
  return Value::date(day > 0 && day < 0x7FFFFFFF ? static_cast<int32_t>(day) : 0);
}

}  // namespace

bool parse_numeric(std::string_view s, bool allow_exponent, double& value) {
  size_t i = 0;
  const size_t n = s.size();
  // Blanks, and the NUL bytes some tools fill empty fields with, around the number.
  auto blank = [](char c) { return c == ' ' || c == '\0'; };
  while (i < n && blank(s[i])) ++i;
  value = 0;
  if (i == n) return true;  // a blank field is 0
  bool negative = false;
  if (s[i] == '-' || s[i] == '+') negative = s[i++] == '-';
  uint64_t mantissa = 0;
  int digits = 0, scale = 0;
  bool exact = true;
  size_t start = i;
  while (i < n && s[i] >= '0' && s[i] <= '9') {
    if (digits < 18) {
      mantissa = mantissa * 10 + static_cast<uint64_t>(s[i] - '0');
      if (mantissa) ++digits;
    } else {
      exact = false;
    }
    ++i;
  }
  bool any_digit = i > start;
  if (i < n && s[i] == '.') {
    ++i;
    size_t frac = i;
    while (i < n && s[i] >= '0' && s[i] <= '9') {
      if (digits < 18) {
        mantissa = mantissa * 10 + static_cast<uint64_t>(s[i] - '0');
        if (mantissa) ++digits;
        ++scale;
      } else {
        exact = false;
      }
      ++i;
    }
    any_digit = any_digit || i > frac;
  }
  if (!any_digit) return false;
  size_t number_end = i;
  if (allow_exponent && i < n && (s[i] == 'E' || s[i] == 'e')) {
    size_t j = i + 1;
    if (j < n && (s[j] == '+' || s[j] == '-')) ++j;
    size_t exp_start = j;
    while (j < n && s[j] >= '0' && s[j] <= '9') ++j;
    if (j == exp_start) return false;
    exact = false;
    i = number_end = j;
  }
  while (i < n && blank(s[i])) ++i;
  if (i != n) return false;
  if (exact) {
    value = static_cast<double>(mantissa) / pow10i(scale);
  } else {
    std::string text(s.substr(start, number_end - start));
    value = std::strtod(text.c_str(), nullptr);
  }
  if (negative) value = -value;
  if (value == 0) value = 0;
  return std::isfinite(value);
}

bool read_field(const Field& f, std::string_view b, Value& out, std::string& problem) {
  switch (f.type) {
    case 'C':
      out = Value(std::string(b));
      return true;
    case 'N':
    case 'F': {
      double v = 0;
      if (!parse_numeric(b, f.type == 'F', v)) {
        problem = "field " + f.name + " holds '" + std::string(b) + "', not a number";
        return false;
      }
      out = number_of_field(f, v);
      return true;
    }
    case 'D':
      if (f.length == 8) {
        out = Value(dtos_to_date(b));
      } else {
        int64_t day = le_int(b.data(), f.length);
        out = Value::date(day > 0 && day < 0x7FFFFFFF ? static_cast<int32_t>(day) : 0);
      }
      return true;
    case 'L':
      out = Value(b[0] == 'T' || b[0] == 't' || b[0] == 'Y' || b[0] == 'y');
      return true;
    case 'I':
    case '+':
    case '2':
    case '4': {
      double v = static_cast<double>(le_int(b.data(), f.length));
      if (f.decimals > 0) {
        out = Value::number(v / pow10i(f.decimals), 10, f.decimals);
      } else {
        static const int widths[] = {0, 4, 6, 10, 10, 20, 20, 20, 20};
        out = Value::number(v, widths[f.length], 0);
      }
      return true;
    }
    case '^':
      out = Value::number(static_cast<double>(static_cast<uint64_t>(le_int(b.data(), 8))), 20, 0);
      return true;
    case 'B':
    case '8': {
      double v;
      std::memcpy(&v, b.data(), 8);
      if (!std::isfinite(v)) v = 0;
      int width = f.decimals > 0 ? 20 - (f.decimals + 1) : 20;
      out = Value::number(v, width, f.decimals);
      return true;
    }
    case 'Y':
      out = Value::number(static_cast<double>(le_int(b.data(), 8)) / 10000.0, 20, 4);
      return true;
    case 'T':
    case '@':
    case '=':
      out = f.length == 8 ? timestamp_date(b.data()) : Value::date(0);
      return true;
    case 'V':
    case 'Q': {
      std::string_view v = b;
      while (!v.empty() && v.back() == '\0') v.remove_suffix(1);
      out = Value(std::string(v));
      return true;
    }
    case '0':
      out = Value(std::string(b));
      return true;
    default:
      problem = "field " + f.name + " has a type that cannot be read";
      return false;
  }
}

std::optional<uint32_t> read_memo_block(const Field& f, std::string_view b) {
  if (f.length == 4) return static_cast<uint32_t>(le_int(b.data(), 4));
  if (b.empty() || b[0] == '\0') return 0u;
  size_t i = 0;
  while (i < b.size() && (b[i] == ' ' || b[i] == '0')) ++i;
  uint64_t block = 0;
  for (; i < b.size(); ++i) {
    if (b[i] < '0' || b[i] > '9') return std::nullopt;
    block = block * 10 + static_cast<uint64_t>(b[i] - '0');
    if (block > 0xFFFFFFFFu) return std::nullopt;
  }
  return static_cast<uint32_t>(block);
}

void write_memo_block(const Field& f, char* dest, uint32_t block) {
  if (f.length == 4) {
    put_le(dest, 4, block);
    return;
  }
  std::memset(dest, ' ', f.length);
  if (block == 0) return;
  char digits[16];
  int n = std::snprintf(digits, sizeof digits, "%u", block);
  if (n > f.length) n = f.length;
  std::memcpy(dest + f.length - n, digits, static_cast<size_t>(n));
}

WriteOutcome write_field(const Field& f, const Value& v, char* dest) {
  switch (f.type) {
    case 'C': {
      if (!v.is_text()) return WriteOutcome::kWrongType;
      const std::string& s = v.text();
      size_t n = s.size() < f.length ? s.size() : f.length;
      std::memcpy(dest, s.data(), n);
      std::memset(dest + n, ' ', f.length - n);
      return WriteOutcome::kOk;
    }
    case 'N':
    case 'F': {
      if (!v.is_number()) return WriteOutcome::kWrongType;
      bool overflow = false;
      std::string text = format_fixed(v.as_double(), f.length, f.decimals, &overflow);
      std::memcpy(dest, text.data(), f.length);
      return overflow ? WriteOutcome::kOverflow : WriteOutcome::kOk;
    }
    case 'D': {
      if (!v.is_date()) return WriteOutcome::kWrongType;
      if (f.length == 8) {
        std::string text = date_to_dtos(v.as_date());
        std::memcpy(dest, text.data(), 8);
      } else {
        put_le(dest, f.length, v.as_date().day);
      }
      return WriteOutcome::kOk;
    }
    case 'L':
      if (!v.is_logical()) return WriteOutcome::kWrongType;
      dest[0] = v.logical() ? 'T' : 'F';
      return WriteOutcome::kOk;
    case 'I':
    case '2':
    case '4': {
      if (!v.is_number()) return WriteOutcome::kWrongType;
      double scaled = std::round(v.as_double() * pow10i(f.decimals));
      double limit = std::ldexp(1.0, 8 * f.length - 1);
      if (!(scaled >= -limit && scaled < limit)) return WriteOutcome::kOverflow;
      put_le(dest, f.length, static_cast<int64_t>(scaled));
      return WriteOutcome::kOk;
    }
    case 'B':
    case '8': {
      if (!v.is_number()) return WriteOutcome::kWrongType;
      double d = v.as_double();
      std::memcpy(dest, &d, 8);
      return WriteOutcome::kOk;
    }
    case 'Y': {
      if (!v.is_number()) return WriteOutcome::kWrongType;
      double scaled = std::round(v.as_double() * 10000.0);
      if (!(std::abs(scaled) < 9.2e18)) return WriteOutcome::kOverflow;
      put_le(dest, 8, static_cast<int64_t>(scaled));
      return WriteOutcome::kOk;
    }
    case 'T':
    case '@':
    case '=': {
      if (!v.is_date()) return WriteOutcome::kWrongType;
      std::memset(dest, 0, f.length);
      if (f.length == 8) put_le(dest, 4, v.as_date().day);
      return WriteOutcome::kOk;
    }
    case 'V':
    case 'Q': {
      if (!v.is_text()) return WriteOutcome::kWrongType;
      const std::string& s = v.text();
      size_t n = s.size() < f.length ? s.size() : f.length;
      std::memcpy(dest, s.data(), n);
      std::memset(dest + n, 0, f.length - n);
      return WriteOutcome::kOk;
    }
    default:
      return WriteOutcome::kWrongType;
  }
}

void blank_field(const Field& f, char* dest) {
  switch (f.type) {
    case 'C':
    case 'N':
    case 'F':
    case 'L':
      std::memset(dest, ' ', f.length);
      return;
    case 'D':
      std::memset(dest, f.length == 8 ? ' ' : 0, f.length);
      return;
    case 'M':
    case 'G':
    case 'P':
    case 'W':
      std::memset(dest, f.length == 10 ? ' ' : 0, f.length);
      return;
    case '0':
      std::memset(dest, 0xFF, f.length);
      return;
    default:
      std::memset(dest, 0, f.length);
      return;
  }
}

}  // namespace codfix::dbf

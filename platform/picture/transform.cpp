#include <algorithm>
#include <cctype>

#include "lib/core/date.h"
#include "lib/core/number_text.h"
#include "lib/core/runtime.h"
#include "platform/picture/picture.h"
#include "platform/text/codepage.h"

namespace codfix::picture {
namespace {

bool is_digit_slot(char c) {
  return c == '9' || c == '#' || c == '$' || c == '*';
}

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// Swaps '.' and ',' (the European number form).
void swap_separators(std::string& s) {
  for (char& c : s) {
    if (c == '.')
      c = ',';
    else if (c == ',')
      c = '.';
  }
}

// Puts a '-' that stands apart from its digits (a blank or a comma slot between
// them) right before the first digit.
void close_up_sign(std::string& s) {
  std::size_t minus = s.find('-');
  if (minus == std::string::npos) return;
  std::size_t first = minus + 1;
  while (first < s.size() && !is_digit(s[first]) && s[first] != '.') ++first;
  if (first == minus + 1 || first >= s.size()) return;
  s[minus] = ' ';
  s[first - 1] = '-';
}

// Number through a template: the digits of STR(value, slots, decimals) placed into
// the template's digit slots, thousands commas only between digits.
std::string number_through_template(double value, const std::string& tmpl, bool* overflow) {
  int slots = 0;
  int decimals = 0;
  bool after_point = false;
  for (char c : tmpl) {
    if (c == '.' && !after_point) {
      after_point = true;
      ++slots;
    } else if (is_digit_slot(c)) {
      ++slots;
      if (after_point) ++decimals;
    }
  }
  std::string digits = format_fixed(value, slots, decimals, overflow);
  std::string out(tmpl.size(), ' ');
  std::size_t k = 0;
  bool point_seen = false;
  for (std::size_t i = 0; i < tmpl.size(); ++i) {
    char c = tmpl[i];
    if (is_digit_slot(c)) {
      char d = k < digits.size() ? digits[k++] : ' ';
      if (d == ' ' && (c == '$' || c == '*')) d = c;
      out[i] = d;
    } else if (c == '.' && !point_seen) {
      point_seen = true;
      out[i] = '.';
      ++k;
    } else if (c == ',') {
      char prev = i > 0 ? out[i - 1] : ' ';
      if (is_digit(prev))
        out[i] = ',';
      else if (prev == '*' || prev == '$')
        out[i] = prev;
      else
        out[i] = ' ';
    } else {
      out[i] = c;
    }
  }
  if (*overflow) {
    for (std::size_t i = 0; i < tmpl.size(); ++i)
      if (tmpl[i] != '.') out[i] = '*';
    return out;
  }
  close_up_sign(out);
  return out;
}

std::string transform_number(const Number& n, const Picture& p) {
  bool negative = n.value < 0;
  bool drop_sign = negative && (p.paren || p.paren_tight || p.debit);
  double shown = drop_sign ? -n.value : n.value;
  bool overflow = false;
  std::string out;
  if (p.has_template()) {
    out = number_through_template(shown, p.tmpl, &overflow);
  } else {
    Number m = n;
    m.value = shown;
    out = number_text(m);
    overflow = out.find('*') != std::string::npos;
  }
  if (p.zero_blank && n.value == 0 && !overflow) return std::string(out.size(), ' ');
  if (p.european) swap_separators(out);
  if (drop_sign && !overflow) {
    if (p.paren) {
      if (!out.empty() && out[0] == ' ')
        out[0] = '(';
      else
        out.insert(out.begin(), '(');
      out += ')';
    } else if (p.paren_tight) {
      std::size_t first = out.find_first_not_of(' ');
      if (first == std::string::npos) first = out.size();
      if (first > 0)
        out[first - 1] = '(';
      else
        out.insert(out.begin(), '(');
      out += ')';
    }
  }
  if (p.left_justify) {
    std::size_t first = out.find_first_not_of(' ');
    if (first != std::string::npos && first > 0) {
      out = out.substr(first) + std::string(first, ' ');
    }
  }
  if (p.credit && n.value > 0) out += " CR";
  if (p.debit && negative) out += " DB";
  return out;
}

std::string transform_text(const std::string& s, const Picture& p) {
  if (!p.has_template()) {
    std::string out = p.upper ? text::upper(s) : s;
    if (p.scroll_width > 0 && out.size() > static_cast<std::size_t>(p.scroll_width))
      out.resize(p.scroll_width);
    return out;
  }
  std::string out;
  out.reserve(p.tmpl.size());
  std::size_t j = 0;
  for (char c : p.tmpl) {
    if (is_template_char(c)) {
      char v = j < s.size() ? s[j] : ' ';
      ++j;
      if (c == '!' || p.upper) v = text::to_upper(v);
      out += v;
    } else {
      out += c;
      if (!p.insert_literals) ++j;  // the literal stands in place of a character
    }
  }
  if (p.scroll_width > 0 && out.size() > static_cast<std::size_t>(p.scroll_width))
    out.resize(p.scroll_width);
  return out;
}

std::string transform_date(Date d, const Picture& p) {
  DateSettings s = Runtime::current().settings.dates;
  if (p.european) s.format = "dd/mm/yy";
  return date_to_text(d, s);
}

std::string transform_logical(bool b, const Picture& p) {
  if (!p.has_template()) return b ? "T" : "F";
  std::string out;
  bool used = false;
  for (char c : p.tmpl) {
    char u = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (!used && (u == 'Y' || u == 'L' || u == '#' || u == 'X' || u == '!')) {
      out += u == 'Y' ? (b ? 'Y' : 'N') : (b ? 'T' : 'F');
      used = true;
    } else if (!used || !is_template_char(c)) {
      out += c;
    } else {
      out += ' ';
    }
  }
  return out;
}

}  // namespace

std::string transform(const Value& v, const Picture& p) {
  switch (v.type()) {
    case Type::Text:
      return transform_text(v.text(), p);
    case Type::Number:
      return transform_number(v.num(), p);
    case Type::Date:
      return transform_date(v.as_date(), p);
    case Type::Logical:
      return transform_logical(v.logical(), p);
    default:
      return {};
  }
}

std::string transform(const Value& v, std::string_view picture) {
  return transform(v, parse(picture));
}

}  // namespace codfix::picture

// Text functions: trimming, case, parts, search and replace, padding, characters,
// and the conversions between numbers and texts (STR, STRZERO, VAL).
#include <algorithm>
#include <cmath>

#include "lib/core/date.h"
#include "lib/core/number_text.h"
#include "lib/core/runtime.h"
#include "lib/core/text_util.h"
#include "platform/expr/std_common.h"
#include "platform/expr/text_slice.h"
#include "platform/text/codepage.h"

namespace codfix::expr {
namespace {

Value fn_trim(const Args& a) {
  if (!a[1].is_text()) return bad_args("TRIM", 1100, a);
  return Value(trim_right(a[1].text()));
}
Value fn_ltrim(const Args& a) {
  if (!a[1].is_text()) return bad_args("LTRIM", 1101, a);
  return Value(trim_left(a[1].text()));
}
Value fn_alltrim(const Args& a) {
  if (!a[1].is_text()) return bad_args("ALLTRIM", 2022, a);
  return Value(trim(a[1].text()));
}
Value fn_upper(const Args& a) {
  if (!a[1].is_text()) return bad_args("UPPER", 1102, a);
  return Value(text::upper(a[1].text()));
}
Value fn_lower(const Args& a) {
  if (!a[1].is_text()) return bad_args("LOWER", 1103, a);
  return Value(text::lower(a[1].text()));
}

Value slice(const Args& a, Slice kind, std::string_view name, int subcode) {
  SliceRange r;
  if (!a[1].is_text() || !slice_range(kind, a[1].text().size(), a[2], a[3], r))
    return bad_args(name, subcode, a);
  return Value(std::string_view(a[1].text()).substr(r.first, r.count));
}

Value fn_substr(const Args& a) {
  return slice(a, Slice::Substr, "SUBSTR", 1110);
}
Value fn_left(const Args& a) {
  return slice(a, Slice::Left, "LEFT", 1124);
}
Value fn_right(const Args& a) {
  return slice(a, Slice::Right, "RIGHT", 1125);
}

Value fn_len(const Args& a) {
  const Value& v = a[1];
  if (v.is_text()) return Value::integer(static_cast<double>(v.text().size()));
  if (v.is_array()) return Value::integer(static_cast<double>(v.items().size()));
  if (v.is_hash()) return Value::integer(static_cast<double>(v.hash_ref()->entries.size()));
  return bad_args("LEN", 1111, a);
}

Value fn_at(const Args& a) {
  if (!a[1].is_text() || !a[2].is_text()) return bad_args("AT", 1108, a);
  if (a[1].text().empty()) return Value(0);
  std::size_t p = a[2].text().find(a[1].text());
  return Value::integer(p == std::string::npos ? 0.0 : static_cast<double>(p + 1));
}

Value fn_rat(const Args& a) {
  if (!a[1].is_text() || !a[2].is_text()) return bad_args("RAT", 1112, a);
  if (a[1].text().empty()) return Value(0);
  std::size_t p = a[2].text().rfind(a[1].text());
  return Value::integer(p == std::string::npos ? 0.0 : static_cast<double>(p + 1));
}

// STRTRAN(text, search, [replacement], [first occurrence to replace], [count])
Value fn_strtran(const Args& a) {
  if (!a[1].is_text() || !a[2].is_text() || (a.given(3) && !a[3].is_text()))
    return bad_args("STRTRAN", 1126, a);
  const std::string& s = a[1].text();
  const std::string& find = a[2].text();
  const std::string repl = a.text(3);
  long first = a.given(4) ? whole(a[4]) : 1;
  long count = a.given(5) ? whole(a[5]) : -1;
  if (find.empty() || count == 0) return a[1];
  if (first < 1) first = 1;
  std::string out;
  long seen = 0, done = 0;
  std::size_t pos = 0;
  for (;;) {
    std::size_t hit = s.find(find, pos);
    if (hit == std::string::npos) break;
    ++seen;
    out.append(s, pos, hit - pos);
    if (seen >= first && (count < 0 || done < count)) {
      out += repl;
      ++done;
    } else {
      out += find;
    }
    pos = hit + find.size();
    if (out.size() > kMaxTextLength) return bad_args("STRTRAN", 1126, a);
  }
  out.append(s, pos, std::string::npos);
  return Value(std::move(out));
}

// STUFF(text, start, delete count, insertion)
Value fn_stuff(const Args& a) {
  if (!a[1].is_text() || !a[2].is_number() || !a[3].is_number() || !a[4].is_text())
    return bad_args("STUFF", 1127, a);
  const std::string& s = a[1].text();
  long size = static_cast<long>(s.size());
  long start = std::clamp(whole(a[2]), 1L, size + 1) - 1;
  long del = std::clamp(whole(a[3]), 0L, size - start);
  std::string out = s.substr(0, static_cast<std::size_t>(start));
  out += a[4].text();
  out.append(s, static_cast<std::size_t>(start + del), std::string::npos);
  return Value(std::move(out));
}

Value fn_replicate(const Args& a) {
  if (!a[1].is_text() || !a[2].is_number()) return bad_args("REPLICATE", 1106, a);
  long n = whole(a[2]);
  const std::string& s = a[1].text();
  if (n <= 0 || s.empty()) return Value("");
  if (s.size() * static_cast<std::size_t>(n) > kMaxTextLength)
    return bad_args("REPLICATE", 1234, a);
  std::string out;
  out.reserve(s.size() * static_cast<std::size_t>(n));
  for (long i = 0; i < n; ++i) out += s;
  return Value(std::move(out));
}

Value fn_space(const Args& a) {
  if (!a[1].is_number()) return bad_args("SPACE", 1105, a);
  long n = whole(a[1]);
  if (n <= 0) return Value("");
  if (static_cast<std::size_t>(n) > kMaxTextLength) return bad_args("SPACE", 1233, a);
  return Value(std::string(static_cast<std::size_t>(n), ' '));
}

// The text a padding function works on: texts as they are, numbers in their
// default form without the leading blanks, dates in the current format.
bool pad_source(const Value& v, std::string& out) {
  if (v.is_text()) {
    out = v.text();
  } else if (v.is_number()) {
    out = std::string(trim_left(number_text(v.num())));
  } else if (v.is_date()) {
    out = date_to_text(v.as_date(), Runtime::current().settings.dates);
  } else {
    return false;
  }
  return true;
}

enum class Pad { Right, Left, Centre };

Value pad(const Args& a, Pad how, std::string_view name, int subcode) {
  std::string s;
  if (!pad_source(a[1], s) || !a[2].is_number()) return bad_args(name, subcode, a);
  long n = whole(a[2]);
  if (n <= 0) return Value("");
  if (static_cast<std::size_t>(n) > kMaxTextLength) return bad_args(name, subcode, a);
  std::size_t width = static_cast<std::size_t>(n);
  char fill = a[3].is_text() && !a[3].text().empty() ? a[3].text()[0] : ' ';
  if (s.size() >= width) return Value(s.substr(0, width));
  std::size_t gap = width - s.size();
  std::size_t before = how == Pad::Left ? gap : how == Pad::Centre ? gap / 2 : 0;
  std::string out(before, fill);
  out += s;
  out.append(gap - before, fill);
  return Value(std::move(out));
}

Value fn_padr(const Args& a) {
  return pad(a, Pad::Right, "PADR", 1128);
}
Value fn_padl(const Args& a) {
  return pad(a, Pad::Left, "PADL", 1129);
}
Value fn_padc(const Args& a) {
  return pad(a, Pad::Centre, "PADC", 1130);
}

Value fn_chr(const Args& a) {
  if (!a[1].is_number()) return bad_args("CHR", 1104, a);
  long n = whole(a[1]) % 256;
  if (n < 0) n += 256;
  return Value(std::string(1, static_cast<char>(n)));
}

Value fn_asc(const Args& a) {
  if (!a[1].is_text()) return bad_args("ASC", 1107, a);
  const std::string& s = a[1].text();
  return Value(s.empty() ? 0 : static_cast<int>(static_cast<unsigned char>(s[0])));
}

Value fn_str(const Args& a) {
  if (!a[1].is_number() || (a.given(2) && !a[2].is_number()) || (a.given(3) && !a[3].is_number()))
    return bad_args("STR", 1099, a);
  if (!a.given(2)) return Value(number_text(a[1].num()));
  if (!a.given(3)) return Value(str_width(a[1].num(), a.integer(2)));
  return Value(str_width(a[1].num(), a.integer(2), a.integer(3)));
}

// STRZERO: STR with zeros instead of the leading blanks (a sign goes first).
Value fn_strzero(const Args& a) {
  Value v = fn_str(a);
  if (!v.is_text()) return v;
  std::string s = v.text();
  if (s.find('*') != std::string::npos) return Value(std::move(s));
  bool negative = false;
  for (char& c : s) {
    if (c == '-') {
      negative = true;
      c = '0';
    } else if (c == ' ') {
      c = '0';
    }
  }
  if (negative && !s.empty()) s[0] = '-';
  return Value(std::move(s));
}

// VAL keeps the text's shape: decimals = digits after the point, width = the
// characters before the point (the whole length without one).
Value fn_val(const Args& a) {
  if (!a[1].is_text()) return bad_args("VAL", 1098, a);
  const std::string& s = a[1].text();
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  double v = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) v = v * 10 + (s[i] - '0');
  int decimals = 0;
  std::size_t point = s.find('.');
  if (i < s.size() && s[i] == '.') {
    double scale = 1;
    for (++i; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
      scale /= 10;
      v += (s[i] - '0') * scale;
      ++decimals;
    }
  } else {
    point = std::string::npos;
  }
  if (negative) v = -v;
  int width = static_cast<int>(point == std::string::npos ? s.size() : point);
  if (width <= 0) width = 10;
  if (width > 30) width = 30;
  return Value::number(v, width, decimals);
}

template <bool (*Test)(char)>
Value first_char_is(const Args& a) {
  return Value(a[1].is_text() && !a[1].text().empty() && Test(a[1].text()[0]));
}

}  // namespace

void register_text_functions() {
  add_function("TRIM", fn_trim);
  add_function("RTRIM", fn_trim);
  add_function("LTRIM", fn_ltrim);
  add_function("ALLTRIM", fn_alltrim);
  add_function("UPPER", fn_upper);
  add_function("LOWER", fn_lower);
  add_function("SUBSTR", fn_substr);
  add_function("LEFT", fn_left);
  add_function("RIGHT", fn_right);
  add_function("LEN", fn_len);
  add_function("AT", fn_at);
  add_function("RAT", fn_rat);
  add_function("STRTRAN", fn_strtran);
  add_function("STUFF", fn_stuff);
  add_function("REPLICATE", fn_replicate);
  add_function("SPACE", fn_space);
  add_function("PADR", fn_padr);
  add_function("PADL", fn_padl);
  add_function("PADC", fn_padc);
  add_function("CHR", fn_chr);
  add_function("ASC", fn_asc);
  add_function("STR", fn_str);
  add_function("STRZERO", fn_strzero);
  add_function("VAL", fn_val);
  add_function("ISDIGIT", first_char_is<text::is_digit>);
  add_function("ISALPHA", first_char_is<text::is_alpha>);
  add_function("ISUPPER", first_char_is<text::is_upper>);
  add_function("ISLOWER", first_char_is<text::is_lower>);
}

}  // namespace codfix::expr

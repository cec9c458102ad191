#include "lib/values/number_helpers.h"

#include <cmath>

#include "lib/core/date.h"
#include "lib/core/number_text.h"
#include "lib/core/routines.h"
#include "lib/core/runtime.h"
#include "lib/core/text_util.h"

namespace codfix {
namespace {

Number number_of(const Value& v) {
  return v.is_number() ? v.num() : Number{0, 10, 0};
}

// The default text form, and the digits after its point.
std::string default_text(const Value& n) {
  return number_text(number_of(n));
}

}  // namespace

std::string zero_filled(double n, int width, int decimals) {
  std::string s = format_fixed(n, width, decimals);
  if (s.find('*') != std::string::npos) return s;
  bool negative = s.find('-') != std::string::npos;
  for (char& c : s)
    if (c == ' ' || c == '-') c = '0';
  if (negative) s[0] = '-';
  return s;
}

Value VALTRIM(std::string_view text) {
  return Value(parse_number(trim(text)));
}

std::pair<int, int> LENX(const Value& v) {
  if (v.is_number()) {
    std::string s = default_text(v);
    std::size_t point = s.find('.');
    int decimals = point == std::string::npos ? 0 : static_cast<int>(s.size() - point - 1);
    return {static_cast<int>(s.size()), decimals};
  }
  if (v.is_memo()) return {65, 0};
  if (v.is_text()) return {static_cast<int>(v.text().size()), 0};
  if (v.is_date())
    return {static_cast<int>(date_to_text(v.as_date(), Runtime::current().settings.dates).size()),
            0};
  return {0, 0};
}

std::string STRTRIM(const Value& n, int width, int decimals, bool integer) {
  auto [w, d] = LENX(n);
  if (width >= 0) {
    w = width + (decimals > 0 ? decimals : 0);
    d = decimals > 0 ? decimals : 0;
  }
  double v = number_of(n).value;
  if (integer && v == std::trunc(v)) d = 0;
  return std::string(trim(str_width(Number{v, 10, 0}, w, d)));
}

Value CASADEC(const Value& n, int places) {
  if (!n.is_number()) return n;
  std::string s = default_text(n);
  std::size_t point = s.find('.');
  if (point == std::string::npos) return n;
  std::string cut = s.substr(0, point + 1 + static_cast<std::size_t>(std::max(places, 0)));
  if (places <= 0) cut = s.substr(0, point);
  Number r = parse_number(trim(cut));
  r.width = n.num().width;
  return Value(r);
}

Value INTEIRO(const Value& n, bool keep_fraction) {
  if (!n.is_number()) return n;
  double v = n.as_double();
  if (keep_fraction && v != std::trunc(v)) return n;
  std::string s = default_text(n);
  std::size_t point = s.find('.');
  Number r = parse_number(trim(s.substr(0, point)));
  r.width = n.num().width;
  return Value(r);
}

Value PORCENTO(double percent, double value, int places) {
  return Value::number(round_decimal(value * percent / 100.0, places), places);
}

std::string CONVNUM(const Value& n, int width, int decimals, std::string_view separator,
                    std::string_view mode) {
  int w = width + (decimals != 0 ? 1 : 0);
  double v = number_of(n).value;
  std::string s;
  if (mode == "0") {
    s = zero_filled(v, w, decimals);
  } else {
    s = std::string(trim(format_fixed(v, w, decimals)));
    if (mode == "1") s = pad_left(s, static_cast<std::size_t>(w));
  }
  if (s.find('*') != std::string::npos && s.size() < static_cast<std::size_t>(w))
    s = pad_left(s, static_cast<std::size_t>(w));
  s = replace_all(s, ".", separator);
  Runtime::current().vars.set("CRETORNO", Value(s));
  return s;
}

std::pair<double, std::string> BYTESTOX(double bytes) {
  static const char* kUnits[] = {"Bytes", "KB", "MB", "GB", "TB", "PB", "EB", "ZB", "YB"};
  int unit = 0;
  while (bytes >= 1024 && unit < 8) {
    bytes = std::floor(bytes / 1024);
    ++unit;
  }
  return {bytes, kUnits[unit]};
}

void register_number_helpers() {
  Routines& r = routines();
  r.add("VARVAZIA", [](const Args& a) { return Value(a[1].empty()); });
  r.add("VALTRIM", [](const Args& a) { return VALTRIM(a.text(1)); });
  r.add("STRTRIM", [](const Args& a) {
    return Value(STRTRIM(a[1], a.given(2) ? a.integer(2) : -1, a.given(3) ? a.integer(3) : -1,
                         a.logical(4, false)));
  });
  r.add("LENX", [](const Args& a) {
    auto [w, d] = LENX(a[1]);
    return Value::array({Value(w), Value(d)});
  });
  r.add("CASADEC", [](const Args& a) { return CASADEC(a[1], a.integer(2, 2)); });
  r.add("TRUNCAVAL", [](const Args& a) { return CASADEC(a[1], a.integer(2, 2)); });
  r.add("INTEIRO", [](const Args& a) { return INTEIRO(a[1], a.logical(2, false)); });
  r.add("PORCENTO",
        [](const Args& a) { return PORCENTO(a.number(1), a.number(2), a.integer(3, 2)); });
  r.add("CONVNUM", [](const Args& a) {
    return Value(CONVNUM(a[1], a.integer(2, 15), a.integer(3, 0), a.text(4, ""), a.text(5, "0")));
  });
  r.add("BYTESTOX", [](const Args& a) { return Value::integer(BYTESTOX(a.number(1)).first); });
}

}  // namespace codfix

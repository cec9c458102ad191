#include "lib/values/text_helpers.h"

#include <chrono>
#include <cmath>
#include <ctime>

#include "lib/core/date.h"
#include "lib/core/number_text.h"
#include "lib/core/routines.h"
#include "lib/core/runtime.h"
#include "lib/core/text_util.h"
#include "lib/settings/value_text.h"
#include "lib/values/number_helpers.h"
#include "platform/text/codepage.h"

namespace codfix {
namespace {

std::string two_digits(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}

std::string four_digits(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d", n);
  return buf;
}

}  // namespace

std::string seconds_to_hhmmss(long long s) {
  if (s < 0) s = 0;
  return two_digits(static_cast<int>(s / 3600)) + ":" + two_digits(static_cast<int>(s / 60 % 60)) +
         ":" + two_digits(static_cast<int>(s % 60));
}

double seconds_now() {
  auto now = std::chrono::system_clock::now();
  std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&t, &local);
  double frac = std::chrono::duration<double>(now.time_since_epoch()).count();
  frac -= std::floor(frac);
  return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + frac;
}

std::string CONVDATA(Date date, int format, int empty_rule, std::string_view sep) {
  // The date as dd/mm/yyyy in the session's day-month order.
  DateSettings s = Runtime::current().settings.dates;
  s.century = true;
  std::string text = date_to_text(date, s);  // e.g. "05/03/2024", "  /  /    "
  std::string dd = text.substr(0, 2), mm = text.substr(3, 2), yyyy = text.substr(6, 4);
  std::string yy = yyyy.substr(2, 2);
  Ymd ymd = calendar_date(date.day);
  auto century_year = [&]() {
    std::string yymmdd = yy + mm + dd;
    return (yymmdd < "900000" ? "20" : "19") + yy;
  };
  std::string sp(sep);
  std::string out;
  switch (format) {
    case 1:
      out = date.empty() ? std::string(8, ' ') : century_year() + mm + dd;
      break;
    case 2:
      out = two_digits(ymd.day) + two_digits(ymd.month) + four_digits(ymd.year);
      break;
    case 3:
      out = dd + mm + yy;
      break;
    case 4:
      out = yy + mm + dd;
      break;
    case 5:
      out = dd + sp + mm + sp + yy;
      break;
    case 6:
      out = two_digits(ymd.day) + sp + two_digits(ymd.month) + sp + four_digits(ymd.year);
      break;
    case 7:
      out = two_digits(ymd.month) + two_digits(ymd.year % 100);
      break;
    case 8:
      out = two_digits(ymd.year % 100) + two_digits(ymd.month);
      break;
    case 9:
      out = date.empty() ? "    " + sp + mm + sp + dd : century_year() + sp + mm + sp + dd;
      break;
    case 10:
      out = date.empty() ? "    " + sp + dd + sp + mm : century_year() + sp + dd + sp + mm;
      break;
    default:
      out = text;
      break;
  }
  if (date.empty()) {
    if (empty_rule == 1) {
      for (char& c : out)
        if (c >= '0' && c <= '9') c = ' ';
    } else if (empty_rule == 3) {
      for (char& c : out)
        if (c == ' ') c = '0';
    }
  }
  return replace_all(out, "/", sep);
}

std::string CONVCHAR(const Value& v, int width, std::string_view type) {
  std::string text = X_TO_C(v);
  if (width < 0) width = static_cast<int>(text.size());
  if (type.empty() || type == "C" || type == "c") return pad_right(text, width);
  Number n = parse_number(trim(text));
  return zero_filled(n.value, width, n.decimals > 0 && n.decimals < width - 1 ? n.decimals : 0);
}

std::string CONCATCHAR(const Value& v, bool trim_it, std::string_view delimiters) {
  std::string text = X_TO_C(v);
  if (trim_it) text = std::string(trim(text));
  if (delimiters.empty()) return text;
  return delimiters.front() + text + delimiters.back();
}

std::string TIRACHAR(std::string_view text, std::string_view characters) {
  std::string out;
  for (char c : text)
    if (characters.find(c) == std::string_view::npos) out += c;
  return out;
}

std::string PRIMMAIU(std::string_view text) {
  std::string s = text::lower(trim(text));
  bool start = true;
  for (char& c : s) {
    if (start) c = text::to_upper(c);
    start = c == ' ' || c == '.';
  }
  return pad_right(s, std::max(text.size(), s.size()));
}

std::string TEMPOEXT(std::string_view t) {
  std::string out;
  if (t.substr(0, 6) == "00:00:") {
    out = std::string(t.substr(6, 2)) + " Segundos";
  } else if (t.substr(0, 3) == "00:") {
    out = std::string(t.substr(3, 2)) + " Minutos";
  } else {
    out = std::to_string(static_cast<int>(parse_number(t.substr(0, 2)).value)) + " horas";
  }
  Runtime::current().vars.set("CRETORNO", Value(out));
  return out;
}

std::string TEMPOEST(double start, double done, double total) {
  double elapsed = seconds_now() - start;
  if (elapsed < 0) elapsed += 86400;  // past midnight
  double rate = elapsed > 0 ? done / elapsed : 0;
  double estimated = rate > 0 ? total / rate : 0;
  std::string t = seconds_to_hhmmss(std::llround(estimated - elapsed));
  auto number = [](std::string_view two) {
    return std::to_string(static_cast<int>(parse_number(two).value));
  };
  if (t.substr(0, 6) == "00:00:") return number(t.substr(6, 2)) + " Segundo(s)";
  if (t.substr(0, 3) == "00:") return number(t.substr(3, 2)) + " Minuto(s)";
  return number(t.substr(0, 2)) + " hora(s)";
}

bool IGUALOUCONTIDO(std::string_view pattern, std::string_view text) {
  if (pattern == text) return true;
  if (pattern.find('*') == std::string_view::npos) return false;
  return text.find(TIRACHAR(pattern, "*")) != std::string_view::npos;
}

Value RETELEM(const Value& list, const Value& index, int default_position) {
  if (!list.is_array() || list.items().empty()) return Value("");
  double i = index.is_text() ? parse_number(trim(index.text())).value : index.number_or(0);
  auto n = static_cast<std::size_t>(i < 0 ? 0 : i);
  if (n >= 1 && n <= list.items().size()) return list.at(n);
  Value model = list.at(static_cast<std::size_t>(default_position));
  switch (model.type()) {
    case Type::Text:
      return Value(std::string(model.text().size(), ' '));
    case Type::Number:
      return Value(0);
    case Type::Date:
      return Value::date(0);
    case Type::Logical:
      return Value(false);
    case Type::Array:
      return Value::array(0);
    default:
      return Value();
  }
}

void register_text_helpers() {
  Routines& r = routines();
  r.add("CONVDATA", [](const Args& a) {
    int rule = a[3].is_logical() ? (a[3].logical() ? 1 : 2) : a.integer(3, 2);
    Date d = a[1].is_date() ? a[1].as_date() : Date{};
    return Value(CONVDATA(d, a.integer(2, 1), rule, a.text(4, "/")));
  });
  r.add("CONVCHAR", [](const Args& a) {
    return Value(CONVCHAR(a[1], a.given(2) ? a.integer(2) : -1, a.text(3, "C")));
  });
  r.add("CONCATCHAR", [](const Args& a) {
    return Value(CONCATCHAR(a[1], a.logical(2, false), a.text(3, "()")));
  });
  r.add("TIRACHAR", [](const Args& a) { return Value(TIRACHAR(a.text(1), a.text(2))); });
  r.add("PRIMMAIU", [](const Args& a) { return Value(PRIMMAIU(a.text(1))); });
  r.add("TEMPOEXT", [](const Args& a) { return Value(TEMPOEXT(a.text(1))); });
  r.add("TEMPOEST",
        [](const Args& a) { return Value(TEMPOEST(a.number(1), a.number(2), a.number(3))); });
  r.add("IGUALOUCONTIDO",
        [](const Args& a) { return Value(IGUALOUCONTIDO(a.text(1), a.text(2))); });
  r.add("RETELEM", [](const Args& a) { return RETELEM(a[1], a[2], a.integer(3, 1)); });
}

}  // namespace codfix

// Date and time functions: DATE, TIME, SECONDS, DTOC, CTOD, DTOS, STOD, DAY,
// MONTH, YEAR, DOW, CDOW, CMONTH. Texts follow the run-time date settings.
#include <chrono>
#include <cstdio>
#include <ctime>

#include "lib/core/date.h"
#include "lib/core/runtime.h"
#include "platform/expr/std_common.h"
#include "platform/text/literal.h"

namespace codfix::expr {
namespace {

using namespace text::literals;

const DateSettings& dates() {
  return Runtime::current().settings.dates;
}

std::tm local_now(double* fraction = nullptr) {
  auto now = std::chrono::system_clock::now();
  std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm tm{};
  localtime_r(&t, &tm);
  if (fraction) {
    auto since = now.time_since_epoch();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since).count() % 1000;
    *fraction = static_cast<double>(ms) / 1000.0;
  }
  return tm;
}

Value fn_date(const Args&) {
  std::tm tm = local_now();
  return Value::date(day_number(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday));
}

Value fn_time(const Args&) {
  std::tm tm = local_now();
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
  return Value(buf);
}

Value fn_seconds(const Args&) {
  double fraction = 0;
  std::tm tm = local_now(&fraction);
  double s = tm.tm_hour * 3600.0 + tm.tm_min * 60.0 + tm.tm_sec + fraction;
  return Value::number(s, 2);
}

Value fn_dtoc(const Args& a) {
  if (!a[1].is_date()) return bad_args("DTOC", 1118, a);
  return Value(date_to_text(a[1].as_date(), dates()));
}

Value fn_ctod(const Args& a) {
  if (!a[1].is_text()) return bad_args("CTOD", 1119, a);
  return Value(text_to_date(a[1].text(), dates()));
}

Value fn_dtos(const Args& a) {
  if (!a[1].is_date()) return bad_args("DTOS", 1120, a);
  return Value(date_to_dtos(a[1].as_date()));
}

Value fn_stod(const Args& a) {
  if (a[1].is_nil()) return Value(Date{});
  if (!a[1].is_text()) return bad_args("STOD", 1121, a);
  return Value(dtos_to_date(a[1].text()));
}

Value date_part(const Args& a, int Ymd::*part, std::string_view name) {
  if (!a[1].is_date()) return bad_args(name, 1114, a);
  return Value(calendar_date(a[1].as_date().day).*part);
}

Value fn_day(const Args& a) {
  return date_part(a, &Ymd::day, "DAY");
}
Value fn_month(const Args& a) {
  return date_part(a, &Ymd::month, "MONTH");
}
Value fn_year(const Args& a) {
  return date_part(a, &Ymd::year, "YEAR");
}

Value fn_dow(const Args& a) {
  if (!a[1].is_date()) return bad_args("DOW", 1115, a);
  return Value(day_of_week(a[1].as_date().day));
}

Value fn_cdow(const Args& a) {
  static constexpr std::string_view kNames[] = {
      "Domingo"_cp850,      "Segunda-feira"_cp850, "Terça-feira"_cp850, "Quarta-feira"_cp850,
      "Quinta-feira"_cp850, "Sexta-feira"_cp850,   "Sábado"_cp850};
  if (!a[1].is_date()) return bad_args("CDOW", 1117, a);
  int d = day_of_week(a[1].as_date().day);
  return Value(d == 0 ? std::string_view() : kNames[d - 1]);
}

Value fn_cmonth(const Args& a) {
  static constexpr std::string_view kNames[] = {
      "Janeiro"_cp850,  "Fevereiro"_cp850, "Março"_cp850,    "Abril"_cp850,
      "Maio"_cp850,     "Junho"_cp850,     "Julho"_cp850,    "Agosto"_cp850,
      "Setembro"_cp850, "Outubro"_cp850,   "Novembro"_cp850, "Dezembro"_cp850};
  if (!a[1].is_date()) return bad_args("CMONTH", 1116, a);
  int m = calendar_date(a[1].as_date().day).month;
  return Value(m == 0 ? std::string_view() : kNames[m - 1]);
}

}  // namespace

void register_date_functions() {
  add_function("DATE", fn_date);
  add_function("TIME", fn_time);
  add_function("SECONDS", fn_seconds);
  add_function("DTOC", fn_dtoc);
  add_function("CTOD", fn_ctod);
  add_function("DTOS", fn_dtos);
  add_function("STOD", fn_stod);
  add_function("DAY", fn_day);
  add_function("MONTH", fn_month);
  add_function("YEAR", fn_year);
  add_function("DOW", fn_dow);
  add_function("CDOW", fn_cdow);
  add_function("CMONTH", fn_cmonth);
}

}  // namespace codfix::expr

#include "lib/settings/value_text.h"

#include "lib/core/date.h"
#include "lib/core/number_text.h"
#include "lib/core/routines.h"
#include "lib/core/runtime.h"
#include "lib/core/text_util.h"

namespace codfix {

std::string X_TO_C(const Value& v, std::string_view separator) {
  switch (v.type()) {
    case Type::Number: {
      std::string s(trim(number_text(v.num())));
      for (char& c : s)
        if (c == '.') c = ',';
      return s;
    }
    case Type::Logical:
      return v.logical() ? "Verdadeiro" : "Falso";
    case Type::Text: {
      if (!v.is_memo()) return v.text();
      std::string s = replace_all(v.text(), "\r\n", "\n");
      s = replace_all(s, "\x8D\n", "\n");
      s = "\"" + s + "\"";
      if (s.size() > 2) s = replace_all(s, "\"\"", "\"");
      return s;
    }
    case Type::Date:
      return date_to_text(v.as_date(), Runtime::current().settings.dates);
    case Type::Array: {
      std::string s;
      bool first = true;
      for (const Value& item : v.items()) {
        if (!first) s += separator;
        s += X_TO_C(item, separator);
        first = false;
      }
      return s;
    }
    case Type::Callback:
      return "{||}";
    case Type::Nil:
      return "Nil";
    case Type::Object:
      return v.object()->class_name();
    case Type::Hash: {
      std::string s;
      for (const auto& [key, value] : v.hash_ref()->entries)
        s += X_TO_C(key, separator) + " => " + X_TO_C(value, separator) + ", ";
      return s;
    }
  }
  return {};
}

Value CTOX(std::string_view text, char type) {
  std::string_view t = trim(text);
  switch (type) {
    case 'N':
    case 'n':
      return Value(parse_number(t));
    case 'L':
    case 'l': {
      std::string u(t);
      for (char& c : u)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
      return Value(u == ".T." || u == "T" || u == "TRUE");
    }
    case 'D':
    case 'd':
      return Value(text_to_date(t, Runtime::current().settings.dates));
    default:
      return Value(std::string(text));
  }
}

Value CTOA(std::string_view text, std::string_view separator) {
  std::vector<Value> items;
  for (const std::string& token : tokens(trim(text), separator))
    items.emplace_back(std::string(trim_right(token)));
  return Value::array(std::move(items));
}

void register_value_text_routines() {
  Routines& r = routines();
  r.add("X_TO_C", [](const Args& a) { return Value(X_TO_C(a[1], a.text(2, ", "))); });
  r.add("CTOX", [](const Args& a) {
    std::string type = a.text(2, "C");
    return CTOX(a.text(1), type.empty() ? 'C' : type[0]);
  });
  r.add("CTOA", [](const Args& a) { return CTOA(a.text(1), a.text(2, ";")); });
}

}  // namespace codfix

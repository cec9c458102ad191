#include "lib/core/value.h"

#include <cmath>

namespace codfix {
namespace {

int16_t default_width(double v) {
  return v >= -999999999.0 && v <= 9999999999.0 ? 10 : 20;
}

bool all_blank(const std::string& s) {
  for (char c : s)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
  return true;
}

}  // namespace

Number Value::integer_number(double v) {
  return Number{v, default_width(v), 0};
}

Value Value::number(double v, int decimals) {
  return Value(Number{v, default_width(v), static_cast<int16_t>(decimals)});
}

Value Value::array(std::size_t n) {
  return Value(std::make_shared<ArrayData>(n));
}

Value Value::array(std::vector<Value> items) {
  return Value(std::make_shared<ArrayData>(std::move(items)));
}

Value Value::hash() {
  return Value(std::make_shared<HashData>());
}

std::string Value::text_or(std::string_view def) const {
  return is_text() ? text() : std::string(def);
}
double Value::number_or(double def) const {
  return is_number() ? as_double() : def;
}
bool Value::logical_or(bool def) const {
  return is_logical() ? logical() : def;
}

char Value::type_letter() const {
  switch (type()) {
    case Type::Nil:
      return 'U';
    case Type::Text:
      return is_memo() ? 'M' : 'C';
    case Type::Number:
      return 'N';
    case Type::Date:
      return 'D';
    case Type::Logical:
      return 'L';
    case Type::Array:
      return 'A';
    case Type::Callback:
      return 'B';
    case Type::Object:
      return 'O';
    case Type::Hash:
      return 'H';
  }
  return 'U';
}

bool Value::empty() const {
  switch (type()) {
    case Type::Nil:
      return true;
    case Type::Text:
      return all_blank(text());
    case Type::Number:
      return as_double() == 0;
    case Type::Date:
      return as_date().empty();
    case Type::Logical:
      return !logical();
    case Type::Array:
      return items().empty();
    case Type::Hash:
      return hash_ref()->entries.empty();
    case Type::Callback:
    case Type::Object:
      return false;
  }
  return true;
}

Value Value::at(std::size_t i) const {
  if (!is_array() || i < 1 || i > items().size()) return Value();
  return items()[i - 1];
}

bool exactly_equal(const Value& a, const Value& b) {
  if (a.type() != b.type()) return false;
  switch (a.type()) {
    case Type::Nil:
      return true;
    case Type::Text:
      return a.text() == b.text();
    case Type::Number:
      return a.as_double() == b.as_double();
    case Type::Date:
      return a.as_date() == b.as_date();
    case Type::Logical:
      return a.logical() == b.logical();
    case Type::Array:
      return a.array_ref() == b.array_ref();
    case Type::Callback:
      return a.callback() == b.callback();
    case Type::Object:
      return a.object() == b.object();
    case Type::Hash:
      return a.hash_ref() == b.hash_ref();
  }
  return false;
}

Value* HashData::find(const Value& key) {
  for (auto& [k, v] : entries)
    if (exactly_equal(k, key)) return &v;
  return nullptr;
}

void HashData::set(const Value& key, Value v) {
  if (Value* slot = find(key)) {
    *slot = std::move(v);
  } else {
    entries.emplace_back(key, std::move(v));
  }
}

}  // namespace codfix

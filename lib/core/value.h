// Value: the dynamically typed value every routine passes and returns.
//
// Types: nil, text (code page 850 bytes, with a mark for text read from a memo
// field), number (a double with a display width and a count of decimals), date
// (a day number, 0 = the empty date), logical, array (1-based, mixed types, shared
// by reference), callback (a compiled function value), object and hash.
//
// Values are cheap to copy: arrays, callbacks, objects and hashes are shared
// references, as in the xBase languages.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace codfix {

class Value;

enum class Type : uint8_t { Nil, Text, Number, Date, Logical, Array, Callback, Object, Hash };

// A number as the language sees it: the value, plus the width of its integer part
// and its decimals, which together decide its default text form.
struct Number {
  double value = 0;
  int16_t width = 10;
  int16_t decimals = 0;
};

// A date as a day number (astronomical Julian Day Number); 0 is the empty date.
struct Date {
  int32_t day = 0;
  bool empty() const { return day == 0; }
  friend bool operator==(Date, Date) = default;
};

struct Text {
  std::string bytes;
  bool memo = false;  // came from a memo field (type letter M)
};

using ArrayData = std::vector<Value>;
using ArrayRef = std::shared_ptr<ArrayData>;

// A compiled function value (code block). Implementations live with the
// expression evaluator and with library code that builds callbacks in C++.
class Callable {
 public:
  virtual ~Callable() = default;
  virtual Value call(std::span<const Value> args) = 0;
  // Source text when the block was compiled from text ("{|x| x+1}"), else empty.
  virtual std::string source() const { return {}; }
};
using CallbackRef = std::shared_ptr<Callable>;

// An object with named properties (the error record, automation stand-ins).
class Object {
 public:
  virtual ~Object() = default;
  virtual std::string class_name() const = 0;
  // Reads a property; false when the object has none of that name.
  virtual bool get(std::string_view name, Value& out) const = 0;
  // Writes a property; false when the object has none of that name.
  virtual bool set(std::string_view name, const Value& v) = 0;
};
using ObjectRef = std::shared_ptr<Object>;

struct HashData;
using HashRef = std::shared_ptr<HashData>;

class Value {
 public:
  Value() = default;
  Value(std::nullptr_t) {}
  Value(bool b) : v_(b) {}
  Value(Number n) : v_(n) {}
  Value(Date d) : v_(d) {}
  Value(Text t) : v_(std::move(t)) {}
  Value(ArrayRef a) : v_(std::move(a)) {}
  Value(CallbackRef c) : v_(std::move(c)) {}
  Value(ObjectRef o) : v_(std::move(o)) {}
  Value(HashRef h) : v_(std::move(h)) {}
  // Text from C++ strings (code page 850 bytes).
  Value(std::string s) : v_(Text{std::move(s), false}) {}
  Value(std::string_view s) : v_(Text{std::string(s), false}) {}
  Value(const char* s) : v_(Text{std::string(s), false}) {}
  // Numbers: an int is an integer of the default width; a double keeps the
  // decimals given (see number()).
  Value(int n) : v_(integer_number(n)) {}
  Value(long n) : v_(integer_number(static_cast<double>(n))) {}
  Value(long long n) : v_(integer_number(static_cast<double>(n))) {}

  static Value number(double v, int decimals);
  static Value number(double v, int width, int decimals) {
    return Value(Number{v, static_cast<int16_t>(width), static_cast<int16_t>(decimals)});
  }
  static Value integer(double v) { return Value(integer_number(v)); }
  static Value memo(std::string s) { return Value(Text{std::move(s), true}); }
  static Value date(int32_t day) { return Value(Date{day}); }
  static Value array(std::size_t n = 0);
  static Value array(std::vector<Value> items);
  static Value hash();

  Type type() const { return static_cast<Type>(v_.index()); }
  bool is_nil() const { return type() == Type::Nil; }
  bool is_text() const { return type() == Type::Text; }
  bool is_number() const { return type() == Type::Number; }
  bool is_date() const { return type() == Type::Date; }
  bool is_logical() const { return type() == Type::Logical; }
  bool is_array() const { return type() == Type::Array; }
  bool is_callback() const { return type() == Type::Callback; }
  bool is_object() const { return type() == Type::Object; }
  bool is_hash() const { return type() == Type::Hash; }
  bool is_memo() const { return is_text() && std::get<Text>(v_).memo; }

  // Accessors; the caller checks the type first.
  const std::string& text() const { return std::get<Text>(v_).bytes; }
  std::string& text() { return std::get<Text>(v_).bytes; }
  const Number& num() const { return std::get<Number>(v_); }
  double as_double() const { return std::get<Number>(v_).value; }
  Date as_date() const { return std::get<Date>(v_); }
  bool logical() const { return std::get<bool>(v_); }
  const ArrayRef& array_ref() const { return std::get<ArrayRef>(v_); }
  ArrayData& items() const { return *std::get<ArrayRef>(v_); }
  const CallbackRef& callback() const { return std::get<CallbackRef>(v_); }
  const ObjectRef& object() const { return std::get<ObjectRef>(v_); }
  const HashRef& hash_ref() const { return std::get<HashRef>(v_); }

  // Lenient readers for optional arguments: the default when the type differs.
  std::string text_or(std::string_view def) const;
  double number_or(double def) const;
  bool logical_or(bool def) const;

  // The type letter: C N D L A B O H U, and M for memo text.
  char type_letter() const;

  // Nil, all-blank text, 0, the empty date, false, an empty array or hash.
  bool empty() const;

  // 1-based element access for arrays; nil outside the bounds.
  Value at(std::size_t i) const;

 private:
  static Number integer_number(double v);
  std::variant<std::monostate, Text, Number, Date, bool, ArrayRef, CallbackRef, ObjectRef, HashRef>
      v_;
};

// Hash: an insertion-ordered map from keys (text, number, date, logical) to values.
struct HashData {
  std::vector<std::pair<Value, Value>> entries;
  Value* find(const Value& key);
  void set(const Value& key, Value v);
};

// Identity of reference values and equality of scalar ones, as the `==` operator
// sees them (texts byte for byte, numbers by value, arrays by reference).
bool exactly_equal(const Value& a, const Value& b);

}  // namespace codfix

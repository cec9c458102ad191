// Where a form field's value lives: a name resolved at run time (a field of the
// current work area first, else a session variable; "ALIAS->FIELD" and
// "M->NAME" pick one explicitly), or a pair of C++ functions.
#pragma once

#include <functional>
#include <string>

#include "lib/core/value.h"

namespace codfix::dialogs {

class Binding {
 public:
  Binding() = default;
  static Binding named(std::string name);
  static Binding functions(std::function<Value()> get, std::function<void(const Value&)> set);

  Value get() const;
  void set(const Value& v) const;

 private:
  std::string name_;
  std::function<Value()> get_;
  std::function<void(const Value&)> set_;
};

}  // namespace codfix::dialogs

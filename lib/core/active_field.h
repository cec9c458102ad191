// The input field that has the focus in a form being read, as the settings
// routines (GETMEMO/PUTMEMO defaults) and the selection controls see it. The form
// reader registers its active field for the duration of the read with
// ActiveFieldScope; nullptr when no form is being read.
#pragma once

#include <string>

#include "lib/core/value.h"

namespace codfix {

class ActiveField {
 public:
  virtual ~ActiveField() = default;
  virtual std::string name() const = 0;         // the variable's name, as written
  virtual Value value() const = 0;              // the variable's current value
  virtual std::string edit_buffer() const = 0;  // the text being edited
  virtual void assign(const Value& v) = 0;      // sets the variable and the buffer
  virtual void redisplay() = 0;
};

ActiveField* active_field();

class ActiveFieldScope {
 public:
  explicit ActiveFieldScope(ActiveField* field);
  ~ActiveFieldScope();
  ActiveFieldScope(const ActiveFieldScope&) = delete;
  ActiveFieldScope& operator=(const ActiveFieldScope&) = delete;

 private:
  ActiveField* previous_;
};

}  // namespace codfix

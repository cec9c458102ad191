// Text expressions: compiled once, evaluated many times against the current work
// area and the session variables (index keys, conditions, templates, macros).
//
// Names resolve at run time: a field of the current work area first, else a
// session variable. Failures (a text that does not compile, a division by zero, an
// undefined name, a wrong argument type) go through the run-time error record and
// the installed handler; evaluation then yields the handler's substitute, or nil.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "lib/core/value.h"

namespace codfix::expr {

class Expression {
 public:
  virtual ~Expression() = default;
  virtual Value eval() const = 0;
  // Evaluates a text-valued expression into `out` (reusing its capacity), the
  // allocation-free path used for index keys. Returns false when the result is
  // not text (out then holds nothing useful).
  virtual bool eval_text(std::string& out) const = 0;
  virtual const std::string& source() const = 0;
};

using ExpressionPtr = std::shared_ptr<const Expression>;

// Compiles a text. A text that does not compile raises the syntax error (generic
// 7, subsystem BASE, subcode 1449, ARGS holding the text) and returns nullptr.
ExpressionPtr compile(std::string_view text);

// Compiles without raising: nullptr and the reason in `error` when it fails.
ExpressionPtr try_compile(std::string_view text, std::string* error = nullptr);

// Compiles and evaluates once (the & macro operator).
Value evaluate(std::string_view text);

// The result type of a text, as TYPE() gives it: a type letter, "U" for an
// undefined name (or alias), "UE" for a text that does not compile or fails while
// it runs, "UI" for an unknown function or an expression with side effects
// (assignments, ++/--, routines not marked pure), which is not evaluated. Errors
// while evaluating are not shown to the installed handler.
std::string type_of(std::string_view text);

// Registers the standard functions (SUBSTR, STR, DTOS, ...) in the routine
// registry. Idempotent; compile() makes sure it has run.
void register_standard_functions();

// Marks a registered routine as free of side effects, so that TYPE() may call it
// while it evaluates (the standard functions are marked already; RECNO, EOF and
// the like are marked by whoever registers them). Calls of other routines make
// TYPE() answer "UI" without evaluating.
void mark_pure(std::string_view name);

}  // namespace codfix::expr

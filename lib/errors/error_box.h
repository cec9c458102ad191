// What the error handler says about an error and which answers it offers: the
// classification of the record (first matching case wins), the operating-system
// text with its hint and the file's attributes, the extra hint, and the default
// buttons. Message lines are separated by ';' (code page 850).
//
// Callers must have put FILENAME in its final form first (normalise_filename).
// The call stack is read as the handler sees it: level 0 the handler, level 1 its
// callback, outward from there the routines that led to the error.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "lib/core/error.h"

namespace codfix {

struct ErrorBox {
  std::string message;  // without the DOS error line the box adds
  std::vector<std::string> buttons;
  // Open failure for lack of file handles: the operator is asked first whether
  // to configure the system (which ends the program).
  bool ask_configure = false;
};

// Step by step as the handler builds it. May set CANDEFAULT false (no index
// order: no "Default" answer).
ErrorBox compose_error_box(ErrorRecord& e);

// The text the alert box shows: the message, and ";(Erro do DOS n)" when the
// record has an OS code.
std::string box_text(const ErrorBox& box, const ErrorRecord& e);

// FILENAME upper-cased and, unless it names a MEM: file, made a full path.
void normalise_filename(ErrorRecord& e);

}  // namespace codfix

// The diagnostic report the error handler writes to ERRO.LOG for every error it
// shows: the session, the system, every field of the error record, the session's
// settings, the chain of routines and the open tables with their orders. Lines
// are separated by CR LF (code page 850).
//
// The call stack is read as the handler sees it: level 0 the handler, level 1 its
// callback; the chain starts at level 2.
#pragma once

#include <string>

#include "lib/core/error.h"

namespace codfix {

std::string error_report(const ErrorRecord& e);

// The last failure of an automation (OLE) call, which the report shows when the
// failing operation was one; the automation layer fills it.
struct AutomationError {
  std::string text;
  int code = 0;
};
AutomationError& last_automation_error();

}  // namespace codfix

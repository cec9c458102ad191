// Turning a Failure into a run-time error: the error record (subsystem = the
// table's driver, description = the generic code's standard text) handed to the
// installed handler, and the retry loop around operations that may be retried.
#pragma once

#include <string>

#include "lib/core/error.h"
#include "platform/dbf/failure.h"

namespace codfix::dbf {

struct RaiseFlags {
  bool can_retry = false;
  bool can_default = true;
};

ErrorRecord error_record(const Failure& f, const std::string& subsystem, RaiseFlags flags);

// Hands the failure to the handler (unless it was reported already) and returns
// the answer.
ErrorAnswer raise_failure(const Failure& f, const std::string& subsystem, RaiseFlags flags = {});

// Runs `attempt` (returning a Failure) until it succeeds or the handler does not
// ask to retry; false when it never succeeded.
template <class Attempt>
bool with_retry(const std::string& subsystem, RaiseFlags flags, Attempt&& attempt) {
  ErrorRecord record;
  bool first = true;
  for (;;) {
    Failure f = attempt();
    if (!f) return true;
    if (f.reported) return false;
    ErrorRecord fresh = error_record(f, subsystem, flags);
    if (!first) fresh.tries = record.tries;
    record = fresh;
    first = false;
    if (raise_error(record).action != ErrorAction::Retry) return false;
  }
}

}  // namespace codfix::dbf

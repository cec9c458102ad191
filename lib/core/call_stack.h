// The call stack of library routines: per active routine its name, its source
// unit and its current line, enough to print the chains of callers that the error
// report, the interrupt handler and the audit logs show.
#pragma once

#include <string>
#include <vector>

namespace codfix {

struct CallFrame {
  std::string routine;  // upper case, as callers know it
  std::string unit;     // source unit, e.g. "CODFIX.PRG"
  int line = 0;
};

class CallStack {
 public:
  void push(std::string routine, std::string unit, int line = 0);
  void pop();
  void set_line(int line);
  // Level 0 is the innermost routine.
  const CallFrame* level(std::size_t n) const;
  std::size_t depth() const { return frames_.size(); }
  // The routine texts from level `from` outward (see routine_text).
  std::vector<std::string> chain(std::size_t from) const;
  void clear() { frames_.clear(); }

 private:
  std::vector<CallFrame> frames_;
};

// "ROUTINE(line)" when the routine's name (with "(b)" removed) occurs in its unit's
// name, else "UNIT->ROUTINE(line)" with an upper-case source extension removed.
std::string routine_text(const CallFrame& f);

}  // namespace codfix

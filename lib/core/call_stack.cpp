#include "lib/core/call_stack.h"

namespace codfix {

void CallStack::push(std::string routine, std::string unit, int line) {
  frames_.push_back(CallFrame{std::move(routine), std::move(unit), line});
}

void CallStack::pop() {
  if (!frames_.empty()) frames_.pop_back();
}

void CallStack::set_line(int line) {
  if (!frames_.empty()) frames_.back().line = line;
}

const CallFrame* CallStack::level(std::size_t n) const {
  if (n >= frames_.size()) return nullptr;
  return &frames_[frames_.size() - 1 - n];
}

std::vector<std::string> CallStack::chain(std::size_t from) const {
  std::vector<std::string> out;
  for (std::size_t n = from; n < frames_.size(); ++n) out.push_back(routine_text(*level(n)));
  return out;
}

std::string routine_text(const CallFrame& f) {
  std::string name = f.routine;
  for (std::size_t p; (p = name.find("(b)")) != std::string::npos;) name.erase(p, 3);
  std::string text;
  if (!f.unit.empty() && f.unit.find(name) != std::string::npos) {
    text = f.routine;
  } else {
    std::string unit = f.unit;
    std::size_t dot = unit.rfind('.');
    if (dot != std::string::npos) {
      std::string ext = unit.substr(dot + 1);
      bool upper = !ext.empty();
      for (char c : ext)
        if (c >= 'a' && c <= 'z') upper = false;
      if (upper) unit.erase(dot);
    }
    text = unit + "->" + f.routine;
  }
  return text + "(" + std::to_string(f.line) + ")";
}

}  // namespace codfix

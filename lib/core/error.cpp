#include "lib/core/error.h"

#include <cstdio>

#include "lib/core/error_texts.h"
#include "lib/core/names.h"
#include "lib/core/runtime.h"

namespace codfix {

bool ErrorRecord::get(std::string_view name, Value& out) const {
  std::string n = upper_name(name);
  if (n == "GENCODE")
    out = Value(gencode);
  else if (n == "SUBSYSTEM")
    out = Value(subsystem);
  else if (n == "SUBCODE")
    out = Value(subcode);
  else if (n == "DESCRIPTION")
    out = Value(description);
  else if (n == "OPERATION")
    out = Value(operation);
  else if (n == "FILENAME")
    out = Value(filename);
  else if (n == "OSCODE")
    out = Value(oscode);
  else if (n == "ARGS")
    out = Value::array(args);
  else if (n == "CANDEFAULT")
    out = Value(can_default);
  else if (n == "CANRETRY")
    out = Value(can_retry);
  else if (n == "CANSUBSTITUTE")
    out = Value(can_substitute);
  else if (n == "CARGO")
    out = cargo;
  else if (n == "SEVERITY")
    out = Value(severity);
  else if (n == "TRIES")
    out = Value(tries);
  else
    return false;
  return true;
}

bool ErrorRecord::set(std::string_view name, const Value& v) {
  std::string n = upper_name(name);
  auto num = [&](int& field) { field = static_cast<int>(v.number_or(field)); };
  auto txt = [&](std::string& field) { field = v.text_or(field); };
  auto log = [&](bool& field) { field = v.logical_or(field); };
  if (n == "GENCODE")
    num(gencode);
  else if (n == "SUBSYSTEM")
    txt(subsystem);
  else if (n == "SUBCODE")
    num(subcode);
  else if (n == "DESCRIPTION")
    txt(description);
  else if (n == "OPERATION")
    txt(operation);
  else if (n == "FILENAME")
    txt(filename);
  else if (n == "OSCODE")
    num(oscode);
  else if (n == "ARGS")
    args = v.is_array() ? v.items() : std::vector<Value>{};
  else if (n == "CANDEFAULT")
    log(can_default);
  else if (n == "CANRETRY")
    log(can_retry);
  else if (n == "CANSUBSTITUTE")
    log(can_substitute);
  else if (n == "CARGO")
    cargo = v;
  else if (n == "SEVERITY")
    num(severity);
  else if (n == "TRIES")
    num(tries);
  else
    return false;
  return true;
}

ErrorAnswer raise_error(ErrorRecord& e) {
  Runtime& rt = Runtime::current();
  localise_description(e);
  ErrorAnswer answer = rt.error_handler ? rt.error_handler(e) : default_error_handler(e);
  switch (answer.action) {
    case ErrorAction::Retry:
      if (!e.can_retry && !e.can_default) {
        // An operation that can neither retry nor default still gives up quietly.
        return ErrorAnswer::fail();
      }
      ++e.tries;
      return answer;
    case ErrorAction::Substitute:
      if (!e.can_substitute) return ErrorAnswer::fail();
      return answer;
    case ErrorAction::Default:
      return answer;
  }
  return answer;
}

std::string error_one_line(const ErrorRecord& e) {
  std::string s = e.severity > 1 ? "Error " : "Warning ";
  s += e.subsystem.empty() ? std::string("???") : e.subsystem;
  s += "/" + std::to_string(e.subcode);
  if (!e.description.empty()) s += "  " + e.description;
  if (!e.filename.empty()) {
    s += ": " + e.filename;
  } else if (!e.operation.empty()) {
    s += ": " + e.operation;
  }
  return s;
}

ErrorAnswer default_error_handler(ErrorRecord& e) {
  std::string out = "\r\n" + error_one_line(e);
  if (e.oscode != 0) out += " (DOS Error " + std::to_string(e.oscode) + ")";
  for (const std::string& level : Runtime::current().calls.chain(0))
    out += "\r\nCalled from " + level;
  out += "\r\n";
  std::fwrite(out.data(), 1, out.size(), stderr);
  std::fflush(stderr);
  quit_program(1);
}

void quit_program(int code) {
  throw ProgramExit{code};
}

}  // namespace codfix

#include "lib/errors/error_message.h"

#include "lib/core/text_util.h"
#include "lib/settings/value_text.h"

namespace codfix {
namespace {

Value property(const Object& o, std::string_view name) {
  Value v;
  if (!o.get(name, v)) return Value();
  return v;
}

}  // namespace

std::string ERRORMESSAGE(const Object& error) {
  Value severity = property(error, "SEVERITY");
  Value subsystem = property(error, "SUBSYSTEM");
  Value subcode = property(error, "SUBCODE");
  Value description = property(error, "DESCRIPTION");
  Value filename = property(error, "FILENAME");
  Value operation = property(error, "OPERATION");

  std::string s = severity.number_or(0) > 1 ? "Error " : "Warning ";
  s += subsystem.is_text() ? subsystem.text() : std::string("???");
  s += subcode.is_number() ? "/" + X_TO_C(subcode) : std::string("/???");
  if (description.is_text()) s += "  " + description.text();
  if (!filename.empty()) {
    s += ": " + X_TO_C(filename);
  } else if (!operation.empty()) {
    s += ": " + X_TO_C(operation);
  }
  return replace_all(s, "dato", "dado");
}

}  // namespace codfix

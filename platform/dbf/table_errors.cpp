#include "platform/dbf/table_errors.h"

namespace codfix::dbf {

ErrorRecord error_record(const Failure& f, const std::string& subsystem, RaiseFlags flags) {
  ErrorRecord e;
  e.gencode = f.gencode;
  e.subsystem = subsystem.empty() ? "DBFNTX" : subsystem;
  e.subcode = f.subcode;
  e.description = describe_gencode(f.gencode);
  e.operation = f.operation;
  // A create error names the path being created as its operation (the error
  // handler offers to create a missing folder from it).
  if (f.gencode == gen::kCreate && e.operation.empty()) e.operation = f.filename;
  e.filename = f.filename;
  e.oscode = f.oscode;
  e.can_retry = flags.can_retry;
  e.can_default = flags.can_default;
  if (!f.detail.empty()) e.cargo = Value(f.detail);
  return e;
}

ErrorAnswer raise_failure(const Failure& f, const std::string& subsystem, RaiseFlags flags) {
  if (!f || f.reported) return ErrorAnswer::fail();
  ErrorRecord e = error_record(f, subsystem, flags);
  return raise_error(e);
}

}  // namespace codfix::dbf

#include "platform/dbf/failure.h"

namespace codfix::dbf {

const char* describe_gencode(int gencode) {
  switch (gencode) {
    case gen::kCreate:
      return "Create error";
    case gen::kOpen:
      return "Open error";
    case gen::kClose:
      return "Close error";
    case gen::kRead:
      return "Read error";
    case gen::kWrite:
      return "Write error";
    case gen::kCorruption:
      return "Corruption detected";
    case gen::kDataType:
      return "Data type error";
    case gen::kDataWidth:
      return "Data width error";
    case gen::kNoTable:
      return "Workarea not in use";
    case gen::kNoOrder:
      return "Not indexed";
    case gen::kShared:
      return "Exclusive required";
    case gen::kUnlocked:
      return "Lock required";
    case gen::kReadOnly:
      return "Write not allowed";
    case gen::kAppendLock:
      return "Append lock failed";
    case gen::kLock:
      return "Lock failure";
    case gen::kArgument:
      return "Argument error";
    default:
      return "Error";
  }
}

}  // namespace codfix::dbf

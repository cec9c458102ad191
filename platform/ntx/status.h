// Status and Result<T> of the NTX library: the ones shared by the index libraries
// (platform/indexing/status.h). Nothing in this library throws or raises run-time
// errors; the table engine turns a failed status into its error record.
#pragma once

#include "platform/indexing/status.h"

namespace codfix::ntx {

using indexing::Code;
using indexing::code_name;
using indexing::Result;
using indexing::Status;

}  // namespace codfix::ntx

// Returns the status of `expr` from the enclosing function when it failed.
#define NTX_TRY(expr) INDEX_TRY(expr)

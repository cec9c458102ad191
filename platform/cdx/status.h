// Status and Result<T> of the CDX library: the ones shared by the index libraries
// (platform/indexing/status.h). Nothing in this library throws or raises run-time
// errors; the table engine turns a failed status into its error record (a damaged
// file is kCorrupt, which it reports as generic code 32).
#pragma once

#include "platform/indexing/status.h"

namespace codfix::cdx {

using indexing::Code;
using indexing::code_name;
using indexing::Result;
using indexing::Status;

}  // namespace codfix::cdx

// Returns the status of `expr` from the enclosing function when it failed.
#define CDX_TRY(expr) INDEX_TRY(expr)

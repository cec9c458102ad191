// PageFile: the file underneath an index (platform/indexing/page_file.h). The NTX
// index lock is one byte at kLockOffset (header.h).
#pragma once

#include <memory>
#include <string>

#include "platform/indexing/page_file.h"
#include "platform/ntx/status.h"

namespace codfix::ntx {

using indexing::FileOptions;
using indexing::LockMode;
using indexing::PageFile;

// Opens or creates an index file through platform/filelock (a library path,
// resolved ignoring case, or a MEM: name). Failures: kOpenError / kCreateError with
// the OS error; a file in use elsewhere in a conflicting mode is refused.
Result<std::unique_ptr<PageFile>> open_page_file(const std::string& path, FileOptions options);

}  // namespace codfix::ntx

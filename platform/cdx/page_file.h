// PageFile: the file underneath a compound index (platform/indexing/page_file.h).
// The CDX index lock is one byte at kLockOffset (layout.h).
#pragma once

#include <memory>
#include <string>

#include "platform/cdx/status.h"
#include "platform/filelock/handle.h"
#include "platform/indexing/page_file.h"

namespace codfix::cdx {

using indexing::FileOptions;
using indexing::LockMode;
using indexing::PageFile;

// Opens or creates a compound index file through platform/filelock (a library
// path, resolved ignoring case, or a MEM: name). Failures: kOpenError /
// kCreateError with the OS error; a file in use elsewhere in a conflicting mode is
// refused.
Result<std::unique_ptr<PageFile>> open_page_file(const std::string& path, FileOptions options);

// Takes over `handle` (open, for writing when the index will be updated). The file
// is shared when the handle's share mode is shared.
std::unique_ptr<PageFile> make_page_file(filelock::Handle handle);

}  // namespace codfix::cdx

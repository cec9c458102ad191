// The PageFile of an NTX file opened through platform/filelock
// (platform/indexing/handle_page_file.h), with the index lock at kLockOffset.
#pragma once

#include <memory>

#include "platform/filelock/handle.h"
#include "platform/ntx/page_file.h"

namespace codfix::ntx {

// Takes over `handle` (open, for writing when the index will be updated). The file
// is shared when the handle's share mode is shared.
std::unique_ptr<PageFile> make_page_file(filelock::Handle handle);

}  // namespace codfix::ntx

// The PageFile of an index file opened through platform/filelock (the process-wide
// open-file table: one descriptor per file, share modes, the engine's table of
// held lock ranges). The index lock is an OFD byte lock at kLockOffset taken
// through the handle, so two handles of one process conflict like two processes.
#pragma once

#include <memory>

#include "platform/filelock/handle.h"
#include "platform/ntx/page_file.h"

namespace codfix::ntx {

// Takes over `handle` (open, for writing when the index will be updated). The file
// is shared when the handle's share mode is shared.
std::unique_ptr<PageFile> make_page_file(filelock::Handle handle);

}  // namespace codfix::ntx

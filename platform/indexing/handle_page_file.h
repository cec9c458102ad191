// The PageFile of an index file opened through platform/filelock (the process-wide
// open-file table: one descriptor per file, share modes, the engine's table of
// held lock ranges). The index lock is an OFD byte lock of one byte at the offset
// the format uses, taken through the handle, so two handles of one process
// conflict like two processes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/filelock/handle.h"
#include "platform/indexing/page_file.h"

namespace codfix::indexing {

// Takes over `handle` (open, for writing when the index will be updated). The file
// is shared when the handle's share mode is shared. `lock_offset` is the byte the
// index lock covers.
std::unique_ptr<PageFile> make_page_file(filelock::Handle handle, uint64_t lock_offset);

// Opens or creates an index file (a library path, resolved ignoring case, or a MEM:
// name). Failures: kOpenError / kCreateError with the OS error; a file in use
// elsewhere in a conflicting mode is refused.
Result<std::unique_ptr<PageFile>> open_page_file(const std::string& path, FileOptions options,
                                                 uint64_t lock_offset);

}  // namespace codfix::indexing

// The system calls behind the share modes and byte-range locks: flock() for the
// whole file and open-file-description (OFD) fcntl locks for ranges. Both retry on
// EINTR. Internal to platform/filelock.
#pragma once

#include <cstdint>

#include "platform/filelock/range_table.h"
#include "platform/fs/result.h"

namespace codfix::filelock {

// The share-mode emulation byte other POSIX builds of the classic tools lock.
inline constexpr uint64_t kShareByte = 0x7FFFFFFF;

// Non-blocking flock(); a conflict is DOS 32.
fs::Status flock_share(int fd, bool exclusive);
// Sets an OFD lock level over a range; a conflict is DOS 33. `wait` blocks until
// other processes let go.
fs::Status ofd_set(int fd, uint64_t offset, uint64_t length, Level level, bool wait);

}  // namespace codfix::filelock

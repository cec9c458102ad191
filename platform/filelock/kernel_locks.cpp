#include "platform/filelock/kernel_locks.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>

#include "platform/fs/errors.h"

namespace codfix::filelock {

fs::Status flock_share(int fd, bool exclusive) {
  int op = (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
  for (;;) {
    if (::flock(fd, op) == 0) return {};
    if (errno == EINTR) continue;
    if (errno == EWOULDBLOCK) return fs::Error{fs::dos::kSharingViolation, errno};
    return fs::error_from_errno(errno, fs::ErrnoContext::kShare);
  }
}

fs::Status ofd_set(int fd, uint64_t offset, uint64_t length, Level level, bool wait) {
  struct flock fl {};
  fl.l_type = level == Level::kNone ? F_UNLCK : level == Level::kRead ? F_RDLCK : F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(offset);
  fl.l_len = static_cast<off_t>(length);
  fl.l_pid = 0;
  for (;;) {
    if (::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl) == 0) return {};
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EACCES) return fs::Error{fs::dos::kLockViolation, errno};
    return fs::error_from_errno(errno, fs::ErrnoContext::kLock);
  }
}

}  // namespace codfix::filelock

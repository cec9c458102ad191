#include "platform/fs/errors.h"

#include <cerrno>
#include <cstring>

namespace codfix::fs {

int dos_error_from_errno(int err, ErrnoContext context) {
  if (err == 0) return dos::kNone;
  if (context == ErrnoContext::kLock &&
      (err == EACCES || err == EAGAIN || err == EWOULDBLOCK || err == EDEADLK)) {
    return dos::kLockViolation;
  }
  if (context == ErrnoContext::kShare && (err == EWOULDBLOCK || err == EAGAIN)) {
    return dos::kSharingViolation;
  }
  switch (err) {
    case ENOENT:
      return context == ErrnoContext::kFolder ? dos::kPathNotFound : dos::kFileNotFound;
    case ENOTDIR:
    case ELOOP:
      return dos::kPathNotFound;
    case EMFILE:
    case ENFILE:
      return dos::kTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EISDIR:
      return dos::kAccessDenied;
    case EROFS:
      return dos::kWriteProtect;
    case EBADF:
      return dos::kInvalidHandle;
    case ENOMEM:
      return dos::kNotEnoughMemory;
    case EXDEV:
      return dos::kNotSameDevice;
    case EBUSY:
    case ETXTBSY:
      return dos::kSharingViolation;
    case EEXIST:
      return dos::kFileExists;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return dos::kDiskFull;
    case ENOTEMPTY:
      return dos::kDirNotEmpty;
    case ENAMETOOLONG:
      return dos::kFilenameTooLong;
    case EINVAL:
      return dos::kInvalidParameter;
    case EIO:
      if (context == ErrnoContext::kRead) return dos::kReadFault;
      if (context == ErrnoContext::kWrite) return dos::kWriteFault;
      return dos::kGeneralFailure;
    default:
      return dos::kGeneralFailure;
  }
}

Error error_from_errno(int err, ErrnoContext context) {
  return Error{dos_error_from_errno(err, context), err};
}

std::string Error::message() const {
  std::string text = "DOS error " + std::to_string(dos);
  if (os != 0) {
    text += ": ";
    text += std::strerror(os);
  }
  return text;
}

}  // namespace codfix::fs

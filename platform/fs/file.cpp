#include "platform/fs/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/fs/resolve.h"

namespace codfix::fs {

namespace {

int access_flags(Access access) {
  switch (access) {
    case Access::kRead:
      return O_RDONLY;
    case Access::kWrite:
      return O_WRONLY;
    case Access::kReadWrite:
      return O_RDWR;
  }
  return O_RDONLY;
}

Error not_open() {
  return Error{dos::kInvalidHandle, EBADF};
}

}  // namespace

File::~File() {
  if (fd_ >= 0) ::close(fd_);
}

File::File(File&& other) noexcept
    : fd_(other.fd_), path_(std::move(other.path_)), access_(other.access_), share_(other.share_) {
  other.fd_ = -1;
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.fd_;
    path_ = std::move(other.path_);
    access_ = other.access_;
    share_ = other.share_;
    other.fd_ = -1;
  }
  return *this;
}

Result<File> File::open_flags(std::string_view path, int flags, Access access, Share share) {
  ResolvedPath resolved = resolve(path);
  if ((flags & O_EXCL) != 0 && resolved.exists) return error_from_errno(EEXIST);
  int fd;
  do {
    fd = ::open(resolved.path.c_str(), flags | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return path_error(errno, resolved);
  struct stat st;
  if (fstat(fd, &st) != 0) {
    int err = errno;
    ::close(fd);
    return error_from_errno(err);
  }
  if (S_ISDIR(st.st_mode)) {
    ::close(fd);
    return error_from_errno(EISDIR);
  }
  return File(fd, std::move(resolved.path), access, share);
}

Result<File> File::open(std::string_view path, Access access, Share share) {
  return open_flags(path, access_flags(access), access, share);
}

Result<File> File::create(std::string_view path, Share share) {
  return open_flags(path, O_RDWR | O_CREAT | O_TRUNC, Access::kReadWrite, share);
}

Result<File> File::create_new(std::string_view path, Share share) {
  return open_flags(path, O_RDWR | O_CREAT | O_EXCL, Access::kReadWrite, share);
}

Result<size_t> File::read(void* buffer, size_t count) {
  if (fd_ < 0) return not_open();
  auto* out = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < count) {
    ssize_t n = ::read(fd_, out + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return error_from_errno(errno, ErrnoContext::kRead);
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

Status File::write(const void* data, size_t count) {
  if (fd_ < 0) return not_open();
  const auto* in = static_cast<const char*>(data);
  size_t done = 0;
  while (done < count) {
    ssize_t n = ::write(fd_, in + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return error_from_errno(errno, ErrnoContext::kWrite);
    if (n == 0) return error_from_errno(ENOSPC, ErrnoContext::kWrite);
    done += static_cast<size_t>(n);
  }
  return {};
}

Result<std::uint64_t> File::seek(std::int64_t offset, Whence whence) {
  if (fd_ < 0) return not_open();
  int how =
      whence == Whence::kBegin ? SEEK_SET : (whence == Whence::kCurrent ? SEEK_CUR : SEEK_END);
  off_t at = ::lseek(fd_, static_cast<off_t>(offset), how);
  if (at < 0) return error_from_errno(errno);
  return static_cast<std::uint64_t>(at);
}

Result<size_t> File::read_at(std::uint64_t offset, void* buffer, size_t count) const {
  if (fd_ < 0) return not_open();
  auto* out = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < count) {
    ssize_t n = ::pread(fd_, out + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return error_from_errno(errno, ErrnoContext::kRead);
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

Status File::write_at(std::uint64_t offset, const void* data, size_t count) {
  if (fd_ < 0) return not_open();
  const auto* in = static_cast<const char*>(data);
  size_t done = 0;
  while (done < count) {
    ssize_t n = ::pwrite(fd_, in + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return error_from_errno(errno, ErrnoContext::kWrite);
    if (n == 0) return error_from_errno(ENOSPC, ErrnoContext::kWrite);
    done += static_cast<size_t>(n);
  }
  return {};
}

Result<std::uint64_t> File::size() const {
  if (fd_ < 0) return not_open();
  struct stat st;
  if (fstat(fd_, &st) != 0) return error_from_errno(errno);
  return static_cast<std::uint64_t>(st.st_size);
}

Status File::truncate(std::uint64_t size) {
  if (fd_ < 0) return not_open();
  int rc;
  do {
    rc = ::ftruncate(fd_, static_cast<off_t>(size));
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) return error_from_errno(errno, ErrnoContext::kWrite);
  return {};
}

void File::start_writeback(std::uint64_t offset, std::uint64_t count) const {
  if (fd_ >= 0) fs::start_writeback(fd_, offset, count);
}

void start_writeback(int fd, std::uint64_t offset, std::uint64_t count) {
#if defined(__linux__)
  // Only a hint: a failure leaves the data to the later sync.
  (void)::sync_file_range(fd, static_cast<off_t>(offset), static_cast<off_t>(count),
                          SYNC_FILE_RANGE_WRITE);
#else
  (void)fd;
  (void)offset;
  (void)count;
#endif
}

Status File::sync() {
  if (fd_ < 0) return not_open();
  if (::fsync(fd_) != 0) return error_from_errno(errno, ErrnoContext::kWrite);
  return {};
}

Status File::close() {
  if (fd_ < 0) return {};
  int fd = fd_;
  fd_ = -1;
  // The descriptor is released even when close reports an error; retrying could
  // close a descriptor another thread has just been given.
  if (::close(fd) != 0 && errno != EINTR) return error_from_errno(errno, ErrnoContext::kWrite);
  return {};
}

}  // namespace codfix::fs

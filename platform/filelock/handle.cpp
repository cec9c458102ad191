#include "platform/filelock/handle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

#include "platform/filelock/kernel_locks.h"
#include "platform/filelock/memory_space.h"
#include "platform/filelock/open_files.h"
#include "platform/fs/errors.h"
#include "platform/fs/file.h"
#include "platform/fs/resolve.h"

namespace codfix::filelock {

namespace {

// Guards the table of open files and the use counts; each entry's own mutex
// guards its ranges. Order: this one first.
std::mutex& registry_mutex() {
  static std::mutex mu;
  return mu;
}

fs::Error sharing_violation() {
  return fs::Error{fs::dos::kSharingViolation, 0};
}

void close_fd(int fd) {
  if (fd >= 0) ::close(fd);  // nothing to report: the descriptor's data is already written
}

// Takes the share mode on a fresh descriptor: flock, then the emulation byte.
fs::Status take_share(int fd, bool exclusive, bool writable) {
  fs::Status st = flock_share(fd, exclusive);
  if (!st) return st;
  Level level = exclusive && writable ? Level::kWrite : Level::kRead;
  st = ofd_set(fd, kShareByte, 1, level, false);
  if (!st) return st.dos_error() == fs::dos::kLockViolation ? fs::Status(sharing_violation()) : st;
  return {};
}

int open_flags(bool write) {
  return (write ? O_RDWR : O_RDONLY) | O_CLOEXEC;
}

// Cuts the file to `size` bytes. A file that already has that length is left
// alone: some file systems (ext4) take a file cut to nothing for one being
// replaced, and force what is then written to it to the disk when it is closed.
fs::Status cut_file(int fd, uint64_t size) {
  struct stat st;
  if (::fstat(fd, &st) == 0 && static_cast<uint64_t>(st.st_size) == size) return {};
  for (;;) {
    if (::ftruncate(fd, static_cast<off_t>(size)) == 0) return {};
    if (errno != EINTR) return fs::error_from_errno(errno, fs::ErrnoContext::kWrite);
  }
}

}  // namespace

Handle::~Handle() {
  close();
}

Handle::Handle(Handle&& other) noexcept
    : file_(std::move(other.file_)),
      fd_(std::exchange(other.fd_, -1)),
      owner_(std::exchange(other.owner_, 0)),
      writable_(other.writable_),
      share_(other.share_),
      write_behind_(other.write_behind_) {}

Handle& Handle::operator=(Handle&& other) noexcept {
  if (this != &other) {
    close();
    file_ = std::move(other.file_);
    fd_ = std::exchange(other.fd_, -1);
    owner_ = std::exchange(other.owner_, 0);
    writable_ = other.writable_;
    share_ = other.share_;
    write_behind_ = other.write_behind_;
  }
  return *this;
}

bool Handle::is_memory() const {
  return file_ && file_->memory != nullptr;
}

const std::string& Handle::path() const {
  static const std::string none;
  return file_ ? file_->path : none;
}

fs::Result<Handle> Handle::open(std::string_view path, bool write, Share share) {
  const bool exclusive = share == Share::kExclusive;
  Handle h;
  h.owner_ = next_owner_id();
  h.writable_ = write;
  h.share_ = share;
  std::lock_guard registry(registry_mutex());

  if (is_memory_name(path)) {
    std::shared_ptr<MemoryFile> mem = MemorySpace::instance().find(path);
    if (!mem) return fs::Error{fs::dos::kFileNotFound, 0};
    std::shared_ptr<OpenFile> file = mem->open.lock();
    if (file) {
      std::lock_guard lock(file->mu);
      if (file->exclusive || exclusive) return sharing_violation();
      ++file->users;
    } else {
      file = std::make_shared<OpenFile>();
      file->memory = mem;
      file->path = mem->name;
      file->users = 1;
      file->exclusive = exclusive;
      mem->open = file;
    }
    h.file_ = std::move(file);
    return h;
  }

  fs::ResolvedPath resolved = fs::resolve(path);
  if (!resolved.exists) return fs::path_error(ENOENT, resolved);
  struct stat st;
  if (::stat(resolved.path.c_str(), &st) != 0) return fs::path_error(errno, resolved);
  if (S_ISDIR(st.st_mode)) return fs::Error{fs::dos::kAccessDenied, EISDIR};

  if (std::shared_ptr<OpenFile> file = find_open_file(st.st_dev, st.st_ino)) {
    std::lock_guard lock(file->mu);
    if (file->exclusive || exclusive) return sharing_violation();
    if (write && file->write_fd < 0) {
      int fd = ::open(file->path.c_str(), open_flags(true));
      if (fd < 0) return fs::error_from_errno(errno);
      fs::Status taken = take_share(fd, false, true);
      if (!taken) {
        close_fd(fd);
        return taken.error();
      }
      // The read-only descriptor stays open while its users hold locks on it.
      file->write_fd = fd;
    }
    h.fd_ = file->write_fd >= 0 ? file->write_fd : file->read_fd;
    ++file->users;
    h.file_ = std::move(file);
    return h;
  }

  int fd = ::open(resolved.path.c_str(), open_flags(write));
  if (fd < 0) return fs::path_error(errno, resolved);
  fs::Status taken = take_share(fd, exclusive, write);
  if (!taken) {
    close_fd(fd);
    return taken.error();
  }
  if (::fstat(fd, &st) != 0) {
    int err = errno;
    close_fd(fd);
    return fs::error_from_errno(err);
  }
  auto file = std::make_shared<OpenFile>();
  file->dev = st.st_dev;
  file->ino = st.st_ino;
  file->path = resolved.path;
  (write ? file->write_fd : file->read_fd) = fd;
  file->users = 1;
  file->exclusive = exclusive;
  register_open_file(file);
  h.fd_ = fd;
  h.file_ = std::move(file);
  return h;
}

fs::Result<Handle> Handle::create(std::string_view path) {
  return create_file(path, false);
}

fs::Result<Handle> Handle::create_over(std::string_view path) {
  return create_file(path, true);
}

fs::Result<Handle> Handle::create_file(std::string_view path, bool keep_bytes) {
  Handle h;
  h.owner_ = next_owner_id();
  h.writable_ = true;
  h.share_ = Share::kExclusive;
  std::lock_guard registry(registry_mutex());

  if (is_memory_name(path)) {
    fs::Result<std::shared_ptr<MemoryFile>> mem = MemorySpace::instance().create(path);
    if (!mem) return mem.error();
    auto file = std::make_shared<OpenFile>();
    file->memory = *mem;
    file->path = (*mem)->name;
    file->users = 1;
    file->exclusive = true;
    (*mem)->open = file;
    h.file_ = std::move(file);
    return h;
  }

  fs::ResolvedPath resolved = fs::resolve(path);
  struct stat st;
  if (resolved.exists && ::stat(resolved.path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return fs::Error{fs::dos::kAccessDenied, EISDIR};
    if (find_open_file(st.st_dev, st.st_ino)) return sharing_violation();
  }
  int fd = ::open(resolved.path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return fs::path_error(errno, resolved);
  fs::Status taken = take_share(fd, true, true);
  if (!taken) {
    close_fd(fd);
    return taken.error();
  }
  if (::fstat(fd, &st) != 0) {
    int err = errno;
    close_fd(fd);
    return fs::error_from_errno(err, fs::ErrnoContext::kWrite);
  }
  if (!keep_bytes) {
    if (fs::Status cut = cut_file(fd, 0); !cut) {
      close_fd(fd);
      return cut.error();
    }
  }
  auto file = std::make_shared<OpenFile>();
  file->dev = st.st_dev;
  file->ino = st.st_ino;
  file->path = resolved.path;
  file->write_fd = fd;
  file->users = 1;
  file->exclusive = true;
  register_open_file(file);
  h.fd_ = fd;
  h.file_ = std::move(file);
  return h;
}

void Handle::close() {
  if (!file_) return;
  std::lock_guard registry(registry_mutex());
  {
    std::lock_guard lock(file_->mu);
    for (const KernelChange& c : file_->ranges.remove(owner_, 0, 0, true)) {
      // Releasing or weakening a lock on an open descriptor cannot be refused.
      (void)ofd_set(c.fd, c.offset, c.length, c.level, false);
    }
    if (--file_->users == 0) {
      close_fd(file_->read_fd);
      close_fd(file_->write_fd);
      file_->read_fd = file_->write_fd = -1;
      if (!file_->memory) unregister_open_file(*file_);
    }
  }
  file_.reset();
  fd_ = -1;
  owner_ = 0;
}

fs::Result<size_t> Handle::read_at(uint64_t offset, void* buffer, size_t count) const {
  if (!file_) return fs::Error{fs::dos::kInvalidHandle, 0};
  if (file_->memory) return MemorySpace::instance().read(*file_->memory, offset, buffer, count);
  size_t done = 0;
  char* out = static_cast<char*>(buffer);
  while (done < count) {
    ssize_t n = ::pread(fd_, out + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return fs::error_from_errno(errno, fs::ErrnoContext::kRead);
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

fs::Status Handle::write_at(uint64_t offset, const void* data, size_t count) {
  if (!file_) return fs::Error{fs::dos::kInvalidHandle, 0};
  if (!writable_) return fs::Error{fs::dos::kAccessDenied, 0};
  if (file_->memory) return MemorySpace::instance().write(*file_->memory, offset, data, count);
  size_t done = 0;
  const char* in = static_cast<const char*>(data);
  while (done < count) {
    ssize_t n = ::pwrite(fd_, in + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return fs::error_from_errno(errno, fs::ErrnoContext::kWrite);
    }
    done += static_cast<size_t>(n);
  }
  if (write_behind_) start_writeback(offset, count);
  return {};
}

fs::Result<uint64_t> Handle::size() const {
  if (!file_) return fs::Error{fs::dos::kInvalidHandle, 0};
  if (file_->memory) return MemorySpace::instance().size(*file_->memory);
  struct stat st;
  if (::fstat(fd_, &st) != 0) return fs::error_from_errno(errno, fs::ErrnoContext::kRead);
  return static_cast<uint64_t>(st.st_size);
}

fs::Status Handle::truncate(uint64_t size) {
  if (!file_) return fs::Error{fs::dos::kInvalidHandle, 0};
  if (!writable_) return fs::Error{fs::dos::kAccessDenied, 0};
  if (file_->memory) return MemorySpace::instance().truncate(*file_->memory, size);
  return cut_file(fd_, size);
}

void Handle::start_writeback(uint64_t offset, uint64_t count) const {
  if (!file_ || file_->memory || !writable_) return;
  fs::start_writeback(fd_, offset, count);
}

fs::Status Handle::sync() {
  if (!file_) return fs::Error{fs::dos::kInvalidHandle, 0};
  if (file_->memory || !writable_) return {};
  if (::fsync(fd_) != 0) return fs::error_from_errno(errno, fs::ErrnoContext::kWrite);
  return {};
}

fs::Status Handle::lock(uint64_t offset, uint64_t length, LockKind kind, Wait wait) {
  if (!file_) return fs::Error{fs::dos::kInvalidHandle, 0};
  const Level level = kind == LockKind::kWrite && writable_ ? Level::kWrite : Level::kRead;
  std::lock_guard lock(file_->mu);
  RangeTable& ranges = file_->ranges;
  if (ranges.covered(owner_, offset, length, level)) return {};
  if (ranges.conflicts(owner_, offset, length, level)) {
    return fs::Error{fs::dos::kLockViolation, 0};
  }
  if (!file_->memory) {
    std::vector<KernelChange> changes = ranges.raise(fd_, offset, length, level);
    for (size_t i = 0; i < changes.size(); ++i) {
      const KernelChange& c = changes[i];
      fs::Status st = ofd_set(c.fd, c.offset, c.length, c.level, wait == Wait::kYes);
      if (!st) {
        for (size_t j = 0; j < i; ++j) {
          (void)ofd_set(changes[j].fd, changes[j].offset, changes[j].length, changes[j].previous,
                        false);
        }
        return st;
      }
    }
  }
  ranges.add({owner_, fd_, offset, length, level});
  return {};
}

void Handle::unlock(uint64_t offset, uint64_t length) {
  if (!file_) return;
  std::lock_guard lock(file_->mu);
  for (const KernelChange& c : file_->ranges.remove(owner_, offset, length, false)) {
    if (!file_->memory) (void)ofd_set(c.fd, c.offset, c.length, c.level, false);
  }
}

void Handle::unlock_all() {
  if (!file_) return;
  std::lock_guard lock(file_->mu);
  for (const KernelChange& c : file_->ranges.remove(owner_, 0, 0, true)) {
    if (!file_->memory) (void)ofd_set(c.fd, c.offset, c.length, c.level, false);
  }
}

bool Handle::holds(uint64_t offset, uint64_t length) const {
  if (!file_) return false;
  std::lock_guard lock(file_->mu);
  return file_->ranges.covered(owner_, offset, length, Level::kRead);
}

}  // namespace codfix::filelock

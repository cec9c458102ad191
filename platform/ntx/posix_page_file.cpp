// The stand-alone PageFile of open_page_file(): one descriptor of its own and an
// open-file-description lock on the index lock byte.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/ntx/header.h"
#include "platform/ntx/page_file.h"

namespace codfix::ntx {
namespace {

Status os_failure(Code code, const std::string& what, const std::string& path) {
  int err = errno;
  return Status(code, what + " " + path + ": " + std::strerror(err), err);
}

class PosixPageFile final : public PageFile {
 public:
  PosixPageFile(int fd, std::string path, FileOptions options)
      : fd_(fd), path_(std::move(path)), options_(options) {}
  ~PosixPageFile() override {
    if (fd_ >= 0) ::close(fd_);
  }
  PosixPageFile(const PosixPageFile&) = delete;
  PosixPageFile& operator=(const PosixPageFile&) = delete;

  Status read_at(uint64_t offset, void* buffer, size_t count) override {
    auto* p = static_cast<char*>(buffer);
    while (count > 0) {
      ssize_t r = ::pread(fd_, p, count, static_cast<off_t>(offset));
      if (r < 0) {
        if (errno == EINTR) continue;
        return os_failure(Code::kReadError, "read", path_);
      }
      if (r == 0)
        return Status(Code::kReadError, "read past the end of " + path_ + " at " +
                                            std::to_string(offset));
      p += r;
      offset += static_cast<uint64_t>(r);
      count -= static_cast<size_t>(r);
    }
    return {};
  }

  Status write_at(uint64_t offset, const void* data, size_t count) override {
    const auto* p = static_cast<const char*>(data);
    while (count > 0) {
      ssize_t r = ::pwrite(fd_, p, count, static_cast<off_t>(offset));
      if (r < 0) {
        if (errno == EINTR) continue;
        return os_failure(Code::kWriteError, "write", path_);
      }
      p += r;
      offset += static_cast<uint64_t>(r);
      count -= static_cast<size_t>(r);
    }
    return {};
  }

  Result<uint64_t> size() override {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return os_failure(Code::kReadError, "size of", path_);
    return static_cast<uint64_t>(st.st_size);
  }

  Status truncate(uint64_t size) override {
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0)
      return os_failure(Code::kWriteError, "truncate", path_);
    return {};
  }

  Status sync() override {
    if (::fdatasync(fd_) != 0) return os_failure(Code::kWriteError, "flush", path_);
    return {};
  }

  bool shared() const override { return options_.shared; }
  bool writable() const override { return options_.writable; }

  Status lock(LockMode mode) override { return set_lock(mode == LockMode::kShared ? F_RDLCK : F_WRLCK); }
  Status unlock() override { return set_lock(F_UNLCK); }

  std::string name() const override { return path_; }

 private:
  Status set_lock(short type) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(kLockOffset);
    fl.l_len = 1;
    while (::fcntl(fd_, F_OFD_SETLKW, &fl) != 0) {
      if (errno == EINTR) continue;
      return os_failure(Code::kLockError, "lock", path_);
    }
    return {};
  }

  int fd_;
  std::string path_;
  FileOptions options_;
};

}  // namespace

Result<std::unique_ptr<PageFile>> open_page_file(const std::string& path, FileOptions options) {
  if (options.create) options.writable = true;
  int flags = options.writable ? O_RDWR : O_RDONLY;
  if (options.create) flags |= O_CREAT | O_TRUNC;
  int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
  if (fd < 0)
    return os_failure(options.create ? Code::kCreateError : Code::kOpenError, "open", path);
  return std::unique_ptr<PageFile>(new PosixPageFile(fd, path, options));
}

}  // namespace codfix::ntx

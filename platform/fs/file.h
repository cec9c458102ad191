// File: an open file, closed when the object goes (RAII, movable, not copyable).
//
// Names are library paths, resolved without regard to case (resolve.h). Sequential
// read/write/seek share one position; read_at/write_at work at an offset and leave
// it alone. The table engine takes flock and byte-range (OFD) locks on descriptor()
// itself: the share intent is only recorded here. Callers that must know whether
// the final close succeeded call close(); the destructor cannot report it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/fs/result.h"

namespace codfix::fs {

enum class Access { kRead, kWrite, kReadWrite };
enum class Share { kShared, kExclusive };
enum class Whence { kBegin, kCurrent, kEnd };

class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Opens an existing file. A folder cannot be opened (5).
  static Result<File> open(std::string_view path, Access access, Share share = Share::kShared);
  // Creates a file for reading and writing; an existing file (found ignoring case)
  // is emptied.
  static Result<File> create(std::string_view path, Share share = Share::kShared);
  // Creates a file that must not exist yet, in any case of its name (80 otherwise).
  static Result<File> create_new(std::string_view path, Share share = Share::kShared);

  // Sequential transfer at the current position. read() returns fewer bytes than
  // asked only at the end of the file; write() writes everything or fails (a full
  // disk is 112).
  Result<size_t> read(void* buffer, size_t count);
  Status write(const void* data, size_t count);
  Status write(std::string_view bytes) { return write(bytes.data(), bytes.size()); }
  // Moves the position; returns the new position from the start.
  Result<std::uint64_t> seek(std::int64_t offset, Whence whence = Whence::kBegin);

  // Transfer at an offset (pread/pwrite); the position is not moved.
  Result<size_t> read_at(std::uint64_t offset, void* buffer, size_t count) const;
  Status write_at(std::uint64_t offset, const void* data, size_t count);

  Result<std::uint64_t> size() const;
  Status truncate(std::uint64_t size);
  Status sync();
  // Starts writing the range to the disk without waiting (see start_writeback).
  void start_writeback(std::uint64_t offset, std::uint64_t count) const;
  // Closes the file, reporting a failure of the close itself. Closing a closed
  // File is a no-op.
  Status close();

  bool is_open() const { return fd_ >= 0; }
  int descriptor() const { return fd_; }
  // The POSIX path the file was opened under.
  const std::string& path() const { return path_; }
  Access access() const { return access_; }
  Share share() const { return share_; }

 private:
  File(int fd, std::string path, Access access, Share share)
      : fd_(fd), path_(std::move(path)), access_(access), share_(share) {}
  static Result<File> open_flags(std::string_view path, int flags, Access access, Share share);

  int fd_ = -1;
  std::string path_;
  Access access_ = Access::kRead;
  Share share_ = Share::kShared;
};

// Starts writing [offset, offset + count) of the open file `fd` to the disk
// without waiting for it, so that a later sync has less left to wait for (count
// 0: to the end of the file). Where the system has no such call, nothing happens.
void start_writeback(int fd, std::uint64_t offset, std::uint64_t count);

}  // namespace codfix::fs

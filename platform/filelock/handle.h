// Handle: one user's access to a file shared by the whole process (a table, memo
// or index file opened by a work area), with the share mode of the open and the
// byte-range locks of the table engine's lock schemes.
//
// The process keeps ONE descriptor per file (device + inode) however many work
// areas open it, with a use count: closing a handle never closes a descriptor that
// other handles still use, so no lock of theirs is dropped. Share modes follow the
// classic tools on POSIX: a whole-file flock(), shared or exclusive, non-blocking,
// plus an OFD byte lock at 0x7FFFFFFF (read for shared, write for exclusive). Inside
// the process the same rules apply: an exclusive open meets any other open of the
// same file with a sharing violation (DOS 32), as a second process would.
//
// Byte-range locks are open-file-description (OFD) locks: they conflict with the
// classic tools' fcntl locks and survive the closing of other descriptors. Each
// handle is a lock owner of its own: the process keeps a table of the ranges every
// handle holds and refuses a range that conflicts with another handle's (DOS 33,
// at once, even for a blocking request, since the holder cannot let go while we
// wait in the same thread). Only ranges no other handle of the process holds go
// to the kernel. A handle on a read-only open takes read locks where a write lock
// is asked for (write locks need a writable descriptor).
//
// Names beginning with "MEM:" (any case) are files of the process's memory space
// (memory_space.h): same interface, same in-process lock rules, no kernel.
//
// Callers must not share one Handle between threads; the process tables are
// guarded for use from several threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/fs/result.h"

namespace codfix::filelock {

enum class Share { kShared, kExclusive };
enum class LockKind { kRead, kWrite };
enum class Wait { kNo, kYes };

struct OpenFile;  // the process-wide entry of one file (open_files.h)

class Handle {
 public:
  Handle() = default;
  ~Handle();
  Handle(Handle&& other) noexcept;
  Handle& operator=(Handle&& other) noexcept;
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  // Opens an existing file. `path` is a library path (resolved ignoring case) or a
  // MEM: name. Errors: 2/3 missing, 5 no access, 32 sharing violation (another
  // process or another handle of this one holds the file in a conflicting mode).
  static fs::Result<Handle> open(std::string_view path, bool write, Share share);

  // Creates a file, or empties an existing one, for reading and writing with
  // exclusive use: the exclusive share lock is taken before anything is truncated,
  // so a file in use elsewhere is left untouched (error 32). MEM: names are created
  // in the memory space (error 1130 when it is full).
  static fs::Result<Handle> create(std::string_view path);
  // As create(), but an existing file keeps its bytes, to be written over: for a
  // file written anew from its start, which the caller then cuts to its new
  // length (truncate). Writing over the old blocks spares the system freeing
  // them and taking them again, and a file cut to nothing and written again is
  // forced to the disk when it is closed on some file systems.
  static fs::Result<Handle> create_over(std::string_view path);

  bool is_open() const { return file_ != nullptr; }
  bool writable() const { return writable_; }
  Share share() const { return share_; }
  bool is_memory() const;
  // The path the file was found under (POSIX path, or the MEM: name as given).
  const std::string& path() const;

  // Data transfer at an offset. read_at returns fewer bytes only at the end of
  // the file. write_at writes all or fails (112 disk full, 1130 memory space full).
  fs::Result<size_t> read_at(uint64_t offset, void* buffer, size_t count) const;
  fs::Status write_at(uint64_t offset, const void* data, size_t count);
  fs::Result<uint64_t> size() const;
  fs::Status truncate(uint64_t size);
  fs::Status sync();
  // Starts writing the range to the disk without waiting (fs::start_writeback);
  // nothing for memory files.
  void start_writeback(uint64_t offset, uint64_t count) const;
  // With write-behind on, every write_at() of this handle also starts writing
  // its bytes to the disk, for a file that will be flushed when it is complete:
  // the flush then has little left to wait for.
  void set_write_behind(bool on) { write_behind_ = on; }
  bool write_behind() const { return write_behind_; }

  // Locks [offset, offset+length) for this handle. A range this handle already
  // holds with the same or a stronger kind succeeds without a system call. Busy
  // (another process, or another handle of this process) is DOS 33; with
  // Wait::kYes the call waits for other processes only.
  fs::Status lock(uint64_t offset, uint64_t length, LockKind kind, Wait wait);
  // Releases this handle's locks inside the range (whole held ranges only: a held
  // range is released when it lies inside [offset, offset+length)).
  void unlock(uint64_t offset, uint64_t length);
  // Releases every lock this handle holds.
  void unlock_all();
  // Whether this handle holds a lock covering the whole range (of any kind).
  bool holds(uint64_t offset, uint64_t length) const;

  // Closes the handle (also done by the destructor): releases its locks; the last
  // handle of a file closes the descriptor.
  void close();

 private:
  static fs::Result<Handle> create_file(std::string_view path, bool keep_bytes);
  std::shared_ptr<OpenFile> file_;
  int fd_ = -1;  // the descriptor this handle uses (a file may have a read-only
                 // and a read-write one)
  uint64_t owner_ = 0;
  bool writable_ = false;
  Share share_ = Share::kShared;
  bool write_behind_ = false;
};

}  // namespace codfix::filelock

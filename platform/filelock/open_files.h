// The process-wide table of open files behind Handle: one entry per file (device +
// inode, or memory file), its descriptors, its users and their share modes, and
// the byte ranges they hold. Internal to platform/filelock.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/filelock/range_table.h"

namespace codfix::filelock {

struct MemoryFile;

struct OpenFile {
  std::mutex mu;  // guards everything below
  dev_t dev = 0;
  ino_t ino = 0;
  std::shared_ptr<MemoryFile> memory;  // set for MEM: files
  std::string path;
  int read_fd = -1;   // read-only descriptor, when the first open was read-only
  int write_fd = -1;  // read-write descriptor
  int users = 0;
  bool exclusive = false;  // held by one user with exclusive share
  RangeTable ranges;
};

// Finds the entry of a disk file by identity; nullptr when the process does not
// have it open.
std::shared_ptr<OpenFile> find_open_file(dev_t dev, ino_t ino);
// Registers a new entry (the caller has opened and share-locked its descriptor).
void register_open_file(const std::shared_ptr<OpenFile>& file);
// Removes the entry once its last user is gone.
void unregister_open_file(const OpenFile& file);
// A fresh lock-owner id.
uint64_t next_owner_id();

}  // namespace codfix::filelock

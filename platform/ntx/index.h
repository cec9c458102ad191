// Index: an open NTX file (one key expression per file). It knows nothing of tables:
// it stores (key bytes, record number) entries in a B-tree of 1024-byte pages and
// keeps them in the order of its KeyOrder (the collation given at open, reversed
// when the header says descending). Equal keys stay in the order they were added
// (a bulk build adds them in record order); a unique index keeps only the first.
//
// Reading and updating go through Cursor (cursor.h) and insert()/remove() below.
// Every page read is checked (key count, item offsets, child offsets inside the
// file and page-aligned, keys in order, all leaves at one depth, no page twice on
// a path): a damaged file gives kCorrupt, never a crash, a hang or a wrong answer.
//
// Shared files (PageFile::shared()): every operation takes the index lock itself
// (shared to read, exclusive to update) unless the caller already holds it through
// lock(); under the lock the header is re-read and cached pages are dropped when
// another process changed the file. Updates in shared mode end by writing the
// header with the update counter incremented and flushing the file.
//
// Not thread-safe; one Index per open file per process.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/ntx/header.h"
#include "platform/ntx/key_compare.h"
#include "platform/ntx/page_file.h"
#include "platform/ntx/status.h"

namespace codfix::ntx {

class PageStore;

class Index {
 public:
  // Opens an existing index and checks its header. `weights` is the collation of
  // character keys (text::weights()); nullptr for byte order (numeric, date and
  // logical keys, or the binary code page).
  static Result<std::unique_ptr<Index>> open(std::unique_ptr<PageFile> file,
                                             const uint8_t* weights);
  // Makes `file` a new empty index of the definition (the file is emptied first).
  static Result<std::unique_ptr<Index>> create(std::unique_ptr<PageFile> file,
                                               const Definition& def, const uint8_t* weights);
  ~Index();
  Index(const Index&) = delete;
  Index& operator=(const Index&) = delete;

  // The header as last read or written.
  const Header& header() const;
  const KeyOrder& order() const { return order_; }
  uint16_t key_size() const { return header().key_size; }
  PageFile& file();

  // Holds the index lock across several operations (shared mode; a no-op count
  // otherwise). Calls nest; each lock() needs its unlock(). An exclusive lock is
  // needed to update; asking for exclusive while holding shared is kInvalidArgument.
  Status lock(LockMode mode);
  Status unlock();

  // Adds an entry after any equal keys. In a unique index the entry is not added
  // when an equal key exists: the result is then false.
  Result<bool> insert(std::string_view key, uint32_t recno);
  // Removes the entry with this key and record number; false when there is none.
  Result<bool> remove(std::string_view key, uint32_t recno);

  // Number of keys (walks every page).
  Result<uint64_t> key_count();
  // Checks the whole file: every page reachable once, keys in order, leaves at one
  // depth, the free list inside the file and without loops.
  Status verify();
  // Flushes the file to disk (pages are written when each update ends).
  Status flush();

  // Bumped whenever the tree changes (here or, as found under the lock, elsewhere);
  // cursors use it to know when to find their place again.
  uint64_t generation() const;

  PageStore& store() { return *store_; }  // for Cursor and the tree code

 private:
  Index(std::unique_ptr<PageStore> store, KeyOrder order);
  std::unique_ptr<PageStore> store_;
  KeyOrder order_;
};

}  // namespace codfix::ntx

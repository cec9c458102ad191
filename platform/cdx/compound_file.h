// CompoundFile: an open CDX file, a bag of tags. It knows nothing of tables: it
// keeps the tag directory (a B+-tree of tag names whose "record numbers" are the
// offsets of the tags' 1024-byte headers), the free-page list, the index lock and
// the update counter of shared use, and hands out Tag objects (tag.h) that store
// (key bytes, record number) entries.
//
// Tags are listed in creation order (ascending header offset), as the classic
// runtime numbers them. Opening checks the directory header, walks the directory
// and checks every tag header: a damaged file gives kCorrupt, never a crash.
//
// Shared files (PageFile::shared()): every operation takes the index lock itself
// (shared to read, exclusive to update) unless the caller holds it through lock();
// under the lock the free-list head and the update counter are re-read and cached
// pages are dropped when another process changed the file. A write session ends
// by incrementing the counter, writing it with the free-list head, and flushing.
//
// Tags (and cursors) must not outlive their CompoundFile. Not thread-safe; one
// CompoundFile per open file per process.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/cdx/key_codec.h"
#include "platform/cdx/node.h"
#include "platform/cdx/page_file.h"
#include "platform/cdx/status.h"
#include "platform/cdx/tag_header.h"

namespace codfix::cdx {

class PageStore;
class Tag;

struct TagInfo {
  std::string name;  // as stored: upper case, no padding
  uint32_t header_offset = 0;
  TagHeader header;
};

class CompoundFile {
 public:
  // Opens an existing compound file and reads its tag list.
  static Result<std::unique_ptr<CompoundFile>> open(std::unique_ptr<PageFile> file);
  // Makes `file` a new compound file without tags (the file is emptied first): the
  // directory header and an empty directory leaf, 1536 bytes.
  static Result<std::unique_ptr<CompoundFile>> create(std::unique_ptr<PageFile> file);
  ~CompoundFile();
  CompoundFile(const CompoundFile&) = delete;
  CompoundFile& operator=(const CompoundFile&) = delete;

  // The tags in creation order.
  const std::vector<TagInfo>& tags() const { return tags_; }
  // A tag by name, ignoring case and surrounding blanks; nullptr when there is none.
  const TagInfo* find(std::string_view name) const;

  // Opens tag `name` for keys of `type` (the type its key expression gives, which
  // the file does not record). `weights` orders character keys (text::weights());
  // nullptr for byte order. A key length the type cannot have is kCorrupt; the
  // root page must be sound.
  Result<std::unique_ptr<Tag>> open_tag(std::string_view name, KeyType type, const uint8_t* weights,
                                        uint16_t decimals = 0);

  // Deletes a tag: its name leaves the directory and, when the file is not
  // shared, its pages and header go on the free list (a damaged tree is simply
  // left behind). Tags opened on it fail afterwards. kInvalidArgument when there
  // is no such tag.
  Status delete_tag(std::string_view name);

  // Reads the tag list again (after another process added or deleted tags).
  Status reload();

  // Holds the index lock across several operations (shared mode; a no-op count
  // otherwise). Calls nest; each lock() needs its unlock(). An exclusive lock is
  // needed to update; asking for exclusive while holding shared is kInvalidArgument.
  Status lock(LockMode mode);
  Status unlock();
  // Checks the directory and the free list: every page inside the file and met
  // once, no free page in the directory. Tags are checked by Tag::verify().
  Status verify();
  // Flushes the file to disk (pages are written when each update ends).
  Status flush();

  PageFile& file();
  PageStore& store() { return *store_; }
  const TreeRules& directory_rules() const { return directory_rules_; }
  uint32_t directory_root() const { return directory_root_; }
  // Bumped whenever a tree changes (here or, as found under the lock, elsewhere).
  uint64_t generation() const;
  // Whether a tag with its header at `offset` is still in the file.
  bool has_tag_at(uint32_t offset) const;

 private:
  friend class Builder;

  CompoundFile(std::unique_ptr<PageStore> store, const TagHeader& directory);
  Status read_tags(std::vector<TagInfo>& out);
  // Inside an exclusive operation of the store: the directory entry of a tag
  // added or removed (a removed tag's pages freed when the file is not shared).
  Status add_tag_locked(const TagInfo& info);
  Status remove_tag_locked(const TagInfo& info);

  std::unique_ptr<PageStore> store_;
  uint32_t directory_root_;
  TreeRules directory_rules_;
  std::vector<TagInfo> tags_;
};

}  // namespace codfix::cdx

#include "platform/cdx/compound_file.h"

#include <algorithm>
#include <array>
#include <unordered_set>
#include <utility>

#include "platform/cdx/page_store.h"
#include "platform/cdx/tag.h"
#include "platform/cdx/tree.h"
#include "platform/cdx/tree_update.h"
#include "platform/indexing/bytes.h"

namespace codfix::cdx {
namespace {

constexpr int kMaxDepth = 40;

std::string trim_name(std::string_view key) {
  size_t e = key.size();
  while (e > 0 && (key[e - 1] == ' ' || key[e - 1] == '\0')) --e;
  return std::string(key.substr(0, e));
}

// The pages of a tag's tree, read raw (the keys are not needed): what deleting the
// tag frees. Any doubt about the tree is kCorrupt.
Status collect_pages(PageFile& file, uint32_t root, uint16_t key_size, uint64_t file_size,
                     std::vector<uint32_t>& out) {
  std::vector<std::pair<uint32_t, int>> stack{{root, 0}};
  std::unordered_set<uint32_t> seen;
  std::array<uint8_t, kPageSize> page{};
  while (!stack.empty()) {
    auto [offset, depth] = stack.back();
    stack.pop_back();
    if (depth > kMaxDepth || !seen.insert(offset).second || offset < kHeaderSize ||
        offset % kPageSize != 0 || uint64_t{offset} + kPageSize > file_size)
      return Status::corrupt("tag tree page " + std::to_string(offset) + " cannot be freed");
    CDX_TRY(file.read_at(offset, page.data(), page.size()));
    const uint16_t attr = indexing::le16(page.data());
    if ((attr & ~(kAttrRoot | kAttrLeaf)) != 0)
      return Status::corrupt("page " + std::to_string(offset) + " is not a node");
    out.push_back(offset);
    if ((attr & kAttrLeaf) != 0) continue;
    const size_t n = indexing::le16(page.data() + 2);
    if (n * (key_size + 8u) > kBranchArea)
      return Status::corrupt("page " + std::to_string(offset) + " holds too many keys");
    for (size_t i = 0; i < n; ++i)
      stack.push_back(
          {indexing::be32(page.data() + kNodeHeaderSize + i * (key_size + 8u) + key_size + 4),
           depth + 1});
  }
  return {};
}

}  // namespace

CompoundFile::CompoundFile(std::unique_ptr<PageStore> store, const TagHeader& directory)
    : store_(std::move(store)),
      directory_root_(directory.root),
      directory_rules_{directory.key_size, ' ', KeyOrder{nullptr, false}, true} {}

CompoundFile::~CompoundFile() = default;

Result<std::unique_ptr<CompoundFile>> CompoundFile::open(std::unique_ptr<PageFile> file) {
  const bool locked = file->shared();
  if (locked) CDX_TRY(file->lock(LockMode::kShared));
  std::array<uint8_t, kHeaderSize> bytes{};
  auto size = file->size();
  Status read;
  Result<TagHeader> header = Status::corrupt("not read");
  if (size.ok()) {
    if (*size <= kHeaderSize) {
      header = Status::corrupt("file of " + std::to_string(*size) + " bytes has no pages");
    } else {
      read = file->read_at(0, bytes.data(), bytes.size());
      if (read.ok()) header = decode_tag_header(bytes, *size, true);
    }
  }
  if (locked) {
    Status u = file->unlock();
    if (!u.ok()) return u;
  }
  if (!size.ok()) return size.status();
  CDX_TRY(read);
  if (!header.ok()) return header.status();
  auto store = std::make_unique<PageStore>(std::move(file), *size, indexing::le32(bytes.data() + 4),
                                           header->counter);
  std::unique_ptr<CompoundFile> cf(new CompoundFile(std::move(store), *header));
  Status tags =
      run_operation(*cf->store_, LockMode::kShared, [&] { return cf->read_tags(cf->tags_); });
  CDX_TRY(tags);
  return cf;
}

Result<std::unique_ptr<CompoundFile>> CompoundFile::create(std::unique_ptr<PageFile> file) {
  const bool locked = file->shared();
  if (locked) CDX_TRY(file->lock(LockMode::kExclusive));
  TagHeader dir;
  dir.root = kDirectoryRoot;
  dir.key_size = kDirectoryKeySize;
  auto head = encode_directory_header(dir);
  TreeRules rules{kDirectoryKeySize, ' ', KeyOrder{nullptr, false}, true};
  Node leaf;
  leaf.reset(rules, kAttrRoot | kAttrLeaf);
  leaf.widths = leaf_widths(kDirectoryKeySize, 0);
  std::array<uint8_t, kPageSize> page{};
  encode_node(leaf, page.data());
  Status s = file->truncate(0);
  if (s.ok()) s = file->write_at(0, head.data(), head.size());
  if (s.ok()) s = file->write_at(kDirectoryRoot, page.data(), page.size());
  if (s.ok()) s = file->sync();
  if (locked) {
    Status u = file->unlock();
    if (s.ok()) s = u;
  }
  CDX_TRY(s);
  return open(std::move(file));
}

Status CompoundFile::read_tags(std::vector<TagInfo>& out) {
  out.clear();
  Tree dir(*store_, directory_root_, directory_rules_);
  Path path;
  CDX_TRY(dir.leftmost(path));
  std::array<uint8_t, kHeaderSize> bytes{};
  for (;;) {
    auto on = dir.settle_forward(path);
    if (!on.ok()) return on.status();
    if (!*on) break;
    auto p = dir.at(path.back());
    if (!p.ok()) return p.status();
    const size_t i = path.back().pos;
    TagInfo info;
    info.name = trim_name((*p)->key_view(i));
    info.header_offset = (*p)->recnos[i];
    CDX_TRY(store_->file().read_at(info.header_offset, bytes.data(), bytes.size()));
    auto h = decode_tag_header(bytes, store_->file_size(), false);
    if (!h.ok()) return Status::corrupt("tag " + info.name + ": " + h.status().detail());
    info.header = std::move(*h);
    for (const TagInfo& t : out) {
      if (t.name == info.name) return Status::corrupt("tag " + info.name + " listed twice");
      if (t.header_offset == info.header_offset)
        return Status::corrupt("tags " + t.name + " and " + info.name + " share a header");
    }
    out.push_back(std::move(info));
    path.back().pos++;
  }
  std::sort(out.begin(), out.end(),
            [](const TagInfo& a, const TagInfo& b) { return a.header_offset < b.header_offset; });
  return {};
}

const TagInfo* CompoundFile::find(std::string_view name) const {
  auto key = tag_key(name);
  if (!key.ok()) return nullptr;
  const std::string wanted = trim_name(*key);
  for (const TagInfo& t : tags_) {
    std::string upper = t.name;
    for (char& c : upper)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (upper == wanted) return &t;
  }
  return nullptr;
}

bool CompoundFile::has_tag_at(uint32_t offset) const {
  return std::any_of(tags_.begin(), tags_.end(),
                     [offset](const TagInfo& t) { return t.header_offset == offset; });
}

Result<std::unique_ptr<Tag>> CompoundFile::open_tag(std::string_view name, KeyType type,
                                                    const uint8_t* weights, uint16_t decimals) {
  const TagInfo* info = find(name);
  if (info == nullptr) return Status::invalid("no tag " + std::string(name));
  auto format = key_format(type, info->header.key_size, decimals);
  if (!format.ok()) return Status::corrupt("tag " + info->name + ": " + format.status().detail());
  auto tag = std::make_unique<Tag>(*this, *info, *format, weights);
  Status root = run_operation(*store_, LockMode::kShared, [&]() -> Status {
    Tree tree = tag->tree();
    Path path;
    auto r = tree.root(path);
    return r.ok() ? Status() : r.status();
  });
  CDX_TRY(root);
  return tag;
}

Status CompoundFile::add_tag_locked(const TagInfo& info) {
  auto key = tag_key(info.name);
  if (!key.ok()) return key.status();
  Tree dir(*store_, directory_root_, directory_rules_);
  auto added = TreeUpdate(dir).insert(key->data(), info.header_offset, false);
  if (!added.ok()) return added.status();
  if (!*added) return Status::corrupt("tag directory already lists " + info.name);
  return {};
}

Status CompoundFile::remove_tag_locked(const TagInfo& info) {
  auto key = tag_key(info.name);
  if (!key.ok()) return key.status();
  Tree dir(*store_, directory_root_, directory_rules_);
  auto removed = TreeUpdate(dir).remove(key->data(), info.header_offset);
  if (!removed.ok()) return removed.status();
  if (!*removed) return Status::corrupt("tag " + info.name + " is missing from the directory");
  if (store_->file().shared()) return {};  // others may still be reading it
  std::vector<uint32_t> pages;
  if (!collect_pages(store_->file(), info.header.root, info.header.key_size, store_->file_size(),
                     pages)
           .ok())
    return {};  // a damaged tree is left where it is
  for (uint32_t p : pages) store_->release(p);
  store_->release(info.header_offset);
  store_->release(info.header_offset + kPageSize);
  return {};
}

Status CompoundFile::delete_tag(std::string_view name) {
  const TagInfo* info = find(name);
  if (info == nullptr) return Status::invalid("no tag " + std::string(name));
  const TagInfo copy = *info;
  CDX_TRY(run_operation(*store_, LockMode::kExclusive, [&] { return remove_tag_locked(copy); }));
  tags_.erase(
      std::remove_if(tags_.begin(), tags_.end(),
                     [&](const TagInfo& t) { return t.header_offset == copy.header_offset; }),
      tags_.end());
  return {};
}

Status CompoundFile::reload() {
  std::vector<TagInfo> fresh;
  CDX_TRY(run_operation(*store_, LockMode::kShared, [&] { return read_tags(fresh); }));
  tags_ = std::move(fresh);
  return {};
}

Status CompoundFile::lock(LockMode mode) {
  return store_->lock(mode);
}
Status CompoundFile::unlock() {
  return store_->unlock();
}
Status CompoundFile::flush() {
  return store_->file().sync();
}
PageFile& CompoundFile::file() {
  return store_->file();
}
uint64_t CompoundFile::generation() const {
  return store_->generation();
}

Status CompoundFile::verify() {
  return run_operation(*store_, LockMode::kShared, [&]() -> Status {
    std::unordered_set<uint32_t> seen;
    Tree dir(*store_, directory_root_, directory_rules_);
    auto n = dir.verify(seen);
    if (!n.ok()) return n.status();
    uint32_t offset = store_->free_head();
    std::array<uint8_t, 4> link{};
    while (offset != 0 && offset != kNoPage) {
      if (offset < kHeaderSize || offset % kPageSize != 0 ||
          uint64_t{offset} + kPageSize > store_->file_size())
        return Status::corrupt("free page offset " + std::to_string(offset) + " outside the file");
      if (!seen.insert(offset).second)
        return Status::corrupt("free page " + std::to_string(offset) + " in use or listed twice");
      CDX_TRY(store_->file().read_at(offset, link.data(), link.size()));
      offset = indexing::le32(link.data());
    }
    return Status();
  });
}

}  // namespace codfix::cdx

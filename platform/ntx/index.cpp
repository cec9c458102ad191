#include "platform/ntx/index.h"

#include <array>
#include <unordered_set>
#include <utility>

#include "platform/ntx/builder.h"
#include "platform/ntx/page_store.h"
#include "platform/ntx/tree.h"
#include "platform/ntx/tree_update.h"

namespace codfix::ntx {
namespace {

// Runs `body` as one operation of `store` in lock `mode`.
template <typename F>
auto operation(PageStore& store, LockMode mode, F&& body) -> decltype(body()) {
  NTX_TRY(store.begin(mode));
  auto r = body();
  Status outcome = r.ok() ? Status() : r.status();
  Status e = store.end(outcome);
  if (!e.ok()) return e;
  return r;
}

Result<Header> read_header(PageFile& file) {
  auto size = file.size();
  if (!size.ok()) return size.status();
  if (*size < kPageSize) return Status::corrupt("file shorter than its header");
  std::array<uint8_t, kPageSize> page{};
  NTX_TRY(file.read_at(0, page.data(), page.size()));
  auto h = decode_header(page, *size);
  if (!h.ok()) return h;
  if (h->max_items < 2) return Status::corrupt("header: fewer than 2 keys per page");
  return h;
}

}  // namespace

Index::Index(std::unique_ptr<PageStore> store, KeyOrder order)
    : store_(std::move(store)), order_(order) {}

Index::~Index() = default;

Result<std::unique_ptr<Index>> Index::open(std::unique_ptr<PageFile> file, const uint8_t* weights) {
  const bool locked = file->shared();
  if (locked) NTX_TRY(file->lock(LockMode::kShared));
  auto header = read_header(*file);
  auto size = file->size();
  if (locked) {
    Status u = file->unlock();
    if (header.ok() && !u.ok()) return u;
  }
  if (!header.ok()) return header.status();
  if (!size.ok()) return size.status();
  KeyOrder order{weights, header->descending};
  auto store = std::make_unique<PageStore>(std::move(file), *header, *size, order);
  std::unique_ptr<Index> index(new Index(std::move(store), order));
  // The root must be a sound page before anyone relies on the file.
  Result<bool> root = operation(*index->store_, LockMode::kShared, [&]() -> Result<bool> {
    Path path;
    Tree tree(*index->store_);
    auto r = tree.root(path);
    if (!r.ok()) return r.status();
    return true;
  });
  if (!root.ok()) return root.status();
  return index;
}

Result<std::unique_ptr<Index>> Index::create(std::unique_ptr<PageFile> file, const Definition& def,
                                             const uint8_t* weights) {
  Builder builder(def, weights);
  const bool locked = file->shared();
  if (locked) NTX_TRY(file->lock(LockMode::kExclusive));
  Status s = builder.write(*file);
  if (locked) {
    Status u = file->unlock();
    if (s.ok()) s = u;
  }
  NTX_TRY(s);
  return open(std::move(file), weights);
}

const Header& Index::header() const {
  return store_->header();
}
PageFile& Index::file() {
  return store_->file();
}
uint64_t Index::generation() const {
  return store_->generation();
}

Status Index::lock(LockMode mode) {
  return store_->lock(mode);
}
Status Index::unlock() {
  return store_->unlock();
}

Result<bool> Index::insert(std::string_view key, uint32_t recno) {
  if (key.size() != key_size()) return Status::invalid("key of the wrong size");
  if (recno == 0) return Status::invalid("record number 0");
  return operation(*store_, LockMode::kExclusive,
                   [&] { return TreeUpdate(*store_).insert(key, recno, header().unique); });
}

Result<bool> Index::remove(std::string_view key, uint32_t recno) {
  if (key.size() != key_size()) return Status::invalid("key of the wrong size");
  return operation(*store_, LockMode::kExclusive,
                   [&] { return TreeUpdate(*store_).remove(key, recno); });
}

Result<uint64_t> Index::key_count() {
  return operation(*store_, LockMode::kShared, [&] {
    std::unordered_set<uint32_t> seen;
    return Tree(*store_).count(header().root, 0, seen, nullptr, nullptr);
  });
}

Status Index::verify() {
  Result<bool> r = operation(*store_, LockMode::kShared, [&]() -> Result<bool> {
    std::unordered_set<uint32_t> seen;
    auto n = Tree(*store_).count(header().root, 0, seen, nullptr, nullptr);
    if (!n.ok()) return n.status();
    // The free list: inside the file, no loops, no page of the tree on it.
    uint32_t offset = header().free_head;
    while (offset != 0) {
      if (offset % kPageSize != 0 || offset + uint64_t{kPageSize} > store_->file_size())
        return Status::corrupt("free page offset " + std::to_string(offset) + " outside the file");
      if (!seen.insert(offset).second)
        return Status::corrupt("free page " + std::to_string(offset) + " in use or listed twice");
      std::array<uint8_t, kPageSize> page{};
      NTX_TRY(store_->file().read_at(offset, page.data(), page.size()));
      uint16_t e0 = get16(page.data() + 2);
      if (e0 < 2 || e0 + 4u > kPageSize)
        return Status::corrupt("free page " + std::to_string(offset) + ": bad item offset");
      offset = get32(page.data() + e0);
    }
    return true;
  });
  return r.ok() ? Status() : r.status();
}

Status Index::flush() {
  return store_->file().sync();
}

}  // namespace codfix::ntx

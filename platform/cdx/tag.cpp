#include "platform/cdx/tag.h"

#include <unordered_set>
#include <utility>

#include "platform/cdx/page_store.h"
#include "platform/cdx/tree_update.h"

namespace codfix::cdx {

Tag::Tag(CompoundFile& file, TagInfo info, KeyFormat format, const uint8_t* weights)
    : file_(&file),
      info_(std::move(info)),
      format_(format),
      rules_{format.size, pad_byte(format.type),
             KeyOrder{format.type == KeyType::kCharacter ? weights : nullptr, false}, false} {}

Status Tag::check_alive() const {
  if (!file_->has_tag_at(info_.header_offset))
    return Status::invalid("tag " + info_.name + " was deleted");
  return {};
}

Result<bool> Tag::insert(std::string_view key, uint32_t recno) {
  if (key.size() != key_size()) return Status::invalid("key of the wrong size");
  if (recno == 0) return Status::invalid("record number 0");
  CDX_TRY(check_alive());
  return run_operation(file_->store(), LockMode::kExclusive, [&] {
    Tree t = tree();
    return TreeUpdate(t).insert(key.data(), recno, unique());
  });
}

Result<bool> Tag::remove(std::string_view key, uint32_t recno) {
  if (key.size() != key_size()) return Status::invalid("key of the wrong size");
  CDX_TRY(check_alive());
  return run_operation(file_->store(), LockMode::kExclusive, [&] {
    Tree t = tree();
    return TreeUpdate(t).remove(key.data(), recno);
  });
}

Result<uint64_t> Tag::key_count() {
  CDX_TRY(check_alive());
  return run_operation(file_->store(), LockMode::kShared, [&] {
    std::unordered_set<uint32_t> seen;
    return tree().count(info_.header.root, 0, seen, Tree::Bound{}, Tree::Bound{});
  });
}

Status Tag::verify() {
  CDX_TRY(check_alive());
  return run_operation(file_->store(), LockMode::kShared, [&]() -> Status {
    std::unordered_set<uint32_t> seen;
    auto n = tree().verify(seen);
    return n.ok() ? Status() : n.status();
  });
}

}  // namespace codfix::cdx

#include "platform/cdx/builder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "platform/cdx/build_writer.h"
#include "platform/cdx/page_store.h"

namespace codfix::cdx {

Builder::Builder(TagDefinition def, const uint8_t* weights)
    : def_(std::move(def)),
      weights_(def_.format.type == KeyType::kCharacter ? weights : nullptr),
      sorter_(def_.format.size, indexing::KeyOrder{weights_, false}) {}

Status Builder::add(std::string_view key, uint32_t recno) {
  return sorter_.add(key, recno);
}

Status Builder::add_run(unsigned part, const char* keys, size_t count, uint32_t first_recno) {
  return sorter_.add_run(part, keys, count, first_recno);
}

Status Builder::write(CompoundFile& file) {
  auto header = make_tag_header(def_);
  if (!header.ok()) return header.status();
  auto name_key = tag_key(def_.name);
  if (!name_key.ok()) return name_key.status();
  sorter_.sort();
  const uint32_t largest = std::max(record_count_, sorter_.largest_recno());

  TagInfo info;
  info.name = name_key->substr(0, name_key->find_last_not_of(' ') + 1);
  info.header = *header;
  std::vector<TagInfo> tags = file.tags();
  PageStore& store = file.store();
  Status s = run_operation(store, LockMode::kExclusive, [&]() -> Status {
    if (const TagInfo* old = file.find(def_.name)) {
      CDX_TRY(file.remove_tag_locked(*old));
      const uint32_t gone = old->header_offset;
      tags.erase(std::remove_if(tags.begin(), tags.end(),
                                [gone](const TagInfo& t) { return t.header_offset == gone; }),
                 tags.end());
    }
    auto at = store.extend(kHeaderSize);
    if (!at.ok()) return at.status();
    info.header_offset = *at;
    TreeRules rules{def_.format.size, pad_byte(def_.format.type), KeyOrder{weights_, false}, false};
    BuildWriter writer(store, rules, leaf_widths(def_.format.size, largest));
    while (sorter_.next()) {
      if (def_.unique && sorter_.same_key_as_previous()) continue;
      CDX_TRY(writer.add(sorter_.key(), sorter_.recno()));
    }
    auto root = writer.finish();
    if (!root.ok()) return root.status();
    info.header.root = *root;
    auto bytes = encode_tag_header(info.header);
    CDX_TRY(store.write_at(info.header_offset, bytes.data(), bytes.size()));
    return file.add_tag_locked(info);
  });
  sorter_.clear();
  CDX_TRY(s);
  tags.push_back(info);
  file.tags_ = std::move(tags);
  return {};
}

}  // namespace codfix::cdx

#include "platform/ntx/builder.h"

#include <array>
#include <utility>

#include "platform/ntx/page_writer.h"

namespace codfix::ntx {

Builder::Builder(Definition def, const uint8_t* weights)
    : def_(std::move(def)), sorter_(def_.key_size, KeyOrder{weights, def_.descending}) {}

Status Builder::add(std::string_view key, uint32_t recno) {
  return sorter_.add(key, recno);
}

Status Builder::add_run(unsigned part, const char* keys, size_t count, uint32_t first_recno) {
  return sorter_.add_run(part, keys, count, first_recno);
}

Status Builder::write(PageFile& file) {
  auto header = make_header(def_);
  if (!header.ok()) return header.status();
  sorter_.sort();

  // The file may still hold an old index, written over page by page: its header
  // is blanked first, so that an interrupted build leaves a file no one takes
  // for an index, and the new header goes in last.
  const std::array<uint8_t, kPageSize> blank{};
  NTX_TRY(file.write_at(0, blank.data(), blank.size()));
  PageWriter writer(file, Geometry{header->max_items, header->key_size});
  while (sorter_.next()) {
    if (def_.unique && sorter_.same_key_as_previous()) continue;
    NTX_TRY(writer.add(sorter_.recno(), sorter_.key()));
  }
  auto root = writer.finish();
  if (!root.ok()) return root.status();
  NTX_TRY(file.truncate(writer.end()));

  header->root = *root;
  header->free_head = 0;
  header->version = 1;
  auto bytes = encode_header(*header);
  NTX_TRY(file.write_at(0, bytes.data(), bytes.size()));

  sorter_.clear();
  return {};
}

}  // namespace codfix::ntx

// Cursor: a position in a Tag, for walking and seeking in the tag's order: the
// tree order, or its exact reverse for a descending tag (equal keys then come in
// descending record order).
//
// A cursor is either on a key, at the end (after the last key: eof) or at the
// beginning (before the first key: bof). next() from bof goes to the first key;
// prev() from eof goes to the last. When the tag changes under a cursor (an
// update here or in another process), the cursor finds its entry again by key and
// record number before it moves; if the entry went away it continues from where
// the entry would be.
//
// The Tag must outlive its cursors.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/cdx/tag.h"

namespace codfix::cdx {

class Cursor {
 public:
  explicit Cursor(Tag& tag) : tag_(&tag) {}

  Status first();
  Status last();
  Status next();
  Status prev();

  // Positions on the first key (in the tag's order) that begins with `prefix`, or,
  // when none does, on the first key after where it would be (eof when there is
  // none). Only the first prefix.size() bytes of each key take part (a prefix
  // longer than the key is cut). True when a key begins with `prefix`. With
  // `last`, positions on the last key beginning with `prefix` instead (when none
  // does, as without `last`).
  Result<bool> seek(std::string_view prefix, bool last = false);
  // Positions on the entry with exactly this key and record number; when there is
  // none, as seek() does with the whole key, and the result is false.
  Result<bool> find(std::string_view key, uint32_t recno);

  // 1-based place of the current key in the tag's order; 0 at eof or bof.
  Result<uint64_t> position();
  // Positions on the n-th key (1-based); eof when there are fewer.
  Result<bool> go_to_position(uint64_t n);

  bool on_key() const { return state_ == State::kOnKey; }
  bool eof() const { return state_ == State::kEof; }
  bool bof() const { return state_ == State::kBof; }
  // The current entry; empty and 0 when not on a key.
  std::string_view key() const { return key_; }
  uint32_t recno() const { return recno_; }

 private:
  enum class State : uint8_t { kBof, kOnKey, kEof };
  friend class CursorOps;

  Tag* tag_;
  State state_ = State::kBof;
  Path path_;  // in tree order; the last frame's pos is the current entry
  std::string key_;
  uint32_t recno_ = 0;
  uint64_t generation_ = 0;  // of the file when path_ was made
};

}  // namespace codfix::cdx

// Cursor: a position in an Index, for walking and seeking in index order.
//
// A cursor is either on a key, at the end (after the last key: eof) or at the
// beginning (before the first key: bof). next() from bof goes to the first key;
// prev() from eof goes to the last. When the index changes under a cursor (an
// update here or in another process), the cursor finds its entry again by key and
// record number before it moves; if the entry went away it continues from where
// the entry would be.
//
// The Index must outlive its cursors.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ntx/index.h"
#include "platform/ntx/path.h"
#include "platform/ntx/status.h"

namespace codfix::ntx {

class Cursor {
 public:
  explicit Cursor(Index& index) : index_(&index) {}

  Status first();
  Status last();
  Status next();
  Status prev();

  // Positions on the first key (in index order) that begins with `prefix`, or, when
  // none does, on the first key after where it would be (eof when there is none).
  // Only the first prefix.size() bytes of each key take part (a prefix longer than
  // the key is cut). True when a key begins with `prefix`.
  // With `last`, positions on the last key beginning with `prefix` instead (when
  // none does, as without `last`).
  Result<bool> seek(std::string_view prefix, bool last = false);
  // Positions on the entry with exactly this key and record number; when there is
  // none, as seek() does with the whole key, and the result is false.
  Result<bool> find(std::string_view key, uint32_t recno);

  // 1-based place of the current key in index order; 0 at eof or bof.
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

  Index* index_;
  State state_ = State::kBof;
  Path path_;  // root first; last step is the current key (or a boundary)
  std::string key_;
  uint32_t recno_ = 0;
  uint64_t generation_ = 0;  // of the index when path_ was made
};

}  // namespace codfix::ntx

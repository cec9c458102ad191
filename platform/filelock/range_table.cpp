#include "platform/filelock/range_table.h"

#include <algorithm>

namespace codfix::filelock {

namespace {

bool overlap(uint64_t a, uint64_t alen, uint64_t b, uint64_t blen) {
  return a < b + blen && b < a + alen;
}

}  // namespace

bool RangeTable::conflicts(uint64_t owner, uint64_t offset, uint64_t length, Level level) const {
  for (const Hold& h : holds_) {
    if (h.owner == owner || !overlap(h.offset, h.length, offset, length)) continue;
    if (level == Level::kWrite || h.level == Level::kWrite) return true;
  }
  return false;
}

bool RangeTable::covered(uint64_t owner, uint64_t offset, uint64_t length, Level level) const {
  for (const Hold& h : holds_) {
    if (h.owner == owner && h.offset <= offset && h.end() >= offset + length && h.level >= level)
      return true;
  }
  return false;
}

std::vector<KernelChange> RangeTable::levels(int fd, uint64_t offset, uint64_t length) const {
  const uint64_t end = offset + length;
  std::vector<uint64_t> cuts{offset, end};
  for (const Hold& h : holds_) {
    if (h.fd != fd || !overlap(h.offset, h.length, offset, length)) continue;
    if (h.offset > offset) cuts.push_back(h.offset);
    if (h.end() < end) cuts.push_back(h.end());
  }
  std::sort(cuts.begin(), cuts.end());
  cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
  std::vector<KernelChange> pieces;
  for (size_t i = 0; i + 1 < cuts.size(); ++i) {
    Level level = Level::kNone;
    for (const Hold& h : holds_) {
      if (h.fd == fd && h.offset <= cuts[i] && h.end() >= cuts[i + 1])
        level = std::max(level, h.level);
    }
    if (!pieces.empty() && pieces.back().level == level) {
      pieces.back().length += cuts[i + 1] - cuts[i];
    } else {
      pieces.push_back({fd, cuts[i], cuts[i + 1] - cuts[i], level});
    }
  }
  return pieces;
}

std::vector<KernelChange> RangeTable::raise(int fd, uint64_t offset, uint64_t length,
                                            Level level) const {
  std::vector<KernelChange> changes;
  for (const KernelChange& piece : levels(fd, offset, length)) {
    if (piece.level < level)
      changes.push_back({fd, piece.offset, piece.length, level, piece.level});
  }
  return changes;
}

std::vector<KernelChange> RangeTable::remove(uint64_t owner, uint64_t offset, uint64_t length,
                                             bool everything) {
  std::vector<Hold> removed;
  auto inside = [&](const Hold& h) {
    return h.owner == owner && (everything || (h.offset >= offset && h.end() <= offset + length));
  };
  for (const Hold& h : holds_) {
    if (inside(h)) removed.push_back(h);
  }
  holds_.erase(std::remove_if(holds_.begin(), holds_.end(), inside), holds_.end());

  std::vector<KernelChange> changes;
  for (const Hold& gone : removed) {
    for (const KernelChange& piece : levels(gone.fd, gone.offset, gone.length)) {
      if (piece.level < gone.level) {
        changes.push_back({piece.fd, piece.offset, piece.length, piece.level, gone.level});
      }
    }
  }
  return changes;
}

}  // namespace codfix::filelock

#include "platform/ntx/tree.h"

#include <algorithm>
#include <string>

namespace codfix::ntx {
namespace {
constexpr size_t kMaxDepth = 40;

Status corrupt_at(uint32_t offset, const std::string& what) {
  return Status::corrupt("page " + std::to_string(offset) + ": " + what);
}
}  // namespace

Status Tree::note_depth(const PageRef& page, uint32_t offset, size_t depth) {
  if (depth > kMaxDepth) return corrupt_at(offset, "tree deeper than any index can be");
  int known = s_.leaf_depth();
  if (page.leaf()) {
    if (known < 0) {
      s_.set_leaf_depth(static_cast<int>(depth));
    } else if (static_cast<size_t>(known) != depth) {
      return corrupt_at(offset, "leaves at different depths");
    }
  } else if (known >= 0 && depth >= static_cast<size_t>(known)) {
    return corrupt_at(offset, "branch page below the leaf level");
  }
  return {};
}

Status Tree::check_bounds(const PageRef& page, uint32_t offset, const char* lower,
                          const char* upper) {
  unsigned n = page.count();
  if (n == 0) return {};
  uint16_t k = key_size();
  if (lower != nullptr && order().compare(page.key(0), lower, k) < 0)
    return corrupt_at(offset, "keys below their parent key");
  if (upper != nullptr && order().compare(page.key(n - 1), upper, k) > 0)
    return corrupt_at(offset, "keys above their parent key");
  return {};
}

Result<PageRef> Tree::root(Path& path) {
  path.clear();
  uint32_t offset = s_.header().root;
  auto p = s_.page(offset);
  if (!p.ok()) return p;
  NTX_TRY(note_depth(*p, offset, 0));
  path.push_back({offset, 0});
  return p;
}

Result<PageRef> Tree::child(Path& path, unsigned i) {
  auto parent = s_.page(path.back().page);
  if (!parent.ok()) return parent;
  PageRef p = *parent;
  uint32_t c = p.child(i);
  if (c == 0) return corrupt_at(path.back().page, "child missing");
  for (const Frame& f : path)
    if (f.page == c) return corrupt_at(c, "reached twice on one path (a loop)");
  auto page = s_.page(c);
  if (!page.ok()) return page;
  NTX_TRY(
      check_bounds(*page, c, i > 0 ? p.key(i - 1) : nullptr, i < p.count() ? p.key(i) : nullptr));
  NTX_TRY(note_depth(*page, c, path.size()));
  path.back().pos = static_cast<uint16_t>(i);
  path.push_back({c, 0});
  return page;
}

Status Tree::descend(Path& path, std::string_view prefix, bool upper) {
  auto r = root(path);
  if (!r.ok()) return r.status();
  PageRef p = *r;
  size_t len = std::min<size_t>(prefix.size(), key_size());
  for (;;) {
    unsigned lo = 0, hi = p.count();
    while (lo < hi) {
      unsigned mid = (lo + hi) / 2;
      int c = order().compare(p.key(mid), prefix.data(), len);
      if (c < 0 || (upper && c == 0)) {
        lo = mid + 1;
      } else {
        hi = mid;
      }
    }
    path.back().pos = static_cast<uint16_t>(lo);
    if (p.leaf()) return {};
    auto next = child(path, lo);
    if (!next.ok()) return next.status();
    p = *next;
  }
}

Result<bool> Tree::settle_forward(Path& path) {
  for (size_t level = path.size(); level-- > 0;) {
    auto p = at(path[level]);
    if (!p.ok()) return p.status();
    if (path[level].pos < p->count()) {
      path.resize(level + 1);
      return true;
    }
  }
  return false;
}

Result<bool> Tree::settle_backward(Path& path) {
  for (size_t level = path.size(); level-- > 0;) {
    if (path[level].pos > 0) {
      path[level].pos--;
      path.resize(level + 1);
      return true;
    }
  }
  return false;
}

Status Tree::leftmost(Path& path) {
  auto p = at(path.back());
  if (!p.ok()) return p.status();
  PageRef page = *p;
  while (!page.leaf()) {
    auto c = child(path, 0);
    if (!c.ok()) return c.status();
    page = *c;
  }
  path.back().pos = 0;
  return {};
}

Status Tree::rightmost(Path& path) {
  auto p = at(path.back());
  if (!p.ok()) return p.status();
  PageRef page = *p;
  while (!page.leaf()) {
    auto c = child(path, page.count());
    if (!c.ok()) return c.status();
    page = *c;
  }
  path.back().pos = page.count();
  return {};
}

Result<bool> Tree::step_forward(Path& path) {
  auto p = at(path.back());
  if (!p.ok()) return p.status();
  unsigned i = path.back().pos;
  if (!p->leaf()) {
    auto c = child(path, i + 1);
    if (!c.ok()) return c.status();
    NTX_TRY(leftmost(path));
  } else {
    path.back().pos = static_cast<uint16_t>(i + 1);
  }
  return settle_forward(path);
}

Result<bool> Tree::step_backward(Path& path) {
  auto p = at(path.back());
  if (!p.ok()) return p.status();
  unsigned i = path.back().pos;
  if (!p->leaf()) {
    auto c = child(path, i);
    if (!c.ok()) return c.status();
    NTX_TRY(rightmost(path));
  }
  return settle_backward(path);
}

Result<Tree::Where> Tree::locate(Path& path, std::string_view key, uint32_t recno) {
  NTX_TRY(descend(path, key, false));
  auto on = settle_forward(path);
  for (;;) {
    if (!on.ok()) return on.status();
    if (!*on) return Where::kEnd;
    auto p = at(path.back());
    if (!p.ok()) return p.status();
    unsigned i = path.back().pos;
    if (order().compare(p->key(i), key.data(), key_size()) != 0) return Where::kAfter;
    if (p->recno(i) == recno) return Where::kFound;
    on = step_forward(path);
  }
}

Result<uint64_t> Tree::count(uint32_t offset, size_t depth, std::unordered_set<uint32_t>& seen,
                             const char* lower, const char* upper) {
  if (!seen.insert(offset).second)
    return corrupt_at(offset, "reached twice (a loop or a shared page)");
  auto r = s_.page(offset);
  if (!r.ok()) return r.status();
  PageRef p = *r;
  NTX_TRY(note_depth(p, offset, depth));
  NTX_TRY(check_bounds(p, offset, lower, upper));
  unsigned n = p.count();
  uint64_t total = n;
  if (p.leaf()) return total;
  for (unsigned i = 0; i <= n; ++i) {
    auto sub = count(p.child(i), depth + 1, seen, i > 0 ? p.key(i - 1) : nullptr,
                     i < n ? p.key(i) : nullptr);
    if (!sub.ok()) return sub;
    total += *sub;
  }
  return total;
}

}  // namespace codfix::ntx

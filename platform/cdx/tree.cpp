#include "platform/cdx/tree.h"

#include <algorithm>
#include <string>

namespace codfix::cdx {
namespace {

constexpr size_t kMaxDepth = 40;

Status corrupt_at(uint32_t offset, const std::string& what) {
  return Status::corrupt("page " + std::to_string(offset) + ": " + what);
}

}  // namespace

Status Tree::note_depth(const Node& node, uint32_t offset, size_t depth) {
  if (depth > kMaxDepth) return corrupt_at(offset, "tree deeper than any index can be");
  int known = s_.leaf_depth(root_);
  if (node.leaf()) {
    if (known < 0) {
      s_.set_leaf_depth(root_, static_cast<int>(depth));
    } else if (static_cast<size_t>(known) != depth) {
      return corrupt_at(offset, "leaves at different depths");
    }
  } else if (known >= 0 && depth >= static_cast<size_t>(known)) {
    return corrupt_at(offset, "branch page below the leaf level");
  }
  return {};
}

Status Tree::check_bounds(const Node& node, uint32_t offset, Bound lower, Bound upper) {
  if (node.count() == 0) return {};
  if (lower.key != nullptr &&
      rules_.compare(node.key(0), node.recnos[0], lower.key, lower.recno) <= 0)
    return corrupt_at(offset, "keys below their parent entry");
  if (upper.key != nullptr &&
      rules_.compare(node.last_key(), node.last_recno(), upper.key, upper.recno) > 0)
    return corrupt_at(offset, "keys above their parent entry");
  return {};
}

Result<Node*> Tree::root(Path& path) {
  path.clear();
  auto p = s_.page(root_, rules_);
  if (!p.ok()) return p;
  CDX_TRY(note_depth(**p, root_, 0));
  path.push_back({root_, 0});
  return p;
}

Result<Node*> Tree::child(Path& path, unsigned i) {
  auto parent = s_.page(path.back().page, rules_);
  if (!parent.ok()) return parent;
  const Node& p = **parent;
  if (p.leaf() || i >= p.count()) return corrupt_at(path.back().page, "child missing");
  const uint32_t c = p.children[i];
  for (const Frame& f : path)
    if (f.page == c) return corrupt_at(c, "reached twice on one path (a loop)");
  Bound lower, upper{p.key(i), p.recnos[i]};
  if (i > 0) lower = Bound{p.key(i - 1), p.recnos[i - 1]};
  auto page = s_.page(c, rules_);
  if (!page.ok()) return page;
  CDX_TRY(check_bounds(**page, c, lower, upper));
  CDX_TRY(note_depth(**page, c, path.size()));
  path.back().pos = static_cast<uint16_t>(i);
  path.push_back({c, 0});
  return page;
}

Status Tree::descend(Path& path, const Before& before) {
  auto r = root(path);
  if (!r.ok()) return r.status();
  const Node* p = *r;
  for (;;) {
    size_t lo = 0, hi = p->count();
    while (lo < hi) {
      size_t mid = (lo + hi) / 2;
      if (before(p->key(mid), p->recnos[mid])) {
        lo = mid + 1;
      } else {
        hi = mid;
      }
    }
    if (p->leaf()) {
      path.back().pos = static_cast<uint16_t>(lo);
      return {};
    }
    if (lo == p->count()) lo = p->count() - 1;  // past every entry: the last child
    auto next = child(path, static_cast<unsigned>(lo));
    if (!next.ok()) return next.status();
    p = *next;
  }
}

Status Tree::descend_prefix(Path& path, std::string_view prefix, bool upper) {
  const size_t len = std::min<size_t>(prefix.size(), key_size());
  const KeyOrder& order = rules_.order;
  const char* data = prefix.data();
  if (upper)
    return descend(path, [&](const char* k, uint32_t) { return order.compare(k, data, len) <= 0; });
  return descend(path, [&](const char* k, uint32_t) { return order.compare(k, data, len) < 0; });
}

Result<bool> Tree::locate(Path& path, const char* key, uint32_t recno) {
  CDX_TRY(descend(path,
                  [&](const char* k, uint32_t r) { return rules_.compare(k, r, key, recno) < 0; }));
  auto on = settle_forward(path);
  if (!on.ok()) return on;
  if (!*on) return false;
  auto p = at(path.back());
  if (!p.ok()) return p.status();
  const size_t i = path.back().pos;
  return rules_.compare((*p)->key(i), (*p)->recnos[i], key, recno) == 0;
}

Result<bool> Tree::settle_forward(Path& path) {
  for (;;) {
    auto leaf = at(path.back());
    if (!leaf.ok()) return leaf.status();
    if (path.back().pos < (*leaf)->count()) return true;
    // On to the next leaf: up to the first branch with a child after ours.
    size_t level = path.size() - 1;
    bool found = false;
    while (level > 0) {
      --level;
      auto p = at(path[level]);
      if (!p.ok()) return p.status();
      if (path[level].pos + 1u < (*p)->count()) {
        found = true;
        break;
      }
    }
    if (!found) return false;
    const Path old = path;
    path.resize(level + 1);
    auto next = child(path, path[level].pos + 1u);
    if (!next.ok()) return next.status();
    while (!(*next)->leaf()) {
      next = child(path, 0);
      if (!next.ok()) return next.status();
    }
    path.back().pos = 0;
    for (size_t l = level + 1; l < path.size(); ++l) {
      auto a = at(old[l]);
      if (!a.ok()) return a.status();
      auto b = at(path[l]);
      if (!b.ok()) return b.status();
      if ((*a)->right != path[l].page || (*b)->left != old[l].page)
        return corrupt_at(old[l].page, "sibling link disagrees with the parent's order");
    }
  }
}

Result<bool> Tree::settle_backward(Path& path) {
  for (;;) {
    if (path.back().pos > 0) {
      path.back().pos--;
      return true;
    }
    size_t level = path.size() - 1;
    bool found = false;
    while (level > 0) {
      --level;
      if (path[level].pos > 0) {
        found = true;
        break;
      }
    }
    if (!found) return false;
    const Path old = path;
    path.resize(level + 1);
    auto next = child(path, path[level].pos - 1u);
    if (!next.ok()) return next.status();
    while (!(*next)->leaf()) {
      next = child(path, static_cast<unsigned>((*next)->count() - 1));
      if (!next.ok()) return next.status();
    }
    path.back().pos = static_cast<uint16_t>((*next)->count());
    for (size_t l = level + 1; l < path.size(); ++l) {
      auto a = at(old[l]);
      if (!a.ok()) return a.status();
      auto b = at(path[l]);
      if (!b.ok()) return b.status();
      if ((*a)->left != path[l].page || (*b)->right != old[l].page)
        return corrupt_at(old[l].page, "sibling link disagrees with the parent's order");
    }
  }
}

Status Tree::leftmost(Path& path) {
  auto p = root(path);
  if (!p.ok()) return p.status();
  while (!(*p)->leaf()) {
    p = child(path, 0);
    if (!p.ok()) return p.status();
  }
  path.back().pos = 0;
  return {};
}

Status Tree::rightmost(Path& path) {
  auto p = root(path);
  if (!p.ok()) return p.status();
  while (!(*p)->leaf()) {
    p = child(path, static_cast<unsigned>((*p)->count() - 1));
    if (!p.ok()) return p.status();
  }
  path.back().pos = static_cast<uint16_t>((*p)->count());
  return {};
}

Result<uint64_t> Tree::count(uint32_t offset, size_t depth, std::unordered_set<uint32_t>& seen,
                             Bound lower, Bound upper, std::vector<std::vector<uint32_t>>* levels) {
  if (!seen.insert(offset).second)
    return corrupt_at(offset, "reached twice (a loop or a shared page)");
  auto r = s_.page(offset, rules_);
  if (!r.ok()) return r.status();
  const Node* p = *r;
  CDX_TRY(note_depth(*p, offset, depth));
  CDX_TRY(check_bounds(*p, offset, lower, upper));
  if (levels != nullptr) {
    if (levels->size() <= depth) levels->resize(depth + 1);
    (*levels)[depth].push_back(offset);
  }
  if (p->leaf()) return uint64_t{p->count()};
  uint64_t total = 0;
  const size_t n = p->count();
  for (size_t i = 0; i < n; ++i) {
    // The page may leave the cache during the recursion: take what is needed now.
    r = s_.page(offset, rules_);
    if (!r.ok()) return r.status();
    p = *r;
    std::string below = i > 0 ? std::string(p->key(i - 1), key_size()) : std::string();
    std::string above(p->key(i), key_size());
    Bound lo = i > 0 ? Bound{below.data(), p->recnos[i - 1]} : lower;
    Bound hi{above.data(), p->recnos[i]};
    auto sub = count(p->children[i], depth + 1, seen, lo, hi, levels);
    if (!sub.ok()) return sub;
    total += *sub;
  }
  return total;
}

Result<uint64_t> Tree::verify(std::unordered_set<uint32_t>& seen, std::vector<uint32_t>* pages) {
  std::vector<std::vector<uint32_t>> levels;
  auto n = count(root_, 0, seen, Bound{}, Bound{}, &levels);
  if (!n.ok()) return n;
  for (const auto& level : levels) {
    for (size_t i = 0; i < level.size(); ++i) {
      auto p = s_.page(level[i], rules_);
      if (!p.ok()) return p.status();
      const uint32_t want_left = i > 0 ? level[i - 1] : kNoPage;
      const uint32_t want_right = i + 1 < level.size() ? level[i + 1] : kNoPage;
      if ((*p)->left != want_left || (*p)->right != want_right)
        return corrupt_at(level[i], "sibling links disagree with the parent's order");
      if (pages != nullptr) pages->push_back(level[i]);
    }
  }
  return n;
}

}  // namespace codfix::cdx

#include "platform/cdx/tree_update.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace codfix::cdx {
namespace {

// Where the pieces of an overfull leaf begin (the first piece begins at 0).
std::vector<size_t> leaf_cuts(const Node& n, bool edge) {
  const size_t count = n.count();
  const LeafWidths& w = n.widths;
  // first[i]: bytes of entry i at the head of a page; rest[i]: after entry i-1.
  std::vector<size_t> first(count), rest(count);
  for (size_t i = 0; i < count; ++i) {
    first[i] = leaf_bytes(n, i, i + 1, w);
    rest[i] = i == 0 ? first[i] : leaf_bytes(n, i - 1, i + 1, w) - first[i - 1];
  }
  std::vector<size_t> greedy;
  size_t used = 0;
  for (size_t i = 0; i < count; ++i) {
    if (i == 0 || used + rest[i] > kLeafArea) {
      if (i > 0) greedy.push_back(i);
      used = first[i];
    } else {
      used += rest[i];
    }
  }
  if (edge || greedy.size() != 1) return greedy;
  // Two pages: the cut that evens them out best.
  std::vector<size_t> prefix(count + 1, 0);  // prefix[i]: rest[0..i)
  for (size_t i = 0; i < count; ++i) prefix[i + 1] = prefix[i] + rest[i];
  size_t best = greedy[0];
  size_t best_max = SIZE_MAX;
  for (size_t cut = 1; cut < count; ++cut) {
    size_t left = prefix[cut];
    size_t right = first[cut] + prefix[count] - prefix[cut + 1];
    if (left > kLeafArea || right > kLeafArea) continue;
    size_t worst = std::max(left, right);
    if (worst < best_max) {
      best_max = worst;
      best = cut;
    }
  }
  return {best};
}

std::vector<size_t> branch_cuts(size_t count, size_t max, bool edge) {
  std::vector<size_t> cuts;
  if (edge) {
    for (size_t at = max; at < count; at += max) cuts.push_back(at);
    return cuts;
  }
  const size_t pages = (count + max - 1) / max;
  for (size_t j = 1; j < pages; ++j) cuts.push_back(count * j / pages);
  return cuts;
}

bool same_entry(const Node& a, size_t i, const char* key, uint32_t recno) {
  return a.recnos[i] == recno && std::memcmp(a.key(i), key, a.key_size) == 0;
}

}  // namespace

bool TreeUpdate::fits(const Node& n) const {
  if (n.leaf()) return leaf_bytes(n, 0, n.count(), n.widths) <= kLeafArea;
  return n.count() <= max_branch_entries(n.key_size);
}

Result<bool> TreeUpdate::insert(const char* key, uint32_t recno, bool unique) {
  Path path;
  const uint16_t k = t_.key_size();
  if (unique) {
    CDX_TRY(t_.descend_prefix(path, std::string_view(key, k), false));
    auto on = t_.settle_forward(path);
    if (!on.ok()) return on.status();
    if (*on) {
      auto p = t_.at(path.back());
      if (!p.ok()) return p.status();
      if (t_.rules().order.compare((*p)->key(path.back().pos), key, k) == 0) return false;
    }
  }
  auto found = t_.locate(path, key, recno);
  if (!found.ok()) return found.status();
  if (*found) return false;
  Node* leaf = s_.modify(path.back().page);
  const size_t pos = path.back().pos;
  const bool edge = pos == leaf->count() && leaf->right == kNoPage;
  leaf->insert(pos, key, recno);
  leaf->widths = widen(leaf->widths, recno);
  CDX_TRY(fix(path, path.size() - 1, edge, false));
  return true;
}

Result<bool> TreeUpdate::remove(const char* key, uint32_t recno) {
  Path path;
  auto found = t_.locate(path, key, recno);
  if (!found.ok()) return found.status();
  if (!*found) return false;
  Node* leaf = s_.modify(path.back().page);
  leaf->erase(path.back().pos);
  CDX_TRY(fix(path, path.size() - 1, false, true));
  return true;
}

Status TreeUpdate::fix(Path& path, size_t level, bool edge, bool shrank) {
  Node* n = s_.modify(path[level].page);
  if (n->count() == 0) return remove_empty(path, level);
  if (!fits(*n)) return split(path, level, edge);
  if (level == 0) return shrank ? collapse_root() : Status();
  CDX_TRY(update_parents(path, level));
  return shrank ? try_join(path, level) : Status();
}

Status TreeUpdate::update_parents(const Path& path, size_t level) {
  for (size_t l = level; l > 0; --l) {
    auto c = t_.at(path[l]);
    if (!c.ok()) return c.status();
    const Node& child = **c;
    auto p = t_.at(path[l - 1]);
    if (!p.ok()) return p.status();
    const size_t ci = path[l - 1].pos;
    if (same_entry(**p, ci, child.last_key(), child.last_recno())) break;
    Node* parent = s_.modify(path[l - 1].page);
    parent->set_entry(ci, child.last_key(), child.last_recno());
    if (ci + 1 != parent->count()) break;
  }
  return {};
}

Status TreeUpdate::split_root(Path& path) {
  const uint32_t root = path[0].page;
  Node* r = s_.modify(root);
  auto fresh = s_.allocate(t_.rules(), static_cast<uint16_t>(r->attr & ~kAttrRoot));
  if (!fresh.ok()) return fresh.status();
  Node* x = s_.modify(*fresh);
  x->widths = r->widths;
  x->append_from(*r, 0, r->count());
  r->clear_entries();
  r->attr = kAttrRoot;
  r->left = kNoPage;
  r->right = kNoPage;
  r->insert(0, x->last_key(), x->last_recno(), *fresh);
  path.insert(path.begin() + 1, Frame{*fresh, path[0].pos});
  path[0].pos = 0;
  s_.set_leaf_depth(root, -1);
  return {};
}

Status TreeUpdate::split(Path& path, size_t level, bool edge) {
  if (level == 0) {
    CDX_TRY(split_root(path));
    level = 1;
  }
  Node* n = s_.modify(path[level].page);
  const std::vector<size_t> cuts =
      n->leaf() ? leaf_cuts(*n, edge)
                : branch_cuts(n->count(), max_branch_entries(n->key_size), edge);
  const Node all = *n;
  n->clear_entries();
  n->append_from(all, 0, cuts.front());
  Node* parent = s_.modify(path[level - 1].page);
  const size_t ci = path[level - 1].pos;
  parent->set_entry(ci, n->last_key(), n->last_recno());
  uint32_t prev = path[level].page;
  for (size_t j = 0; j < cuts.size(); ++j) {
    const size_t from = cuts[j];
    const size_t to = j + 1 < cuts.size() ? cuts[j + 1] : all.count();
    auto fresh = s_.allocate(t_.rules(), static_cast<uint16_t>(all.attr & ~kAttrRoot));
    if (!fresh.ok()) return fresh.status();
    Node* f = s_.modify(*fresh);
    f->widths = all.widths;
    f->append_from(all, from, to);
    CDX_TRY(link_after(prev, *fresh));
    parent->insert(ci + 1 + j, f->last_key(), f->last_recno(), *fresh);
    prev = *fresh;
  }
  path.resize(level);
  return fix(path, level - 1, edge, false);
}

Status TreeUpdate::link_after(uint32_t left, uint32_t fresh) {
  Node* l = s_.modify(left);
  Node* f = s_.modify(fresh);
  f->left = left;
  f->right = l->right;
  if (l->right != kNoPage) {
    auto r = s_.page(l->right, t_.rules());
    if (!r.ok()) return r.status();
    s_.modify(l->right)->left = fresh;
  }
  l->right = fresh;
  return {};
}

Status TreeUpdate::unlink(uint32_t offset) {
  auto p = s_.page(offset, t_.rules());
  if (!p.ok()) return p.status();
  const uint32_t left = (*p)->left, right = (*p)->right;
  if (left != kNoPage) {
    auto l = s_.page(left, t_.rules());
    if (!l.ok()) return l.status();
    s_.modify(left)->right = right;
  }
  if (right != kNoPage) {
    auto r = s_.page(right, t_.rules());
    if (!r.ok()) return r.status();
    s_.modify(right)->left = left;
  }
  return {};
}

Status TreeUpdate::remove_empty(Path& path, size_t level) {
  if (level == 0) {
    Node* r = s_.modify(path[0].page);
    r->reset(t_.rules(), kAttrRoot | kAttrLeaf);
    r->widths = leaf_widths(t_.key_size(), 0);
    s_.set_leaf_depth(path[0].page, -1);
    return {};
  }
  const uint32_t offset = path[level].page;
  CDX_TRY(unlink(offset));
  Node* parent = s_.modify(path[level - 1].page);
  parent->erase(path[level - 1].pos);
  s_.release(offset);
  path.resize(level);
  if (parent->count() > 0 && path.back().pos >= parent->count())
    path.back().pos = static_cast<uint16_t>(parent->count() - 1);
  return fix(path, level - 1, false, true);
}

Status TreeUpdate::try_join(Path& path, size_t level) {
  auto p = t_.at(path[level - 1]);
  if (!p.ok()) return p.status();
  const Node& parent_view = **p;
  const size_t ci = path[level - 1].pos;
  // Join the pair (ci, ci + 1) or (ci - 1, ci) under the same parent.
  for (int side = 0; side < 2; ++side) {
    size_t left_i = side == 0 ? ci : ci - 1;
    if (side == 0 && ci + 1 >= parent_view.count()) continue;
    if (side == 1 && ci == 0) continue;
    const uint32_t left_off = parent_view.children[left_i];
    const uint32_t right_off = parent_view.children[left_i + 1];
    auto l = s_.page(left_off, t_.rules());
    if (!l.ok()) return l.status();
    auto r = s_.page(right_off, t_.rules());
    if (!r.ok()) return r.status();
    if ((*l)->right != right_off || (*r)->left != left_off)
      return Status::corrupt("page " + std::to_string(left_off) +
                             ": sibling link disagrees with the parent's order");
    Node joined = **l;
    joined.append_from(**r, 0, (*r)->count());
    if (joined.leaf()) {
      for (uint32_t recno : (*r)->recnos) joined.widths = widen(joined.widths, recno);
    }
    if (!fits(joined)) continue;
    CDX_TRY(unlink(right_off));
    Node* target = s_.modify(left_off);
    const uint32_t link_right = target->right;
    *target = std::move(joined);
    target->right = link_right;
    Node* parent = s_.modify(path[level - 1].page);
    parent->erase(left_i + 1);
    parent->set_entry(left_i, target->last_key(), target->last_recno());
    s_.release(right_off);
    path.resize(level);
    path.back().pos = static_cast<uint16_t>(left_i);
    return fix(path, level - 1, false, true);
  }
  return {};
}

Status TreeUpdate::collapse_root() {
  const uint32_t root = t_.root_offset();
  for (;;) {
    auto r = s_.page(root, t_.rules());
    if (!r.ok()) return r.status();
    if ((*r)->leaf() || (*r)->count() != 1) return {};
    const uint32_t only = (*r)->children[0];
    auto c = s_.page(only, t_.rules());
    if (!c.ok()) return c.status();
    const Node child = **c;
    Node* top = s_.modify(root);
    top->reset(t_.rules(), static_cast<uint16_t>(child.attr | kAttrRoot));
    top->widths = child.widths;
    top->append_from(child, 0, child.count());
    s_.release(only);
    s_.set_leaf_depth(root, -1);
  }
}

}  // namespace codfix::cdx

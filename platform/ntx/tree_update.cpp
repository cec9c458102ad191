#include "platform/ntx/tree_update.h"

#include <string>
#include <vector>

#include "platform/ntx/balance.h"

namespace codfix::ntx {
namespace {

struct OwnedItem {
  uint32_t child;
  uint32_t recno;
  std::string key;
};

}  // namespace

Result<bool> TreeUpdate::insert(std::string_view key, uint32_t recno, bool unique) {
  Path path;
  if (unique) {
    NTX_TRY(tree_.descend(path, key, false));
    auto on = tree_.settle_forward(path);
    if (!on.ok()) return on.status();
    if (*on) {
      auto p = tree_.at(path.back());
      if (!p.ok()) return p.status();
      if (tree_.order().compare(p->key(path.back().pos), key.data(), key.size()) == 0) return false;
    }
  }
  NTX_TRY(tree_.descend(path, key, true));
  std::string item_key(key);
  NTX_TRY(insert_at(path, path.size() - 1, Item{0, recno, nullptr}, item_key));
  return true;
}

Status TreeUpdate::insert_at(Path& path, size_t level, Item item, std::string& item_key) {
  const Geometry g = s_.geometry();
  const unsigned m = g.max_items;
  for (;;) {
    item.key = item_key.data();
    const Frame f = path[level];
    PageRef page = s_.modify(f.page);
    const unsigned n = page.count();
    if (n < m) {
      page.insert(f.pos, item);
      return {};
    }
    if (level > 0) {
      // Even out with a sibling when the two hold at most 2(M-1) keys.
      const Frame pf = path[level - 1];
      PageRef parent = s_.modify(pf.page);
      const unsigned ci = pf.pos;
      const bool page_is_left = ci < parent.count();
      if (page_is_left || ci > 0) {
        const unsigned sep = page_is_left ? ci : ci - 1;
        const uint32_t sib_offset = parent.child(page_is_left ? ci + 1 : ci - 1);
        auto sib = s_.page(sib_offset);
        if (!sib.ok()) return sib.status();
        if (sib->count() + 2u <= m) {
          PageRef sibling = s_.modify(sib_offset);
          if (page_is_left) {
            balance(page, sibling, parent, sep);
            const unsigned nl = page.count();
            if (f.pos <= nl) {
              page.insert(f.pos, item);
            } else {
              sibling.insert(f.pos - nl - 1, item);
            }
          } else {
            const unsigned old_left = sibling.count();
            balance(sibling, page, parent, sep);
            const unsigned moved = sibling.count() - old_left;
            if (f.pos >= moved) {
              page.insert(f.pos - moved, item);
            } else {
              sibling.insert(old_left + 1 + f.pos, item);
            }
          }
          return {};
        }
      }
    }
    // Split: M + 1 keys in order; the first half to a new left page, the next up.
    std::vector<OwnedItem> items;
    items.reserve(m + 1);
    for (unsigned i = 0; i < n; ++i) {
      if (i == f.pos) items.push_back({item.child, item.recno, item_key});
      items.push_back({page.child(i), page.recno(i), std::string(page.key(i), g.key_size)});
    }
    if (f.pos >= n) items.push_back({item.child, item.recno, item_key});
    const uint32_t right_child = page.child(n);
    const unsigned half = (m + 1) / 2;

    auto fresh = s_.allocate();
    if (!fresh.ok()) return fresh.status();
    PageRef left = s_.modify(*fresh);
    for (unsigned i = 0; i < half; ++i)
      left.set_entry_item(i, Item{items[i].child, items[i].recno, items[i].key.data()});
    left.set_child(half, items[half].child);
    left.set_count(static_cast<uint16_t>(half));

    page = s_.modify(f.page);
    const unsigned rest = m - half;
    for (unsigned j = 0; j < rest; ++j) {
      const OwnedItem& it = items[half + 1 + j];
      page.set_entry_item(j, Item{it.child, it.recno, it.key.data()});
    }
    page.set_child(rest, right_child);
    page.set_count(static_cast<uint16_t>(rest));

    item_key = items[half].key;
    item = Item{*fresh, items[half].recno, nullptr};
    if (level == 0) {
      auto root = s_.allocate();
      if (!root.ok()) return root.status();
      PageRef r = s_.modify(*root);
      r.set_entry_item(0, Item{item.child, item.recno, item_key.data()});
      r.set_child(1, f.page);
      r.set_count(1);
      s_.set_root(*root);
      return {};
    }
    --level;
  }
}

Result<bool> TreeUpdate::remove(std::string_view key, uint32_t recno) {
  Path path;
  auto where = tree_.locate(path, key, recno);
  if (!where.ok()) return where.status();
  if (*where != Tree::Where::kFound) return false;

  auto top = tree_.at(path.back());
  if (!top.ok()) return top.status();
  if (!top->leaf()) {
    // Replace the entry with its in-order predecessor, then remove that from its leaf.
    const size_t level = path.size() - 1;
    const unsigned i = path.back().pos;
    auto c = tree_.child(path, i);
    if (!c.ok()) return c.status();
    NTX_TRY(tree_.rightmost(path));
    PageRef leaf = s_.modify(path.back().page);
    const unsigned ln = leaf.count();
    if (ln == 0)
      return Status::corrupt("page " + std::to_string(path.back().page) + ": empty leaf");
    s_.modify(path[level].page).set_entry_key(i, leaf.recno(ln - 1), leaf.key(ln - 1));
    path.back().pos = static_cast<uint16_t>(ln - 1);
  }
  s_.modify(path.back().page).remove(path.back().pos);
  NTX_TRY(fix_underflow(path));
  return true;
}

Status TreeUpdate::fix_underflow(Path& path) {
  const Geometry g = s_.geometry();
  for (size_t level = path.size() - 1; level > 0; --level) {
    PageRef page = s_.modify(path[level].page);
    if (page.count() >= g.half()) break;
    const Frame pf = path[level - 1];
    PageRef parent = s_.modify(pf.page);
    const unsigned ci = pf.pos;
    if (parent.count() == 0) break;
    const bool page_is_left = ci < parent.count();
    const unsigned sep = page_is_left ? ci : ci - 1;
    const uint32_t left_offset = page_is_left ? path[level].page : parent.child(ci - 1);
    const uint32_t right_offset = page_is_left ? parent.child(ci + 1) : path[level].page;
    const uint32_t sib_offset = page_is_left ? right_offset : left_offset;
    auto sib = s_.page(sib_offset);
    if (!sib.ok()) return sib.status();
    PageRef left = s_.modify(left_offset);
    PageRef right = s_.modify(right_offset);
    if (left.count() + right.count() < g.max_items) {
      join(left, right, parent, sep);
      parent.remove(sep);
      parent.set_child(sep, left_offset);
      s_.release(right_offset);
    } else {
      balance(left, right, parent, sep);
      break;
    }
  }
  const uint32_t root_offset = s_.header().root;
  auto root = s_.page(root_offset);
  if (!root.ok()) return root.status();
  if (root->count() == 0 && root->child(0) != 0) {
    s_.set_root(root->child(0));
    s_.release(root_offset);
  }
  return {};
}

}  // namespace codfix::ntx

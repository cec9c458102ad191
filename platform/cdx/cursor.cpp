#include "platform/cdx/cursor.h"

#include <algorithm>
#include <unordered_set>

#include "platform/cdx/page_store.h"

namespace codfix::cdx {

// The cursor's operations, each run inside one PageStore operation. Moves are
// made in tree order; a descending tag maps its walk onto them reversed.
class CursorOps {
 public:
  explicit CursorOps(Cursor& c) : c_(c), tree_(c.tag_->tree()), desc_(c.tag_->descending()) {}

  template <typename F>
  auto run(F&& body) -> decltype(body()) {
    Status alive = c_.tag_->check_alive();
    if (!alive.ok()) return fail(alive);
    PageStore& s = tree_.store();
    Status b = s.begin(LockMode::kShared);
    if (!b.ok()) return fail(b);
    auto r = body();
    Status outcome;
    if constexpr (std::is_same_v<decltype(r), Status>) {
      outcome = r;
    } else {
      if (!r.ok()) outcome = r.status();
    }
    Status e = s.end(outcome);
    if (!e.ok()) return fail(e);
    return r;
  }

  Status fail(const Status& s) {
    c_.state_ = Cursor::State::kEof;
    c_.path_.clear();
    c_.key_.clear();
    c_.recno_ = 0;
    return s;
  }

  // Takes the entry at the end of the path as the current one, or the end state.
  Status settle(Result<bool> on, Cursor::State otherwise) {
    if (!on.ok()) return fail(on.status());
    if (!*on) {
      c_.state_ = otherwise;
      c_.path_.clear();
      c_.key_.clear();
      c_.recno_ = 0;
      return {};
    }
    auto p = tree_.at(c_.path_.back());
    if (!p.ok()) return fail(p.status());
    const size_t i = c_.path_.back().pos;
    c_.key_.assign((*p)->key(i), tree_.key_size());
    c_.recno_ = (*p)->recnos[i];
    c_.state_ = Cursor::State::kOnKey;
    c_.generation_ = tree_.store().generation();
    return {};
  }

  Result<bool> tree_first() {
    CDX_TRY(tree_.leftmost(c_.path_));
    return tree_.settle_forward(c_.path_);
  }
  Result<bool> tree_last() {
    CDX_TRY(tree_.rightmost(c_.path_));
    return tree_.settle_backward(c_.path_);
  }

  Status first() { return settle(desc_ ? tree_last() : tree_first(), Cursor::State::kEof); }
  Status last() { return settle(desc_ ? tree_first() : tree_last(), Cursor::State::kBof); }

  // Brings the path up to date: true when it is on the current entry, false when
  // the entry went away and the path is at the gap where it would be.
  Result<bool> resync() {
    if (c_.generation_ == tree_.store().generation() && !c_.path_.empty()) return true;
    std::string key = c_.key_;
    return tree_.locate(c_.path_, key.data(), c_.recno_);
  }

  // One step in tree order from the current entry (or from where it was).
  Result<bool> tree_step(bool forward) {
    auto on = resync();
    if (!on.ok()) return on;
    if (!forward) return tree_.settle_backward(c_.path_);
    if (*on) c_.path_.back().pos++;
    return tree_.settle_forward(c_.path_);
  }

  Status next() {
    if (c_.state_ == Cursor::State::kBof) return first();
    if (c_.state_ == Cursor::State::kEof) return {};
    return settle(tree_step(!desc_), Cursor::State::kEof);
  }

  Status prev() {
    if (c_.state_ == Cursor::State::kEof) return last();
    if (c_.state_ == Cursor::State::kBof) return {};
    return settle(tree_step(desc_), Cursor::State::kBof);
  }

  bool matches(std::string_view prefix) const {
    const size_t len = std::min<size_t>(prefix.size(), tree_.key_size());
    return c_.state_ == Cursor::State::kOnKey &&
           tree_.rules().order.compare(c_.key_.data(), prefix.data(), len) == 0;
  }

  // The first (`upper` false) or last (`upper` true) key in tree order that
  // begins with the prefix, or, when none does, the key after (before) it.
  Result<bool> tree_seek(std::string_view prefix, bool upper) {
    CDX_TRY(tree_.descend_prefix(c_.path_, prefix, upper));
    return upper ? tree_.settle_backward(c_.path_) : tree_.settle_forward(c_.path_);
  }

  Result<bool> seek(std::string_view prefix, bool last) {
    // In the tag's order the first match is the tree's first (ascending) or last
    // (descending) one.
    const bool first_upper = desc_;
    if (last) {
      CDX_TRY(settle(tree_seek(prefix, !first_upper), Cursor::State::kEof));
      if (matches(prefix)) return true;
    }
    CDX_TRY(settle(tree_seek(prefix, first_upper), Cursor::State::kEof));
    return matches(prefix);
  }

  Result<bool> find(std::string_view key, uint32_t recno) {
    if (key.size() != tree_.key_size()) return Status::invalid("key of the wrong size");
    auto found = tree_.locate(c_.path_, key.data(), recno);
    if (!found.ok()) return fail(found.status());
    if (*found) {
      CDX_TRY(settle(true, Cursor::State::kEof));
      return true;
    }
    auto s = seek(key, false);
    if (!s.ok()) return s;
    return false;
  }

  // Keys under child `i` of `parent` (at `depth`), its keys bounded by the parent
  // entries around it; `seen` holds the pages already counted.
  Result<uint64_t> subtree(const Node& parent, size_t i, size_t depth,
                           std::unordered_set<uint32_t>& seen) {
    Tree::Bound lower, upper{parent.key(i), parent.recnos[i]};
    if (i > 0) lower = Tree::Bound{parent.key(i - 1), parent.recnos[i - 1]};
    return tree_.count(parent.children[i], depth, seen, lower, upper);
  }

  Result<uint64_t> total() {
    std::unordered_set<uint32_t> seen;
    return tree_.count(tree_.root_offset(), 0, seen, Tree::Bound{}, Tree::Bound{});
  }

  Result<uint64_t> position() {
    if (c_.state_ != Cursor::State::kOnKey) return uint64_t{0};
    auto on = resync();
    if (!on.ok()) return fail(on.status());
    if (!*on) {
      CDX_TRY(settle(desc_ ? tree_.settle_backward(c_.path_) : tree_.settle_forward(c_.path_),
                     Cursor::State::kEof));
      if (c_.state_ != Cursor::State::kOnKey) return uint64_t{0};
    }
    uint64_t before = 0;
    std::unordered_set<uint32_t> seen;  // subtrees before the path never share a page
    for (size_t level = 0; level + 1 < c_.path_.size(); ++level) {
      auto p = tree_.at(c_.path_[level]);
      if (!p.ok()) return fail(p.status());
      for (size_t i = 0; i < c_.path_[level].pos; ++i) {
        auto n = subtree(**p, i, level + 1, seen);
        if (!n.ok()) return fail(n.status());
        before += *n;
      }
    }
    const uint64_t at = before + c_.path_.back().pos + 1;
    if (!desc_) return at;
    auto all = total();
    if (!all.ok()) return fail(all.status());
    if (*all < at) return fail(Status::corrupt("tag counts fewer keys than lie before one"));
    return *all - at + 1;
  }

  Result<bool> go_to(uint64_t n) {
    if (desc_ && n > 0) {
      auto all = total();
      if (!all.ok()) return fail(all.status());
      n = n <= *all ? *all - n + 1 : 0;
    }
    auto r = tree_.root(c_.path_);
    if (!r.ok()) return fail(r.status());
    const Node* page = *r;
    uint64_t remaining = n;
    while (remaining > 0) {
      if (page->leaf()) {
        if (remaining > page->count()) break;
        c_.path_.back().pos = static_cast<uint16_t>(remaining - 1);
        CDX_TRY(settle(true, Cursor::State::kEof));
        return true;
      }
      bool descended = false;
      for (size_t i = 0; i < page->count() && !descended; ++i) {
        std::unordered_set<uint32_t> seen;
        auto sub = subtree(*page, i, c_.path_.size(), seen);
        if (!sub.ok()) return fail(sub.status());
        if (remaining <= *sub) {
          auto next = tree_.child(c_.path_, static_cast<unsigned>(i));
          if (!next.ok()) return fail(next.status());
          page = *next;
          descended = true;
        } else {
          remaining -= *sub;
        }
      }
      if (!descended) break;
    }
    CDX_TRY(settle(false, Cursor::State::kEof));
    return false;
  }

 private:
  Cursor& c_;
  Tree tree_;
  bool desc_;
};

Status Cursor::first() {
  CursorOps ops(*this);
  return ops.run([&] { return ops.first(); });
}
Status Cursor::last() {
  CursorOps ops(*this);
  return ops.run([&] { return ops.last(); });
}
Status Cursor::next() {
  CursorOps ops(*this);
  return ops.run([&] { return ops.next(); });
}
Status Cursor::prev() {
  CursorOps ops(*this);
  return ops.run([&] { return ops.prev(); });
}
Result<bool> Cursor::seek(std::string_view prefix, bool last) {
  CursorOps ops(*this);
  return ops.run([&] { return ops.seek(prefix, last); });
}
Result<bool> Cursor::find(std::string_view key, uint32_t recno) {
  CursorOps ops(*this);
  return ops.run([&] { return ops.find(key, recno); });
}
Result<uint64_t> Cursor::position() {
  CursorOps ops(*this);
  return ops.run([&] { return ops.position(); });
}
Result<bool> Cursor::go_to_position(uint64_t n) {
  CursorOps ops(*this);
  return ops.run([&] { return ops.go_to(n); });
}

}  // namespace codfix::cdx

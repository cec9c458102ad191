#include "platform/ntx/cursor.h"

#include <unordered_set>

#include "platform/ntx/page_store.h"
#include "platform/ntx/tree.h"

namespace codfix::ntx {

// The cursor's operations, each run inside one PageStore operation.
class CursorOps {
 public:
  explicit CursorOps(Cursor& c) : c_(c), tree_(c.index_->store()) {}

  template <typename F>
  auto run(F&& body) -> decltype(body()) {
    PageStore& s = tree_.store();
    Status b = s.begin(LockMode::kShared);
    if (!b.ok()) return b;
    auto r = body();
    Status e = s.end(status_of(r));
    if (!e.ok()) {
      c_.state_ = Cursor::State::kEof;
      c_.path_.clear();
      return e;
    }
    return r;
  }

  // Takes the key at the end of the path as the current entry, or the end state.
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
    unsigned i = c_.path_.back().pos;
    c_.key_.assign(p->key(i), tree_.key_size());
    c_.recno_ = p->recno(i);
    c_.state_ = Cursor::State::kOnKey;
    c_.generation_ = tree_.store().generation();
    return {};
  }

  Status fail(const Status& s) {
    c_.state_ = Cursor::State::kEof;
    c_.path_.clear();
    c_.key_.clear();
    c_.recno_ = 0;
    return s;
  }

  Status first() {
    auto r = tree_.root(c_.path_);
    if (!r.ok()) return fail(r.status());
    Status s = tree_.leftmost(c_.path_);
    if (!s.ok()) return fail(s);
    return settle(tree_.settle_forward(c_.path_), Cursor::State::kEof);
  }

  Status last() {
    auto r = tree_.root(c_.path_);
    if (!r.ok()) return fail(r.status());
    Status s = tree_.rightmost(c_.path_);
    if (!s.ok()) return fail(s);
    return settle(tree_.settle_backward(c_.path_), Cursor::State::kBof);
  }

  using Where = Tree::Where;
  Result<Where> locate(std::string_view key, uint32_t recno) {
    return tree_.locate(c_.path_, key, recno);
  }

  // Brings the path up to date after the index changed; the entry may be gone.
  Result<Where> resync() {
    if (c_.generation_ == tree_.store().generation() && !c_.path_.empty()) return Where::kFound;
    std::string key = c_.key_;
    return locate(key, c_.recno_);
  }

  Status next() {
    if (c_.state_ == Cursor::State::kBof) return first();
    if (c_.state_ == Cursor::State::kEof) return {};
    auto w = resync();
    if (!w.ok()) return fail(w.status());
    if (*w == Where::kEnd) return settle(false, Cursor::State::kEof);
    if (*w == Where::kAfter) return settle(true, Cursor::State::kEof);
    return settle(tree_.step_forward(c_.path_), Cursor::State::kEof);
  }

  Status prev() {
    if (c_.state_ == Cursor::State::kEof) return last();
    if (c_.state_ == Cursor::State::kBof) return {};
    auto w = resync();
    if (!w.ok()) return fail(w.status());
    if (*w == Where::kEnd) return last();
    return settle(tree_.step_backward(c_.path_), Cursor::State::kBof);
  }

  Result<bool> seek(std::string_view prefix, bool last) {
    size_t len = std::min<size_t>(prefix.size(), tree_.key_size());
    if (last) {
      NTX_TRY(tree_.descend(c_.path_, prefix, true));
      auto on = tree_.settle_backward(c_.path_);
      if (!on.ok()) return fail(on.status());
      if (*on) {
        auto p = tree_.at(c_.path_.back());
        if (!p.ok()) return fail(p.status());
        if (tree_.order().compare(p->key(c_.path_.back().pos), prefix.data(), len) == 0) {
          NTX_TRY(settle(true, Cursor::State::kEof));
          return true;
        }
      }
    }
    Status d = tree_.descend(c_.path_, prefix, false);
    if (!d.ok()) return fail(d);
    NTX_TRY(settle(tree_.settle_forward(c_.path_), Cursor::State::kEof));
    return c_.state_ == Cursor::State::kOnKey &&
           tree_.order().compare(c_.key_.data(), prefix.data(), len) == 0;
  }

  Result<bool> find(std::string_view key, uint32_t recno) {
    if (key.size() != tree_.key_size()) return Status::invalid("key of the wrong size");
    auto w = locate(key, recno);
    if (!w.ok()) return fail(w.status());
    NTX_TRY(settle(*w != Where::kEnd, Cursor::State::kEof));
    return *w == Where::kFound;
  }

  Result<uint64_t> position() {
    if (c_.state_ != Cursor::State::kOnKey) return uint64_t{0};
    auto w = resync();
    if (!w.ok()) return fail(w.status());
    if (*w == Where::kEnd) {
      NTX_TRY(settle(false, Cursor::State::kEof));
      return uint64_t{0};
    }
    NTX_TRY(settle(true, Cursor::State::kEof));
    std::unordered_set<uint32_t> seen;
    uint64_t before = 0;
    for (size_t level = 0; level < c_.path_.size(); ++level) {
      const Frame& f = c_.path_[level];
      auto p = tree_.at(f);
      if (!p.ok()) return fail(p.status());
      PageRef page = *p;
      bool top = level + 1 == c_.path_.size();
      unsigned children = top ? f.pos + 1u : f.pos;  // subtrees wholly before the entry
      if (!page.leaf()) {
        for (unsigned c = 0; c < children; ++c) {
          auto n = tree_.count(page.child(c), level + 1, seen, c > 0 ? page.key(c - 1) : nullptr,
                               page.key(c));
          if (!n.ok()) return fail(n.status());
          before += *n;
        }
      }
      before += f.pos;
    }
    return before + 1;
  }

  Result<bool> go_to(uint64_t n) {
    auto r = tree_.root(c_.path_);
    if (!r.ok()) return fail(r.status());
    PageRef page = *r;
    uint64_t remaining = n;
    std::unordered_set<uint32_t> seen;
    while (remaining > 0) {
      unsigned count = page.count();
      if (page.leaf()) {
        if (remaining > count) break;
        c_.path_.back().pos = static_cast<uint16_t>(remaining - 1);
        NTX_TRY(settle(true, Cursor::State::kEof));
        return true;
      }
      bool descended = false;
      for (unsigned c = 0; c <= count && !descended; ++c) {
        auto sub =
            tree_.count(page.child(c), c_.path_.size(), seen, c > 0 ? page.key(c - 1) : nullptr,
                        c < count ? page.key(c) : nullptr);
        if (!sub.ok()) return fail(sub.status());
        if (remaining <= *sub) {
          auto next = tree_.child(c_.path_, c);
          if (!next.ok()) return fail(next.status());
          page = *next;
          seen.clear();
          descended = true;
        } else {
          remaining -= *sub;
          if (c < count) {
            if (remaining == 1) {
              c_.path_.back().pos = static_cast<uint16_t>(c);
              NTX_TRY(settle(true, Cursor::State::kEof));
              return true;
            }
            --remaining;
          }
        }
      }
      if (!descended) break;
    }
    NTX_TRY(settle(false, Cursor::State::kEof));
    return false;
  }

 private:
  static Status status_of(const Status& s) { return s; }
  template <typename T>
  static Status status_of(const Result<T>& r) {
    return r.ok() ? Status() : r.status();
  }

  Cursor& c_;
  Tree tree_;
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

}  // namespace codfix::ntx

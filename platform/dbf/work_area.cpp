#include "platform/dbf/work_area.h"

#include "lib/core/runtime.h"
#include "platform/dbf/key_plan.h"
#include "platform/dbf/table_errors.h"
#include "platform/dbf/work_areas.h"

namespace codfix::dbf {

namespace {

constexpr uint32_t kScanBytes = 1 << 20;

bool deleted_hidden() {
  return Runtime::current().settings.deleted;
}

}  // namespace

WorkArea::WorkArea(WorkAreas& areas, int number, std::unique_ptr<Table> table, std::string alias)
    : areas_(areas), number_(number), table_(std::move(table)), alias_(std::move(alias)) {
  table_->set_observer(this);
}

WorkArea::~WorkArea() {
  if (table_) close();
}

bool WorkArea::raise(const Failure& f) {
  if (!f) return true;
  raise_failure(f, subsystem());
  return false;
}

bool WorkArea::close() {
  if (!table_) return true;
  Failure f;
  {
    WorkAreas::Selected s(areas_, number_);
    f = table_->close();
  }
  orders_.clear();
  table_->set_observer(nullptr);
  table_.reset();
  if (f) {
    raise_failure(f, "DBFNTX");
    return false;
  }
  return true;
}

// ---------------------------------------------------------------------------
// Visibility and positioning

bool WorkArea::evaluate_condition(const expr::ExpressionPtr& e) {
  Value v = e->eval();
  return v.is_logical() && v.logical();
}

bool WorkArea::visible() {
  if (table_->at_phantom()) return false;
  if (deleted_hidden() && table_->deleted()) return false;
  if (filter_) return evaluate_condition(filter_);
  return true;
}

bool WorkArea::load(uint32_t recno) {
  return raise(table_->go(recno));
}

void WorkArea::on_phantom() {
  uint32_t n = table_->known_count();
  if (!table_->at_phantom()) load(n + 1);
  eof_ = true;
}

uint32_t WorkArea::record_count() {
  uint32_t n = 0;
  raise(table_->count(n));
  return n;
}

bool WorkArea::go_to(uint32_t recno) {
  WorkAreas::Selected s(areas_, number_);
  found_ = false;
  synced_ = false;
  bool ok = load(recno);
  eof_ = table_->at_phantom();
  bof_ = eof_ && table_->known_count() == 0;
  return ok;
}

Failure WorkArea::sync_cursor() {
  Order* o = order(active_);
  if (!o || table_->at_phantom()) return {};
  if (synced_ && o->recno() == table_->recno()) return {};
  std::string key;
  if (Failure f = o->eval_key(key)) return f;
  bool found = false;
  if (Failure f = o->find(key, table_->recno(), found)) return f;
  synced_ = true;
  return {};
}

// From the record under the active order's cursor (or the current record in
// natural order), moves forward to the first visible record; eof when none.
bool WorkArea::settle_forward() {
  Order* o = order(active_);
  for (;;) {
    if (o) {
      if (o->eof()) {
        on_phantom();
        return true;
      }
      if (!load(o->recno())) return false;
      synced_ = true;
    } else if (table_->at_phantom()) {
      eof_ = true;
      return true;
    }
    if (visible()) {
      eof_ = false;
      return true;
    }
    if (o) {
      if (!raise(o->next())) return false;
    } else if (!load(table_->recno() + 1)) {
      return false;
    }
  }
}

// As settle_forward(), backwards; false in `*before` when the top was passed.
bool WorkArea::settle_backward() {
  Order* o = order(active_);
  for (;;) {
    if (o) {
      if (o->bof() || o->eof()) {
        bof_ = true;
        return true;
      }
      if (!load(o->recno())) return false;
      synced_ = true;
    } else if (table_->recno() == 0 || table_->at_phantom()) {
      bof_ = true;
      return true;
    }
    if (visible()) return true;
    if (o) {
      if (!raise(o->prev())) return false;
    } else {
      uint32_t k = table_->recno();
      if (k <= 1) {
        bof_ = true;
        return true;
      }
      if (!load(k - 1)) return false;
    }
  }
}

bool WorkArea::go_top() {
  WorkAreas::Selected s(areas_, number_);
  found_ = false;
  bof_ = eof_ = false;
  if (Order* o = order(active_)) {
    if (!raise(table_->flush()) || !raise(o->first())) return false;
    synced_ = true;
  } else if (!load(1)) {
    return false;
  }
  if (!settle_forward()) return false;
  if (eof_) bof_ = true;
  return true;
}

bool WorkArea::go_bottom() {
  WorkAreas::Selected s(areas_, number_);
  found_ = false;
  bof_ = eof_ = false;
  if (Order* o = order(active_)) {
    if (!raise(table_->flush()) || !raise(o->last())) return false;
    synced_ = true;
  } else {
    uint32_t n = 0;
    if (!raise(table_->flush()) || !raise(table_->count(n))) return false;
    if (!load(n == 0 ? 1 : n)) return false;
    if (n == 0) {
      bof_ = eof_ = true;
      return true;
    }
  }
  if (!settle_backward()) return false;
  if (bof_) {
    bof_ = false;
    on_phantom();
    bof_ = true;
  }
  return true;
}

bool WorkArea::skip(int64_t n) {
  WorkAreas::Selected s(areas_, number_);
  found_ = false;
  if (!raise(table_->flush())) return false;
  if (n == 0) {
    bool ok = raise(table_->reread());
    return ok;
  }
  return order(active_) ? order_skip(n) : natural_skip(n);
}

bool WorkArea::natural_skip(int64_t n) {
  bof_ = eof_ = false;
  if (n > 0) {
    for (int64_t i = 0; i < n; ++i) {
      if (table_->at_phantom()) {
        eof_ = true;
        return true;
      }
      if (!load(table_->recno() + 1) || !settle_forward()) return false;
      if (eof_) return true;
    }
    return true;
  }
  for (int64_t i = 0; i > n; --i) {
    uint32_t k = table_->recno();
    if (table_->at_phantom()) {
      uint32_t count = 0;
      if (!raise(table_->count(count))) return false;
      k = count + 1;
    }
    if (k <= 1) {
      bof_ = true;
    } else {
      if (!load(k - 1) || !settle_backward()) return false;
    }
    if (bof_) {
      // Stays on the first visible record.
      if (!load(1) || !settle_forward()) return false;
      bof_ = true;
      if (eof_) eof_ = true;
      return true;
    }
  }
  return true;
}

bool WorkArea::order_skip(int64_t n) {
  Order* o = order(active_);
  bof_ = eof_ = false;
  if (n > 0) {
    if (table_->at_phantom()) {
      eof_ = true;
      return true;
    }
    if (!raise(sync_cursor())) return false;
    for (int64_t i = 0; i < n; ++i) {
      if (!raise(o->next()) || !settle_forward()) return false;
      if (eof_) return true;
    }
    return true;
  }
  for (int64_t i = 0; i > n; --i) {
    if (table_->at_phantom()) {
      if (!raise(o->last())) return false;
    } else {
      if (!raise(sync_cursor()) || !raise(o->prev())) return false;
    }
    if (!settle_backward()) return false;
    if (bof_) {
      if (!raise(o->first()) || !settle_forward()) return false;
      bof_ = true;
      return true;
    }
  }
  return true;
}

// ---------------------------------------------------------------------------
// Fields and records

Value WorkArea::get(int i) {
  Value v;
  Failure f = table_->get(i, v);
  if (f) raise_failure(f, subsystem());
  return v;
}

bool WorkArea::put(int i, const Value& v) {
  WorkAreas::Selected s(areas_, number_);
  return raise(table_->put(i, v));
}

bool WorkArea::delete_record() {
  WorkAreas::Selected s(areas_, number_);
  return raise(table_->set_deleted(true));
}

bool WorkArea::recall() {
  WorkAreas::Selected s(areas_, number_);
  return raise(table_->set_deleted(false));
}

bool WorkArea::append_blank() {
  WorkAreas::Selected s(areas_, number_);
  Runtime::current().net_error = false;
  found_ = false;
  Failure f = table_->append_blank();
  if (f) {
    RaiseFlags flags;
    flags.can_default = true;
    raise_failure(f, subsystem(), flags);
    return false;
  }
  bof_ = eof_ = false;
  synced_ = false;
  return true;
}

bool WorkArea::commit() {
  WorkAreas::Selected s(areas_, number_);
  return raise(table_->commit());
}

bool WorkArea::lock_record(uint32_t recno, bool release_others) {
  WorkAreas::Selected s(areas_, number_);
  bool granted = false;
  if (!raise(table_->lock_record(recno, release_others, granted))) return false;
  // What another station wrote before we got the lock is what we change.
  if (granted && recno == table_->recno()) raise(table_->reread());
  return granted;
}

bool WorkArea::lock_file() {
  WorkAreas::Selected s(areas_, number_);
  bool granted = false;
  if (!raise(table_->lock_file(granted))) return false;
  if (granted) raise(table_->reread());
  return granted;
}

bool WorkArea::unlock(uint32_t recno) {
  WorkAreas::Selected s(areas_, number_);
  return raise(recno == 0 ? table_->unlock_all() : table_->unlock_record(recno));
}

bool WorkArea::pack() {
  WorkAreas::Selected s(areas_, number_);
  if (!raise(table_->pack())) return false;
  return reindex() && go_top();
}

bool WorkArea::zap() {
  WorkAreas::Selected s(areas_, number_);
  if (!raise(table_->zap())) return false;
  return reindex() && go_top();
}

bool WorkArea::set_filter(std::string_view text) {
  std::string trimmed(text);
  while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
  if (trimmed.empty()) {
    filter_.reset();
    filter_text_.clear();
    return true;
  }
  expr::ExpressionPtr e = expr::compile(trimmed);
  if (!e) return false;
  filter_ = std::move(e);
  filter_text_ = trimmed;
  return true;
}

bool WorkArea::locate(std::string_view condition, std::string_view while_condition, bool rest) {
  WorkAreas::Selected s(areas_, number_);
  locate_for_ = expr::compile(condition);
  if (!locate_for_) return false;
  locate_while_.reset();
  if (!while_condition.empty()) {
    locate_while_ = expr::compile(while_condition);
    if (!locate_while_) return false;
  }
  if (!rest && !go_top()) return false;
  if (rest && !skip(0)) return false;
  while (!eof_) {
    if (locate_while_ && !evaluate_condition(locate_while_)) break;
    if (evaluate_condition(locate_for_)) {
      found_ = true;
      return true;
    }
    if (!skip(1)) return false;
  }
  found_ = false;
  if (!eof_) on_phantom();
  return true;
}

bool WorkArea::continue_locate() {
  WorkAreas::Selected s(areas_, number_);
  if (!locate_for_) return false;
  if (!skip(1)) return false;
  while (!eof_) {
    if (locate_while_ && !evaluate_condition(locate_while_)) break;
    if (evaluate_condition(locate_for_)) {
      found_ = true;
      return true;
    }
    if (!skip(1)) return false;
  }
  found_ = false;
  if (!eof_) on_phantom();
  return true;
}

// ---------------------------------------------------------------------------
// Orders

Order* WorkArea::order(int n) {
  if (n < 1 || n > static_cast<int>(orders_.size())) return nullptr;
  return orders_[static_cast<size_t>(n - 1)].get();
}

int WorkArea::order_by_name(std::string_view name) const {
  std::string want(name);
  for (char& c : want) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  while (!want.empty() && want.back() == ' ') want.pop_back();
  for (size_t i = 0; i < orders_.size(); ++i) {
    if (orders_[i]->name() == want) return static_cast<int>(i + 1);
  }
  return 0;
}

bool WorkArea::set_order(int n) {
  if (n < 0 || n > static_cast<int>(orders_.size())) return false;
  active_ = n;
  synced_ = false;
  return true;
}

void WorkArea::clear_orders() {
  raise(table_->flush());
  orders_.clear();
  active_ = 0;
  synced_ = false;
}

bool WorkArea::add_index(std::string_view file) {
  WorkAreas::Selected s(areas_, number_);
  if (!raise(table_->flush())) return false;
  const uint32_t here = table_->recno();
  std::unique_ptr<Order> o;
  // The key type is learnt from the key's value on the blank record.
  bool ok = load(table_->known_count() + 1);
  if (ok) {
    const filelock::Share share =
        table_->exclusive() ? filelock::Share::kExclusive : filelock::Share::kShared;
    ok = with_retry(subsystem(), {true, true}, [&] {
      Failure f;
      o = open_ntx_order(file, !table_->read_only(), share, f);
      return f;
    });
  }
  load(here);
  if (!ok) return false;
  if (o->extended_locking() && table_->locks().scheme() == LockScheme::kNtx) {
    table_->set_lock_scheme(LockScheme::kNtxExtended);
  }
  orders_.push_back(std::move(o));
  synced_ = false;
  // The first order attached becomes the active one, at its top.
  if (active_ == 0) {
    active_ = static_cast<int>(orders_.size());
    return go_top();
  }
  return true;
}

Failure WorkArea::build_order(OrderBuild& build, const IndexOptions& options, bool& stopped) {
  stopped = false;
  uint32_t count = 0;
  if (Failure f = table_->count(count)) return f;
  build.reserve(count);
  const uint32_t r = table_->header().record_length;
  const uint32_t chunk = std::max<uint32_t>(1, kScanBytes / r);
  const int every = options.every > 0 ? options.every : 1;
  std::string records, key;
  int tick = 0;
  // Keys made only of character fields come straight from the record bytes.
  std::optional<KeyPlan> plan;
  if (!build.has_for() && build.key_type() == 'C') plan = KeyPlan::of(options.key, *table_);
  const size_t key_size = static_cast<size_t>(build.key_size());
  for (uint32_t k = 1; k <= count; k += chunk) {
    if (Failure f = table_->read_records(k, chunk, records)) return f;
    const uint32_t got = static_cast<uint32_t>(records.size() / r);
    for (uint32_t i = 0; i < got; ++i) {
      const char* record = records.data() + size_t{i} * r;
      if (plan && !options.progress) {
        plan->key(record, key_size, key);
        if (Failure f = build.add(key, k + i)) return f;
        continue;
      }
      table_->view(k + i, record);
      if (options.progress && ++tick == every) {
        tick = 0;
        if (!options.progress()) {
          stopped = true;
          return {};
        }
      }
      bool passes = true;
      if (Failure f = build.eval_for(passes)) return f;
      if (!passes) continue;
      if (Failure f = build.eval_key(key)) return f;
      if (Failure f = build.add(key, k + i)) return f;
    }
    if (got < chunk) break;
  }
  return {};
}

bool WorkArea::create_index(std::string_view file, const IndexOptions& options) {
  WorkAreas::Selected s(areas_, number_);
  if (!raise(table_->flush())) return false;
  found_ = false;
  const filelock::Share share =
      table_->exclusive() ? filelock::Share::kExclusive : filelock::Share::kShared;
  NtxBuildOptions ntx;
  ntx.key_text = options.key;
  ntx.for_text = options.condition;
  ntx.tag_name = options.tag;
  ntx.unique = options.unique;
  ntx.descending = options.descending;
  // The key's type and width come from its value on the blank record.
  if (!load(table_->known_count() + 1)) return false;
  std::unique_ptr<OrderBuild> build;
  bool ok = with_retry(subsystem(), {true, true}, [&] {
    Failure f;
    build = start_ntx_build(file, ntx, !table_->read_only(), share, f);
    return f;
  });
  if (!ok) return false;
  bool stopped = false;
  Failure f = build_order(*build, options, stopped);
  std::unique_ptr<Order> o;
  if (!f) f = build->finish(o);
  build.reset();
  if (f) {
    raise(f);
    go_top();
    return false;
  }
  if (!options.additive) orders_.clear();
  orders_.push_back(std::move(o));
  active_ = static_cast<int>(orders_.size());
  synced_ = false;
  (void)stopped;
  return go_top();
}

bool WorkArea::reindex() {
  WorkAreas::Selected s(areas_, number_);
  if (!raise(table_->flush())) return false;
  struct Spec {
    std::string bag;
    IndexOptions options;
  };
  std::vector<Spec> specs;
  for (const std::unique_ptr<Order>& o : orders_) {
    Spec spec;
    spec.bag = o->bag();
    spec.options.key = o->key_text();
    spec.options.condition = o->for_text();
    spec.options.unique = o->unique();
    spec.options.descending = o->descending();
    spec.options.additive = true;
    // A stored order name differs from the file's own name.
    std::string base = spec.bag.substr(spec.bag.find_last_of("/\\:") + 1);
    base = base.substr(0, base.find('.'));
    for (char& c : base) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (base.size() > 10) base.resize(10);
    if (o->name() != base) spec.options.tag = o->name();
    specs.push_back(std::move(spec));
  }
  const int active = active_;
  // The files are made again under the same names: let go of them first.
  orders_.clear();
  active_ = 0;
  bool ok = true;
  for (const Spec& spec : specs) ok = create_index(spec.bag, spec.options) && ok;
  active_ = std::min<int>(active, static_cast<int>(orders_.size()));
  synced_ = false;
  return ok;
}

uint64_t WorkArea::order_position() {
  WorkAreas::Selected s(areas_, number_);
  Order* o = order(active_);
  if (!o) return table_->at_phantom() ? 0 : table_->recno();
  if (table_->at_phantom()) return 0;
  if (!raise(table_->flush()) || !raise(sync_cursor())) return 0;
  uint64_t n = 0;
  raise(o->position(n));
  return n;
}

uint64_t WorkArea::order_key_count() {
  WorkAreas::Selected s(areas_, number_);
  Order* o = order(active_);
  if (!o) return record_count();
  uint64_t n = 0;
  raise(o->key_count(n));
  return n;
}

bool WorkArea::seek(const Value& key, bool soft, bool last) {
  WorkAreas::Selected s(areas_, number_);
  found_ = false;
  bof_ = eof_ = false;
  Order* o = order(active_);
  if (!o) {
    Failure f{gen::kNoOrder, sub::kNoOrder, 0, table_->path(), "no active order", {}};
    raise(f);
    return false;
  }
  if (!raise(table_->flush())) return false;
  std::string bytes;
  if (!raise(o->seek_key(key, bytes))) return false;
  bool hit = false;
  if (!raise(o->seek(bytes, last, hit))) return false;
  synced_ = false;
  auto matches = [&] { return o->key().substr(0, bytes.size()) == bytes; };
  if (last) {
    if (!settle_backward()) return false;
    if (bof_) {
      bof_ = false;
      on_phantom();
      return true;
    }
  } else {
    if (!settle_forward()) return false;
    if (eof_) return true;
  }
  found_ = hit && matches();
  if (!found_ && !soft) on_phantom();
  return true;
}

// ---------------------------------------------------------------------------
// Keeping the orders current

Failure WorkArea::before_change() {
  WorkAreas::Selected s(areas_, number_);
  old_keys_.resize(orders_.size());
  for (size_t i = 0; i < orders_.size(); ++i) {
    if (Failure f = orders_[i]->eval_for(old_keys_[i].passes)) return f;
    if (Failure f = orders_[i]->eval_key(old_keys_[i].key)) return f;
  }
  return {};
}

Failure WorkArea::after_write(bool appended) {
  if (orders_.empty()) return {};
  WorkAreas::Selected s(areas_, number_);
  synced_ = false;
  std::string key;
  for (size_t i = 0; i < orders_.size(); ++i) {
    Order& o = *orders_[i];
    bool passes = true;
    if (Failure f = o.eval_for(passes)) return f;
    if (Failure f = o.eval_key(key)) return f;
    const uint32_t recno = table_->recno();
    if (appended) {
      if (passes) {
        if (Failure f = o.insert(key, recno)) return f;
      }
      continue;
    }
    if (i >= old_keys_.size()) continue;
    const OldKey& old = old_keys_[i];
    if (old.key == key && old.passes == passes) continue;
    if (Failure f = o.update_begin()) return f;
    Failure f;
    if (old.passes) f = o.remove(old.key, recno);
    if (!f && passes) f = o.insert(key, recno);
    Failure u = o.update_end();
    if (f) return f;
    if (u) return u;
  }
  return {};
}

}  // namespace codfix::dbf

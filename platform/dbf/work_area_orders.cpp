// WorkArea: attaching, building and choosing orders, and keeping them current as
// records change.
#include "platform/dbf/work_area.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>

#include "lib/core/runtime.h"
#include "platform/cdx/compound_file.h"
#include "platform/cdx/production.h"
#include "platform/dbf/cdx_order.h"
#include "platform/dbf/key_plan.h"
#include "platform/dbf/order_expressions.h"
#include "platform/dbf/table_errors.h"
#include "platform/dbf/work_areas.h"
#include "platform/filelock/files.h"
#include "platform/fs/errors.h"
#include "platform/fs/path.h"
#include "platform/fs/resolve.h"

namespace codfix::dbf {

namespace {

constexpr uint32_t kScanBytes = 1 << 20;
constexpr uint32_t kSharedScanFrom = 65536;  // records

// The plan that takes the keys of `build` straight from the record bytes, when
// there is one (no condition, a character key of fields joined with '+').
std::optional<KeyPlan> key_plan(const OrderBuild& build, std::string_view key, const Table& table) {
  if (build.has_for() || build.key_type() != 'C') return std::nullopt;
  return KeyPlan::of(key, table);
}

// Gives `build` the key of the current record of its table, when the record
// passes the build's condition.
Failure add_current_key(OrderBuild& build, uint32_t recno, std::string& key) {
  bool passes = true;
  if (Failure f = build.eval_for(passes)) return f;
  if (!passes) return {};
  if (Failure f = build.eval_key(key)) return f;
  return build.add(key, recno);
}

// Reads records of 1..count and gives their keys to `build` as part `part`:
// runs of records in turn from `next` (the first record of the next run, shared
// by the threads that scan at once), until the records or the file end.
Failure scan_part(const Table& table, const KeyPlan& plan, OrderBuild& build, unsigned part,
                  std::atomic<uint64_t>& next, uint32_t count) {
  const uint32_t r = table.header().record_length;
  const uint32_t chunk = std::max<uint32_t>(1, kScanBytes / r);
  const size_t key_size = static_cast<size_t>(build.key_size());
  std::string records, keys;
  for (uint64_t k = next.fetch_add(chunk); k <= count; k = next.fetch_add(chunk)) {
    const auto at = static_cast<uint32_t>(k);
    const uint32_t want = static_cast<uint32_t>(std::min<uint64_t>(chunk, count - k + 1));
    if (Failure f = table.read_stored_records(at, want, records)) return f;
    const uint32_t got = static_cast<uint32_t>(records.size() / r);
    plan.keys(records.data(), got, r, key_size, keys);
    if (Failure f = build.add_run(part, keys.data(), got, at)) return f;
    if (got < want) break;  // the file ends early
  }
  return {};
}

// The keys of records 1..count; a large table is read by two threads at once,
// each taking the next run of records as it is done with one, so that both
// finish together.
Failure scan_keys(const Table& table, const KeyPlan& plan, OrderBuild& build, uint32_t count) {
  std::atomic<uint64_t> next{1};
  if (count >= kSharedScanFrom && OrderBuild::kScanParts >= 2) {
    Failure second;
    std::thread helper;
    try {
      helper = std::thread([&] { second = scan_part(table, plan, build, 1, next, count); });
    } catch (const std::system_error&) {
      return scan_part(table, plan, build, 0, next, count);  // no thread to be had
    }
    Failure first = scan_part(table, plan, build, 0, next, count);
    helper.join();
    return first ? first : second;
  }
  return scan_part(table, plan, build, 0, next, count);
}

bool same_file(std::string_view a, std::string_view b) {
  auto fa = fs::full_path(a);
  auto fb = fs::full_path(b);
  std::string x = fa.ok() ? fs::to_posix_separators(*fa) : std::string(a);
  std::string y = fb.ok() ? fs::to_posix_separators(*fb) : std::string(b);
  if (x.size() != y.size()) return false;
  for (size_t i = 0; i < x.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(x[i])) !=
        std::toupper(static_cast<unsigned char>(y[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

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

bool WorkArea::is_production(const Order& o) const {
  return table_->cdx_driver() && cdx::is_production_index(table_->path(), o.bag());
}

void WorkArea::drop_orders() {
  // The production index stays open; only indexes added by hand are closed.
  std::erase_if(orders_, [&](const std::unique_ptr<Order>& o) { return !is_production(*o); });
}

void WorkArea::clear_orders() {
  raise(table_->flush());
  drop_orders();
  active_ = 0;
  synced_ = false;
}

void WorkArea::production_in_use() {
  if (table_->locks().scheme() == LockScheme::kCdx) {
    table_->set_lock_scheme(LockScheme::kCdxStructural);
  }
}

bool WorkArea::open_production_index() {
  if (!table_->cdx_driver()) return true;
  const RuntimeSettings& settings = Runtime::current().settings;
  std::optional<std::string> found;
  if (settings.strict_structural) {
    if (!cdx::has_production_flag(table_->table_flags())) return true;
    found = cdx::find_production_index(table_->path());
    if (!found) {
      const std::string name = cdx::production_index_name(table_->path());
      return raise({gen::kOpen,
                    sub::kOpenIndex,
                    fs::dos::kFileNotFound,
                    name,
                    "the table's production index is missing",
                    {}});
    }
  } else {
    if (!settings.auto_open) return true;
    found = cdx::find_production_index(table_->path());
    if (!found) return true;
  }
  const int active = active_;
  if (!add_index(*found)) return false;
  // Attaching it leaves the records in natural order.
  active_ = active;
  synced_ = false;
  return go_top();
}

bool WorkArea::add_index(std::string_view file) {
  WorkAreas::Selected s(areas_, number_);
  if (!raise(table_->flush())) return false;
  const uint32_t here = table_->recno();
  const bool cdx = table_->cdx_driver();
  if (cdx) {
    // A bag already attached is not opened twice.
    const std::string name = cdx_file_name(file);
    for (const std::unique_ptr<Order>& o : orders_) {
      if (same_file(o->bag(), name)) return true;
    }
  }
  std::vector<std::unique_ptr<Order>> opened;
  // The key type is learnt from the key's value on the blank record.
  bool ok = load(table_->known_count() + 1);
  if (ok) {
    const filelock::Share share =
        table_->exclusive() ? filelock::Share::kExclusive : filelock::Share::kShared;
    ok = with_retry(subsystem(), {true, true}, [&] {
      Failure f;
      opened.clear();
      if (cdx) {
        opened = open_cdx_orders(file, !table_->read_only(), share, f);
      } else if (std::unique_ptr<Order> o = open_ntx_order(file, !table_->read_only(), share, f)) {
        opened.push_back(std::move(o));
      }
      return f;
    });
  }
  load(here);
  if (!ok) return false;
  for (std::unique_ptr<Order>& o : opened) {
    if (o->extended_locking() && table_->locks().scheme() == LockScheme::kNtx) {
      table_->set_lock_scheme(LockScheme::kNtxExtended);
    }
    if (is_production(*o)) production_in_use();
    orders_.push_back(std::move(o));
  }
  synced_ = false;
  // The first order attached becomes the active one, at its top.
  if (active_ == 0) {
    active_ = static_cast<int>(orders_.size());
    return go_top();
  }
  return true;
}

bool WorkArea::delete_tag(int n) {
  WorkAreas::Selected s(areas_, number_);
  Order* o = order(n);
  std::shared_ptr<cdx::CompoundFile> bag = o ? cdx_bag_of(*o) : nullptr;
  if (!bag) {
    return raise(Failure{
        gen::kArgument, 0, 0, o ? o->bag() : std::string(), "not a tag of a compound index", {}});
  }
  if (!raise(table_->flush())) return false;
  const std::string file = o->bag();
  const std::string name = o->name();
  const bool production = is_production(*o);
  // Another work area reading the same compound file would be left with a tag
  // that is no longer kept up to date.
  for (const auto& [number, other] : areas_.open_areas()) {
    if (number == number_ || !other) continue;
    for (int i = 1; i <= other->order_count(); ++i) {
      if (same_file(other->order(i)->bag(), file)) {
        return raise(Failure{gen::kShared,
                             sub::kShared,
                             0,
                             file,
                             "the compound index is in use in another work area",
                             {}});
      }
    }
  }
  orders_.erase(orders_.begin() + (n - 1));
  if (active_ == n) active_ = 0;
  if (active_ > n) --active_;
  synced_ = false;
  if (!raise(index_failure(bag->delete_tag(name), file))) return false;
  if (!bag->tags().empty()) return true;
  // The last tag went: the file goes too, and with it the production mark.
  std::erase_if(orders_,
                [&](const std::unique_ptr<Order>& x) { return same_file(x->bag(), file); });
  bag.reset();
  if (fs::Status st = filelock::remove_file(file); !st) {
    return raise(Failure{gen::kWrite, sub::kWrite, st.dos_error(), file, "cannot remove", {}});
  }
  if (production) {
    const uint8_t flags = table_->table_flags();
    if (!raise(table_->set_table_flags(cdx::with_production_flag(flags, false)))) return false;
    // Back to the plain layout (or a switch still waiting for locks is dropped).
    const LockScheme now = table_->locks().scheme();
    if (now == LockScheme::kCdxStructural || now == LockScheme::kCdx) {
      table_->set_lock_scheme(LockScheme::kCdx);
    }
  }
  return true;
}

Failure WorkArea::build_order(OrderBuild& build, const IndexOptions& options, bool& stopped) {
  stopped = false;
  uint32_t count = 0;
  if (Failure f = table_->count(count)) return f;
  build.set_record_count(count);
  const uint32_t r = table_->header().record_length;
  const uint32_t chunk = std::max<uint32_t>(1, kScanBytes / r);
  const int every = options.every > 0 ? options.every : 1;
  // Keys made only of character fields come straight from the record bytes.
  if (!options.progress) {
    if (std::optional<KeyPlan> plan = key_plan(build, options.key, *table_)) {
      return scan_keys(*table_, *plan, build, count);
    }
  }
  std::string records, key;
  int tick = 0;
  for (uint32_t k = 1; k <= count; k += chunk) {
    if (Failure f = table_->read_records(k, chunk, records)) return f;
    const uint32_t got = static_cast<uint32_t>(records.size() / r);
    for (uint32_t i = 0; i < got; ++i) {
      const char* record = records.data() + size_t{i} * r;
      table_->view(k + i, record);
      if (options.progress && ++tick == every) {
        tick = 0;
        if (!options.progress()) {
          stopped = true;
          return {};
        }
      }
      if (Failure f = add_current_key(build, k + i, key)) return f;
    }
    if (got < chunk) break;
  }
  return {};
}

bool WorkArea::create_index(std::string_view file, const IndexOptions& options) {
  WorkAreas::Selected s(areas_, number_);
  if (!raise(table_->flush())) return false;
  std::unique_ptr<OrderBuild> build = start_build(file, options);
  if (!build) return false;
  bool stopped = false;
  Failure f = build_order(*build, options, stopped);
  if (stopped) build->mark_partial();
  return attach_built(std::move(build), f, options);
}

std::unique_ptr<OrderBuild> WorkArea::start_build(std::string_view file,
                                                  const IndexOptions& options) {
  found_ = false;
  const filelock::Share share =
      table_->exclusive() ? filelock::Share::kExclusive : filelock::Share::kShared;
  const bool cdx = table_->cdx_driver();
  NtxBuildOptions ntx;
  ntx.key_text = options.key;
  ntx.for_text = options.condition;
  ntx.tag_name = options.tag;
  ntx.unique = options.unique;
  ntx.descending = options.descending;
  ntx.write_behind = table_->write_behind();
  CdxBuildOptions tag;
  tag.key_text = options.key;
  tag.for_text = options.condition;
  tag.tag_name = options.tag;
  tag.unique = options.unique;
  tag.descending = options.descending;
  tag.write_behind = table_->write_behind();
  // A bag already open in this area gets the new tag through its open file.
  std::shared_ptr<cdx::CompoundFile> bag;
  if (cdx) {
    const std::string name = cdx_file_name(file);
    for (const std::unique_ptr<Order>& o : orders_) {
      if (same_file(o->bag(), name)) bag = cdx_bag_of(*o);
      if (bag) break;
    }
  }
  // The key's type and width come from its value on the blank record.
  if (!load(table_->known_count() + 1)) return nullptr;
  std::unique_ptr<OrderBuild> build;
  bool ok = with_retry(subsystem(), {true, true}, [&] {
    Failure f;
    build = cdx ? start_cdx_build(file, tag, bag, !table_->read_only(), share, f)
                : start_ntx_build(file, ntx, !table_->read_only(), share, f);
    return f;
  });
  return ok ? std::move(build) : nullptr;
}

bool WorkArea::attach_built(std::unique_ptr<OrderBuild> build, Failure f,
                            const IndexOptions& options) {
  std::unique_ptr<Order> o;
  if (!f) f = build->finish(o);
  build.reset();
  if (f) {
    raise(f);
    go_top();
    return false;
  }
  if (!options.additive) drop_orders();
  // A tag made again replaces the order of the same name in the same bag.
  std::erase_if(orders_, [&](const std::unique_ptr<Order>& old) {
    return old->name() == o->name() && same_file(old->bag(), o->bag());
  });
  if (is_production(*o)) {
    production_in_use();
    const uint8_t flags = table_->table_flags();
    const RuntimeSettings& settings = Runtime::current().settings;
    if (!cdx::has_production_flag(flags) && (settings.auto_open || settings.strict_structural)) {
      if (Failure pf = table_->set_table_flags(cdx::with_production_flag(flags, true))) raise(pf);
    }
  }
  orders_.push_back(std::move(o));
  active_ = static_cast<int>(orders_.size());
  synced_ = false;
  return go_top();
}

std::vector<WorkArea::RebuildPlan> WorkArea::rebuild_plans() const {
  std::vector<RebuildPlan> plans;
  for (const std::unique_ptr<Order>& o : orders_) {
    RebuildPlan r;
    r.bag = o->bag();
    r.options.key = o->key_text();
    r.options.condition = o->for_text();
    r.options.unique = o->unique();
    r.options.descending = o->descending();
    r.options.additive = true;
    // A stored order name differs from the file's own name.
    std::string base = r.bag.substr(r.bag.find_last_of("/\\:") + 1);
    base = base.substr(0, base.find('.'));
    for (char& c : base) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (base.size() > 10) base.resize(10);
    if (o->name() != base) r.options.tag = o->name();
    plans.push_back(std::move(r));
  }
  return plans;
}

bool WorkArea::reindex() {
  WorkAreas::Selected s(areas_, number_);
  if (!raise(table_->flush())) return false;
  std::vector<RebuildPlan> plans = rebuild_plans();
  const int active = active_;
  // The files are made again under the same names: let go of them first.
  orders_.clear();
  active_ = 0;
  bool ok = true;
  for (const RebuildPlan& r : plans) ok = create_index(r.bag, r.options) && ok;
  active_ = std::min<int>(active, static_cast<int>(orders_.size()));
  synced_ = false;
  return ok;
}

bool WorkArea::begin_refill() {
  WorkAreas::Selected s(areas_, number_);
  refills_.clear();
  refill_blocks_ = 0;
  if (!raise(table_->flush())) return false;
  std::vector<RebuildPlan> plans = rebuild_plans();
  refill_active_ = active_;
  orders_.clear();
  active_ = 0;
  for (RebuildPlan& r : plans) {
    Refill f;
    // An order whose file cannot be made again is reported and left out, as
    // reindex() leaves it out.
    f.build = start_build(r.bag, r.options);
    if (!f.build) continue;
    f.plan = key_plan(*f.build, r.options.key, *table_);
    f.options = std::move(r.options);
    refills_.push_back(std::move(f));
  }
  return true;
}

Failure WorkArea::refill(const char* records, uint32_t count, uint32_t first) {
  // Blocks take turns between the parts, so that the sort splits large groups
  // of keys in two threads.
  const unsigned part = refill_blocks_++ % OrderBuild::kScanParts;
  if (refill_shared()) return refill_part(part, records, count, first);
  const uint32_t r = table_->header().record_length;
  std::string key;
  for (Refill& f : refills_) {
    for (uint32_t i = 0; i < count; ++i) {
      table_->view(first + i, records + size_t{i} * r);
      if (Failure e = add_current_key(*f.build, first + i, key)) return e;
    }
  }
  return {};
}

bool WorkArea::refill_shared() const {
  for (const Refill& f : refills_) {
    if (!f.plan) return false;
  }
  return true;
}

Failure WorkArea::refill_part(unsigned part, const char* records, uint32_t count, uint32_t first) {
  const uint32_t r = table_->header().record_length;
  std::string keys;
  for (Refill& f : refills_) {
    f.plan->keys(records, count, r, static_cast<size_t>(f.build->key_size()), keys);
    if (Failure e = f.build->add_run(part, keys.data(), count, first)) return e;
  }
  return {};
}

bool WorkArea::end_refill() {
  WorkAreas::Selected s(areas_, number_);
  bool ok = true;
  for (Refill& f : refills_) ok = attach_built(std::move(f.build), {}, f.options) && ok;
  refills_.clear();
  active_ = std::min<int>(refill_active_, static_cast<int>(orders_.size()));
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

#include "platform/dbf/transfer.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <system_error>
#include <thread>

#include "lib/core/runtime.h"
#include "platform/dbf/field_plan.h"
#include "platform/dbf/table_errors.h"
#include "platform/dbf/work_areas.h"

namespace codfix::dbf {

namespace {

constexpr uint32_t kBlockBytes = 1 << 20;
constexpr uint32_t kSharedCopyFrom = 65536;  // records

bool is_true(const expr::ExpressionPtr& e) {
  Value v = e->eval();
  return v.is_logical() && v.logical();
}

// Appends records to an exclusive table in blocks. The new records' keys go into
// the orders: one by one (kInsert), block by block into orders being made again
// (kRefill, see WorkArea::begin_refill), or not at all when the orders are made
// again at the end (kNone).
class BulkAppender {
 public:
  enum class Keys { kNone, kInsert, kRefill };
  BulkAppender(WorkArea& area, Keys keys) : area_(area), keys_(keys) {
    r_ = area.table().header().record_length;
    per_block_ = std::max<uint32_t>(1, kBlockBytes / r_);
    block_.reserve(size_t{per_block_} * r_);
  }
  char* next() {
    block_.resize(block_.size() + r_);
    return block_.data() + block_.size() - r_;
  }
  Failure maybe_write() { return block_.size() / r_ >= per_block_ ? write() : Failure{}; }
  Failure write() {
    const uint32_t n = static_cast<uint32_t>(block_.size() / r_);
    if (n == 0) return {};
    Table& t = area_.table();
    uint32_t first = 0;
    if (Failure f = t.append_records(block_.data(), n, first)) return f;
    last_ = first + n - 1;
    if (keys_ == Keys::kRefill) {
      if (Failure f = area_.refill(block_.data(), n, first)) return f;
    }
    if (keys_ == Keys::kInsert) {
      std::string key;
      for (uint32_t i = 0; i < n; ++i) {
        t.view(first + i, block_.data() + size_t{i} * r_);
        for (int o = 1; o <= area_.order_count(); ++o) {
          Order& order = *area_.order(o);
          bool passes = true;
          if (Failure f = order.eval_for(passes)) return f;
          if (!passes) continue;
          if (Failure f = order.eval_key(key)) return f;
          if (Failure f = order.insert(key, first + i)) return f;
        }
      }
    }
    block_.clear();
    return {};
  }
  uint32_t last() const { return last_; }

 private:
  WorkArea& area_;
  Keys keys_;
  uint32_t r_ = 0;
  uint32_t per_block_ = 0;
  uint32_t last_ = 0;
  std::string block_;
};

// Copies records 1..count of `src` into `target` with two threads, each taking
// the next run of records as it is done with one, for a plan of plain byte
// copies into an exclusive table on disk (so that no step can fail but for the
// files, nor needs anything but the bytes). The keys go into the orders being
// made again when `refill` is set. Returns false with `failure` set on a failure
// of the files; the table then keeps only the records copied in a row from the
// first.
bool copy_shared(WorkArea& to, Table& src, const FieldPlan& plan, uint32_t count, bool refill,
                 const AppendProgress& progress, Failure& failure) {
  Table& target = to.table();
  uint32_t first = 0;
  if ((failure = target.reserve_records(count, first))) return false;
  const uint32_t existing = first - 1;
  const uint32_t r = src.header().record_length;
  const uint32_t tr = target.header().record_length;
  const uint32_t per_read = std::max<uint32_t>(1, kBlockBytes / r);
  // Records copied of each run, written by the thread that took the run.
  std::vector<uint32_t> copied((count + per_read - 1) / per_read, 0);
  std::atomic<uint64_t> next{1};
  std::atomic<uint32_t> done{0};
  std::atomic<bool> stop{false};
  std::array<Failure, 2> failures;
  auto copy = [&](unsigned part) {
    Failure& f = failures[part];
    std::string records, out;
    for (uint64_t k = next.fetch_add(per_read); k <= count && !stop; k = next.fetch_add(per_read)) {
      const uint32_t want = static_cast<uint32_t>(std::min<uint64_t>(per_read, count - k + 1));
      if ((f = src.read_stored_records(static_cast<uint32_t>(k), want, records))) break;
      const uint32_t got = static_cast<uint32_t>(records.size() / r);
      out.resize(size_t{got} * tr);
      // A plan of byte copies cannot fail, and reads nothing but the two records.
      for (uint32_t i = 0; i < got; ++i) {
        (void)plan.apply(records.data() + size_t{i} * r, out.data() + size_t{i} * tr, src, target);
      }
      const uint32_t at = existing + static_cast<uint32_t>(k);
      if ((f = target.write_reserved(at, out.data(), got))) break;
      if (refill && (f = to.refill_part(part, out.data(), got, at))) break;
      copied[(k - 1) / per_read] = got;
      done += got;
      if (part == 0 && progress) progress(done, count);  // this thread's screen
      if (got < want) return;                            // the source ends early
    }
    if (f) stop = true;
  };
  std::thread helper;
  try {
    helper = std::thread(copy, 1u);
  } catch (const std::system_error&) {
    copy(1);  // no thread to be had
  }
  copy(0);
  if (helper.joinable()) helper.join();
  // What was copied in a row from the first record stays.
  uint32_t kept = 0;
  for (size_t run = 0; run < copied.size(); ++run) {
    kept += copied[run];
    if (copied[run] < std::min<uint64_t>(per_read, count - run * uint64_t{per_read})) break;
  }
  failure = failures[0] ? failures[0] : failures[1];
  if (Failure cut = target.cut_records(existing + kept); cut && !failure) failure = cut;
  return !failure;
}

}  // namespace

namespace {

// Appends every record of `src` (deleted ones only when SET DELETED is off) to
// `to`, whose area is selected.
bool append_records(WorkArea& to, Table* src, const AppendProgress& progress) {
  Table& target = to.table();
  const std::string& subsystem = to.subsystem();
  FieldPlan plan(*src, target);
  const bool skip_deleted = Runtime::current().settings.deleted;
  uint32_t count = 0;
  if (Failure f = src->count(count)) {
    raise_failure(f, subsystem);
    return false;
  }
  const uint32_t r = src->header().record_length;
  const uint32_t per_read = std::max<uint32_t>(1, kBlockBytes / r);
  std::string records;

  if (target.exclusive() && !target.read_only()) {
    const uint32_t existing = to.record_count();
    const bool rebuild = to.order_count() > 0 && (existing == 0 || count > existing / 4);
    // Into an empty table, the orders are made from the blocks as they are
    // written; otherwise they are made again from the whole table at the end.
    const bool refill = rebuild && existing == 0 && to.begin_refill();
    using Keys = BulkAppender::Keys;
    BulkAppender out(to, refill ? Keys::kRefill : (rebuild ? Keys::kNone : Keys::kInsert));
    // The orders at the end: made from the blocks, or again from the whole table.
    auto finish_orders = [&] {
      if (refill) return to.end_refill();
      return !rebuild || to.reindex();
    };
    // On a failure the orders are made whole again from what the table holds.
    auto stop = [&] {
      if (refill) {
        to.end_refill();
        to.reindex();
      }
      return false;
    };
    // Plain byte copies of a large table on disk are shared between two threads.
    if (plan.bytes_only() && !skip_deleted && count >= kSharedCopyFrom && !src->in_memory() &&
        !target.in_memory() && (!refill || to.refill_shared())) {
      Failure f;
      if (!copy_shared(to, *src, plan, count, refill, progress, f)) {
        raise_failure(f, subsystem);
        return stop();
      }
      return finish_orders() && to.go_bottom();
    }
    for (uint32_t k = 1; k <= count; k += per_read) {
      if (progress) progress(k - 1, count);
      if (Failure f = src->read_records(k, per_read, records)) {
        raise_failure(f, subsystem);
        return stop();
      }
      for (size_t at = 0; at + r <= records.size(); at += r) {
        const char* in = records.data() + at;
        if (skip_deleted && in[0] == kDeletedFlag) continue;
        if (Failure f = plan.apply(in, out.next(), *src, target)) {
          if (raise_failure(f, subsystem).action != ErrorAction::Default) return stop();
        }
        if (Failure f = out.maybe_write()) {
          raise_failure(f, subsystem);
          return stop();
        }
      }
    }
    if (Failure f = out.write()) {
      raise_failure(f, subsystem);
      return stop();
    }
    if (!finish_orders()) return false;
    return out.last() ? to.go_to(out.last()) : to.go_bottom();
  }

  // Shared: each record is appended under its own lock, as any station does.
  std::string bytes(target.header().record_length, ' ');
  for (uint32_t k = 1; k <= count; k += per_read) {
    if (progress) progress(k - 1, count);
    if (Failure f = src->read_records(k, per_read, records)) {
      raise_failure(f, subsystem);
      return false;
    }
    for (size_t at = 0; at + r <= records.size(); at += r) {
      const char* in = records.data() + at;
      if (skip_deleted && in[0] == kDeletedFlag) continue;
      if (!to.append_blank()) return false;
      Failure f = plan.apply(in, bytes.data(), *src, target);
      if (f && raise_failure(f, subsystem).action != ErrorAction::Default) return false;
      if (Failure g = target.put_record(bytes.data())) {
        raise_failure(g, subsystem);
        return false;
      }
    }
  }
  if (Failure f = target.flush()) {
    raise_failure(f, subsystem);
    return false;
  }
  return true;
}

}  // namespace

bool append_from(WorkArea& to, std::string_view source) {
  WorkAreas* areas = WorkAreas::current_areas();
  std::optional<WorkAreas::Selected> selected;
  if (areas) selected.emplace(*areas, to.number());
  Table& target = to.table();
  const std::string& subsystem = to.subsystem();
  if (Failure f = target.flush()) {
    raise_failure(f, subsystem);
    return false;
  }
  OpenOptions options;
  options.read_only = true;
  options.driver = target.driver();
  std::unique_ptr<Table> src;
  if (!with_retry(subsystem, {true, true}, [&] {
        Failure f;
        src = Table::open(source, options, f);
        return f;
      })) {
    return false;
  }
  return append_records(to, src.get(), {});
}

bool append_from(WorkArea& to, WorkArea& from, const AppendProgress& progress) {
  WorkAreas* areas = WorkAreas::current_areas();
  std::optional<WorkAreas::Selected> selected;
  if (areas) selected.emplace(*areas, to.number());
  const std::string& subsystem = to.subsystem();
  for (Table* t : {&to.table(), &from.table()}) {
    if (Failure f = t->flush()) {
      raise_failure(f, subsystem);
      return false;
    }
  }
  return append_records(to, &from.table(), progress);
}

bool copy_to(WorkArea& from, std::string_view target, const CopyOptions& options) {
  WorkAreas* areas = WorkAreas::current_areas();
  std::optional<WorkAreas::Selected> selected;
  if (areas) selected.emplace(*areas, from.number());
  const std::string& subsystem = from.subsystem();
  expr::ExpressionPtr condition, while_condition;
  if (!options.condition.empty() && !(condition = expr::compile(options.condition))) return false;
  if (!options.while_condition.empty() &&
      !(while_condition = expr::compile(options.while_condition))) {
    return false;
  }
  const std::string driver = options.driver.empty() ? from.table().driver() : options.driver;
  std::unique_ptr<Table> out;
  if (!with_retry(driver, {true, true}, [&] {
        Failure f;
        out = Table::create(target, from.table().structure(), driver, f);
        return f;
      })) {
    return false;
  }
  FieldPlan plan(from.table(), *out);
  const uint32_t r = out->header().record_length;
  const uint32_t per_block = std::max<uint32_t>(1, kBlockBytes / r);
  std::string block;
  auto write_block = [&]() -> bool {
    if (block.empty()) return true;
    uint32_t first = 0;
    Failure f = out->append_records(block.data(), static_cast<uint32_t>(block.size() / r), first);
    block.clear();
    if (f) raise_failure(f, driver);
    return !f;
  };
  bool ok = options.all ? from.go_top() : true;
  while (ok && !from.eof()) {
    if (while_condition && !is_true(while_condition)) break;
    if (!condition || is_true(condition)) {
      block.resize(block.size() + r);
      if (Failure f = plan.apply(from.table().record(), block.data() + block.size() - r,
                                 from.table(), *out)) {
        if (raise_failure(f, subsystem).action != ErrorAction::Default) ok = false;
      }
      if (ok && block.size() / r >= per_block) ok = write_block();
    }
    if (ok) ok = from.skip(1);
  }
  if (ok) ok = write_block();
  Failure f = out->close();
  if (f) raise_failure(f, driver);
  return ok && !f;
}

bool copy_structure(WorkArea& from, std::string_view target) {
  const std::string driver = from.table().driver();
  std::unique_ptr<Table> out;
  if (!with_retry(driver, {true, true}, [&] {
        Failure f;
        out = Table::create(target, from.table().structure(), driver, f);
        return f;
      })) {
    return false;
  }
  Failure f = out->close();
  if (f) raise_failure(f, driver);
  return !f;
}

}  // namespace codfix::dbf

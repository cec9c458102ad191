// WorkArea: an open table as the language sees it: a numbered area with an alias,
// the table, its attached orders (one of them active, or natural order), a filter,
// the deleted-record visibility setting, and the BOF / EOF / FOUND flags.
//
// Every operation raises its failures through the run-time error handler and
// returns whether it succeeded. Expressions (keys, conditions, filters) are
// evaluated with this area selected; the previous area is selected again after.
//
// Orders are kept current as records change: when a record is about to change the
// area notes each order's key and FOR result, and when the record is written it
// moves the entries that changed (records appended get their keys added then).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lib/core/value.h"
#include "platform/dbf/key_plan.h"
#include "platform/dbf/ntx_order.h"
#include "platform/dbf/order.h"
#include "platform/dbf/table.h"
#include "platform/expr/expr.h"

namespace codfix::dbf {

class WorkAreas;

struct IndexOptions {
  std::string key;
  std::string condition;  // FOR; empty: every record
  std::string tag;        // order name to store; empty: none
  bool unique = false;
  bool descending = false;
  bool additive = false;  // keep the orders already attached
  // Evaluated once per `every` records while the index is built; returning false
  // stops the build early (the index then holds the records seen so far and is
  // marked partial).
  std::function<bool()> progress;
  int every = 1;
};

class WorkArea : public RecordObserver {
 public:
  WorkArea(WorkAreas& areas, int number, std::unique_ptr<Table> table, std::string alias);
  ~WorkArea() override;
  WorkArea(const WorkArea&) = delete;
  WorkArea& operator=(const WorkArea&) = delete;

  int number() const { return number_; }
  const std::string& alias() const { return alias_; }
  Table& table() { return *table_; }
  const Table& table() const { return *table_; }
  const std::string& subsystem() const { return table_->driver(); }

  // Writes what is pending and closes orders and table.
  bool close();

  // Navigation. Hidden records (deleted ones with SET DELETED on, those the filter
  // rejects) are passed over by top, bottom, skip and seek.
  bool go_to(uint32_t recno);
  bool go_top();
  bool go_bottom();
  bool skip(int64_t n = 1);
  bool bof() const { return bof_; }
  bool eof() const { return eof_; }
  bool found() const { return found_; }
  uint32_t recno() const { return table_->recno(); }
  // The record count (LASTREC), recomputed from the file in shared mode.
  uint32_t record_count();

  // Fields (0-based).
  Value get(int i);
  bool put(int i, const Value& v);
  bool deleted() const { return table_->deleted(); }
  bool delete_record();
  bool recall();

  // A blank record appended, locked and current. The network-error flag is cleared
  // first; a lock that cannot be had raises 40 (the handler may set the flag).
  bool append_blank();
  bool commit();

  // Locks: false when someone else holds it (no error).
  bool lock_record(uint32_t recno, bool release_others);
  bool lock_current() { return lock_record(recno(), true); }
  bool lock_file();
  bool unlock(uint32_t recno = 0);  // 0: every lock

  bool pack();
  bool zap();

  // Filter: a logical expression over the table's fields; empty clears it.
  bool set_filter(std::string_view text);
  const std::string& filter_text() const { return filter_text_; }

  // Locate: from the top (or, with `rest`, from the current record) the first
  // visible record that satisfies `condition` while `while_condition` holds.
  bool locate(std::string_view condition, std::string_view while_condition = {}, bool rest = false);
  bool continue_locate();

  // Orders.
  bool create_index(std::string_view file, const IndexOptions& options);
  // Attaches an index file; when no order was active it becomes the active one
  // and the area goes to its top.
  bool add_index(std::string_view file);
  void clear_orders();
  bool reindex();
  // Making every attached order again from records as a bulk append writes them
  // into an empty table, instead of reading the table again at the end:
  // begin_refill() takes the orders off the area and starts their builds (the
  // files made again, as reindex() does); refill() gives each block of whole
  // records once it is written, with the number of its first record, in record
  // order; end_refill() finishes the builds and attaches the orders as
  // reindex() leaves them (an order whose file cannot be made again is reported
  // and left out, as there). After a failed refill(), reindex() makes them whole.
  bool begin_refill();
  Failure refill(const char* records, uint32_t count, uint32_t first);
  bool end_refill();
  // Whether refill_part() may be used: every key comes straight from the record
  // bytes. refill_part() is refill() into one part of each build (below
  // OrderBuild::kScanParts), and may be called from a thread per part at once.
  bool refill_shared() const;
  Failure refill_part(unsigned part, const char* records, uint32_t count, uint32_t first);
  // Deletes order n when it is a CDX tag: the tag leaves its compound file; when
  // it was the file's last tag the file is removed, and for the production index
  // header byte 28 is cleared. False (reported) for other orders or on failure.
  bool delete_tag(int n);
  // Attaches the table's production index when the driver keeps CDX indexes and
  // the file is there (no active order is chosen by it).
  bool open_production_index();
  int order_count() const { return static_cast<int>(orders_.size()); }
  Order* order(int n);  // 1-based; nullptr outside
  int active_order() const { return active_; }
  bool set_order(int n);                           // 0: natural order
  int order_by_name(std::string_view name) const;  // 0 when none
  // Position of the current record in the active order (or its record number).
  uint64_t order_position();
  uint64_t order_key_count();
  // SEEK in the active order (36 without one).
  bool seek(const Value& key, bool soft, bool last = false);

  // RecordObserver.
  Failure before_change() override;
  Failure after_write(bool appended) override;

 private:
  struct OldKey {
    std::string key;
    bool passes = false;
  };

  bool raise(const Failure& f);
  bool visible();
  bool load(uint32_t recno);  // go to a record; false on failure
  Failure sync_cursor();
  bool order_skip(int64_t n);
  bool natural_skip(int64_t n);
  bool settle_forward();  // from the cursor's record, the first visible one
  bool settle_backward();
  void on_phantom();
  bool evaluate_condition(const expr::ExpressionPtr& e);
  Failure build_order(OrderBuild& build, const IndexOptions& options, bool& stopped);
  // create_index() in steps: the build started (the file made), then finished
  // and attached (or `f`, the failure of what came between, raised).
  std::unique_ptr<OrderBuild> start_build(std::string_view file, const IndexOptions& options);
  bool attach_built(std::unique_ptr<OrderBuild> build, Failure f, const IndexOptions& options);
  // What reindex() needs to make each attached order again.
  struct RebuildPlan {
    std::string bag;
    IndexOptions options;
  };
  std::vector<RebuildPlan> rebuild_plans() const;
  bool is_production(const Order& o) const;
  // Closes the orders except those of the production index.
  void drop_orders();
  // The structural index is in use: the CDX lock layout for it.
  void production_in_use();

  WorkAreas& areas_;
  int number_;
  std::unique_ptr<Table> table_;
  std::string alias_;
  std::vector<std::unique_ptr<Order>> orders_;
  int active_ = 0;
  bool synced_ = false;  // the active order's cursor is on the current record
  std::vector<OldKey> old_keys_;
  // The builds of begin_refill().
  struct Refill {
    std::unique_ptr<OrderBuild> build;
    IndexOptions options;
    std::optional<KeyPlan> plan;
  };
  std::vector<Refill> refills_;
  int refill_active_ = 0;
  unsigned refill_blocks_ = 0;

  std::string filter_text_;
  expr::ExpressionPtr filter_;
  expr::ExpressionPtr locate_for_;
  expr::ExpressionPtr locate_while_;

  bool bof_ = false;
  bool eof_ = false;
  bool found_ = false;
};

}  // namespace codfix::dbf

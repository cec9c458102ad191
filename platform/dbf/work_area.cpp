#include "platform/dbf/work_area.h"

#include "lib/core/runtime.h"
#include "platform/dbf/table_errors.h"
#include "platform/dbf/work_areas.h"

namespace codfix::dbf {

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

}  // namespace codfix::dbf

// WorkArea: positioning (go to, top, bottom, skip, seek) over hidden records, in
// natural order or through the active order's cursor.
#include "platform/dbf/work_area.h"

#include "lib/core/runtime.h"
#include "platform/dbf/table_errors.h"
#include "platform/dbf/work_areas.h"

namespace codfix::dbf {

namespace {

bool deleted_hidden() {
  return Runtime::current().settings.deleted;
}

}  // namespace

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

// As settle_forward(), backwards; sets BOF when the top was passed.
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

}  // namespace codfix::dbf

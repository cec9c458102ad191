// Table: the header rewrite of appends, appends themselves (with the shared-mode
// protocol of the header and record locks), and the record and file locks.
#include <algorithm>

#include "platform/dbf/table.h"
#include "platform/fs/errors.h"

namespace codfix::dbf {

Failure Table::write_header(bool, uint32_t count) {
  std::array<uint8_t, kTableHeaderSize> h = encode_header_update(header_, today(), count);
  fs::Status st = file_.write_at(0, h.data(), h.size());
  if (!st) return Failure::write_error(path_, st.dos_error());
  header_.raw = h;
  header_.version = h[0];
  header_.record_count = count;
  return {};
}

Failure Table::write_end_mark(uint32_t count) {
  const uint64_t end = header_.header_length + uint64_t{count} * header_.record_length;
  const uint8_t mark = kEndOfFile;
  fs::Status st = file_.write_at(end, &mark, 1);
  if (st) st = file_.truncate(end + 1);
  if (!st) return Failure::write_error(path_, st.dos_error());
  return {};
}

Failure Table::append_blank() {
  if (options_.read_only) {
    return {gen::kReadOnly, sub::kReadOnly, 0, path_, "table opened read-only", {}};
  }
  if (Failure f = flush()) return f;
  const Failure lock_failed{gen::kAppendLock, sub::kAppendLock, 0, path_, "append lock failed", {}};
  uint32_t n = count_;
  if (!options_.exclusive) {
    for (uint32_t k : locked_) file_.unlock(layout_.record(k).offset, 1);
    locked_.clear();
    const LockRange header = layout_.header();
    fs::Status st =
        file_.lock(header.offset, header.length, filelock::LockKind::kWrite, filelock::Wait::kYes);
    if (!st) {
      Failure f = lock_failed;
      f.oscode = st.dos_error();
      return f;
    }
    if (Failure f = recount()) {
      file_.unlock(header.offset, header.length);
      return f;
    }
    n = count_;
    if (!file_locked_) {
      const LockRange rec = layout_.record(n + 1);
      st = file_.lock(rec.offset, rec.length, filelock::LockKind::kWrite, filelock::Wait::kNo);
      if (!st) {
        file_.unlock(header.offset, header.length);
        return lock_failed;
      }
      locked_.insert(n + 1);
    }
    blank_buffer();
    st = file_.write_at(record_offset(n + 1), buffer_.data(), buffer_.size());
    Failure result;
    if (!st) {
      result = Failure::write_error(path_, st.dos_error());
    } else {
      result = recount();
      if (!result) result = write_header(true, count_);
    }
    file_.unlock(header.offset, header.length);
    if (result) {
      if (!file_locked_) {
        file_.unlock(layout_.record(n + 1).offset, 1);
        locked_.erase(n + 1);
      }
      return result;
    }
  } else {
    blank_buffer();
    fs::Status st = file_.write_at(record_offset(n + 1), buffer_.data(), buffer_.size());
    if (!st) return Failure::write_error(path_, st.dos_error());
    count_ = n + 1;
    header_stale_ = true;
  }
  recno_ = n + 1;
  phantom_ = false;
  hot_ = true;
  appended_ = true;
  return {};
}

Failure Table::lock_record(uint32_t recno, bool release_others, bool& granted) {
  granted = true;
  if (options_.exclusive || file_locked_) return {};
  if (release_others) {
    if (Failure f = flush()) return f;
    for (uint32_t k : locked_) {
      if (k != recno) file_.unlock(layout_.record(k).offset, 1);
    }
    const bool had = locked_.count(recno) != 0;
    locked_.clear();
    if (had) locked_.insert(recno);
  }
  if (locked_.count(recno)) return {};
  const LockRange rec = layout_.record(recno);
  fs::Status st =
      file_.lock(rec.offset, rec.length, filelock::LockKind::kWrite, filelock::Wait::kNo);
  granted = st.ok();
  if (granted) locked_.insert(recno);
  return {};
}

Failure Table::lock_file(bool& granted) {
  granted = true;
  if (options_.exclusive || file_locked_) return {};
  if (Failure f = flush()) return f;
  for (uint32_t k : locked_) file_.unlock(layout_.record(k).offset, 1);
  locked_.clear();
  const LockRange range = layout_.file();
  fs::Status st =
      file_.lock(range.offset, range.length, filelock::LockKind::kWrite, filelock::Wait::kNo);
  granted = st.ok();
  file_locked_ = granted;
  return {};
}

Failure Table::unlock_record(uint32_t recno) {
  if (!locked_.count(recno)) return {};
  if (recno == recno_) {
    if (Failure f = flush()) return f;
  }
  file_.unlock(layout_.record(recno).offset, 1);
  locked_.erase(recno);
  apply_pending_scheme();
  return {};
}

Failure Table::unlock_all() {
  if (Failure f = flush()) return f;
  if (options_.exclusive) return {};
  for (uint32_t k : locked_) file_.unlock(layout_.record(k).offset, 1);
  locked_.clear();
  if (file_locked_) {
    const LockRange range = layout_.file();
    file_.unlock(range.offset, range.length);
    file_locked_ = false;
  }
  apply_pending_scheme();
  return {};
}

bool Table::record_locked(uint32_t recno) const {
  return options_.exclusive || file_locked_ || locked_.count(recno) != 0;
}

std::vector<uint32_t> Table::locked_records() const {
  return std::vector<uint32_t>(locked_.begin(), locked_.end());
}

}  // namespace codfix::dbf

// Table: one open DBF file with its memo file: the header and fields, the current
// record's buffer, reading and writing records, appends, deletion marks, the
// record / file / append locks, commit, PACK and ZAP.
//
// Nothing here raises run-time errors: operations return a Failure (generic code,
// subcode, OS code, file) that the work-area layer hands to the error handler.
//
// Sharing follows the classic tools: opens take a whole-file share lock; in shared
// mode the record count comes from the file size whenever the end matters,
// records are re-read from disk when the table moves to them, a record can only
// be changed under its lock (or the file lock), and an append takes the header
// lock, locks the new record, writes it blank and rewrites the header. Exclusive
// opens take no byte-range locks; their header (count, date, 0x1A end mark) is
// rewritten at commit and close.
//
// A changed record ("hot") is written when the table leaves it (go, append,
// unlock, commit, close). An observer (the work area) hears before the first
// change of a record and after it was written, to keep indexes current.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "lib/core/value.h"
#include "platform/dbf/failure.h"
#include "platform/dbf/field.h"
#include "platform/dbf/lock_scheme.h"
#include "platform/dbf/memo_file.h"
#include "platform/dbf/table_header.h"
#include "platform/filelock/handle.h"

namespace codfix::dbf {

struct OpenOptions {
  bool exclusive = false;
  bool read_only = false;
  std::string driver = "DBFNTX";  // the error subsystem; decides the lock scheme
};

// Told about changes of the current record (the work area keeps indexes current).
class RecordObserver {
 public:
  virtual ~RecordObserver() = default;
  // The current record is about to change for the first time since it was read.
  virtual Failure before_change() = 0;
  // The current record was written to the file; `appended` for a new record.
  virtual Failure after_write(bool appended) = 0;
};

class Table {
 public:
  ~Table();
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;

  // Opens a table. `path` is a library path with or without the extension (.dbf
  // is tried when the name has none) or a MEM: name. Failures: missing file 21/1001
  // OS 2; in use 21/1001 OS 32; damaged 32/1012; missing memo file 21/1002.
  static std::unique_ptr<Table> open(std::string_view path, const OpenOptions& options,
                                     Failure& failure);
  // Creates a table (and its memo file when a field is M) and leaves it open
  // exclusively. Failures: 20/1004 with the OS code; a bad structure 20/1004 too.
  static std::unique_ptr<Table> create(std::string_view path, const Structure& structure,
                                       const std::string& driver, Failure& failure);

  // Writes what is pending, rewrites the header when it must, releases the locks
  // and closes the files. Also done by the destructor (failures then unreported).
  Failure close();
  bool is_open() const { return file_.is_open(); }

  // Description.
  const std::string& path() const { return path_; }  // as found on disk
  const std::string& driver() const { return options_.driver; }
  bool exclusive() const { return options_.exclusive; }
  bool read_only() const { return options_.read_only; }
  // A table of the process's memory space ("MEM:"), which one thread at a time
  // may use.
  bool in_memory() const { return file_.is_memory(); }
  const TableHeader& header() const { return header_; }
  const std::vector<Field>& fields() const { return header_.fields; }
  int field_count() const { return static_cast<int>(header_.fields.size()); }
  // 0-based index of a field by name (case-insensitive), -1 when none.
  int field_index(std::string_view name) const;
  Structure structure() const;
  MemoFile* memo() { return memo_.get(); }
  const LockLayout& locks() const { return layout_; }
  // Switches the lock scheme (an NTX index with the extended-locking flag asks for
  // it; the structural CDX coming into use moves scheme F to its other layout).
  // Record locks this table holds are taken again at their places in the new
  // layout and let go at the old ones. Under a file lock (whose ranges in the two
  // layouts overlap), or when a record lock cannot be had at its new place, the
  // switch waits: false now, and it happens when this table's locks are let go.
  bool set_lock_scheme(LockScheme scheme);
  // The table flags byte of the header (28; bit 0x01 marks a production index).
  uint8_t table_flags() const { return header_.raw[28]; }
  // Writes the table flags byte at once.
  Failure set_table_flags(uint8_t flags);
  // Whether the table's driver keeps CDX indexes (and FPT memos).
  bool cdx_driver() const;

  void set_observer(RecordObserver* observer) { observer_ = observer; }

  // The record count: the file size decides (recomputed in shared mode).
  Failure count(uint32_t& n);
  // The count as last computed, without touching the file.
  uint32_t known_count() const { return count_; }

  // Position. go() writes a hot record first; a number outside 1..count puts the
  // table on the phantom record (count + 1, all fields blank).
  Failure go(uint32_t recno);
  // Re-reads the current record from the file (after others may have changed it).
  Failure reread();
  uint32_t recno() const { return recno_; }
  bool at_phantom() const { return phantom_; }

  // The current record.
  const char* record() const { return buffer_.data(); }
  std::string_view field_bytes(int i) const {
    const Field& f = header_.fields[static_cast<size_t>(i)];
    return {buffer_.data() + f.offset, f.length};
  }
  bool deleted() const { return buffer_[0] == kDeletedFlag; }
  // Reads a field's value (memo fields from the memo file, marked as memo text).
  Failure get(int i, Value& out);
  // Changes a field. A number too wide leaves asterisks in the field and fails
  // with 34/1021 (OPERATION = the field name). On the phantom record nothing
  // happens.
  Failure put(int i, const Value& v);
  // Stores raw bytes into a field (same width), as a copy between equal fields.
  Failure put_raw(int i, std::string_view bytes);
  Failure set_deleted(bool deleted);
  // Replaces the whole current record (flag byte included) by `bytes`.
  Failure put_record(const char* bytes);
  bool hot() const { return hot_; }

  // Appends a blank record, locked, and makes it current. A lock that cannot be had
  // fails with 40/1024 and changes nothing.
  Failure append_blank();
  // Writes the current record if it changed.
  Failure flush();
  // flush() plus, in exclusive mode, the header and end mark; then the OS buffers.
  Failure commit();

  // Locks. A lock another station (or work area) holds is not a failure:
  // `granted` says false. Exclusive opens always grant. Releasing a lock first
  // writes the current record when it changed (the only failures).
  Failure lock_record(uint32_t recno, bool release_others, bool& granted);
  Failure lock_file(bool& granted);
  Failure unlock_record(uint32_t recno);
  Failure unlock_all();
  bool record_locked(uint32_t recno) const;
  bool file_locked() const { return file_locked_; }
  std::vector<uint32_t> locked_records() const;

  // Exclusive-only operations (37/1023 otherwise). PACK removes deleted records
  // and compacts the memo file; ZAP removes every record.
  Failure pack();
  Failure zap();

  // Bulk appends for copying: `count` complete records (flag byte included) at
  // the end of the table, without locks or observers. Exclusive tables only; the
  // caller keeps the indexes current. Returns the first new record number.
  Failure append_records(const char* records, uint32_t count, uint32_t& first);
  // Bulk appends shared between threads. reserve_records() makes room for
  // `count` records at the end (the record count grows at once);
  // write_reserved() writes whole records into that room and may be called from
  // several threads at once for parts that do not overlap; cut_records() gives
  // back room never written (the table keeps its first `count` records).
  // Exclusive tables only; nothing else may use the table until every reserved
  // record is written or cut.
  Failure reserve_records(uint32_t count, uint32_t& first);
  Failure write_reserved(uint32_t recno, const char* records, uint32_t count);
  Failure cut_records(uint32_t count);
  // Writes to the table also start writing their bytes to the disk at once, for
  // a table that will be flushed to the disk when it is complete (a rebuild that
  // must survive a power cut): the flush then has little left to wait for.
  // Index files made for the table from now on are written the same way.
  void set_write_behind(bool on) { file_.set_write_behind(on); }
  bool write_behind() const { return file_.write_behind(); }
  // Bulk reads for scans: `count` records starting at `recno` into `out` (fewer
  // at the end of the table).
  Failure read_records(uint32_t recno, uint32_t count, std::string& out);
  // The same from the file alone, for scans shared between threads: several
  // threads may call it at once. The records must exist (recno + count - 1 at
  // most the count the caller got) and the table must have no pending changes.
  Failure read_stored_records(uint32_t recno, uint32_t count, std::string& out) const;

  // Makes `bytes` (one whole record, as read_records() gives it) the current record
  // `recno` without reading the file, for scans. The current record must not have
  // pending changes.
  void view(uint32_t recno, const char* bytes) {
    std::memcpy(buffer_.data(), bytes, buffer_.size());
    recno_ = recno;
    phantom_ = false;
  }

  // Re-reads the header count and file size and checks them (dbf-tool verify).
  Failure check_size(std::string& detail);

 private:
  Table() = default;
  Failure load(uint32_t recno);
  Failure write_header(bool shared_append, uint32_t count);
  Failure write_end_mark(uint32_t count);
  Failure must_write();
  Failure make_hot();
  Failure recount();
  uint64_t record_offset(uint32_t recno) const {
    return header_.header_length + uint64_t{recno - 1} * header_.record_length;
  }
  void blank_buffer();

  filelock::Handle file_;
  std::unique_ptr<MemoFile> memo_;
  std::string path_;
  OpenOptions options_;
  TableHeader header_;
  LockLayout layout_{LockScheme::kNtx, 0, 0};
  RecordObserver* observer_ = nullptr;

  std::vector<char> buffer_;
  uint32_t recno_ = 0;
  uint32_t count_ = 0;
  bool phantom_ = true;
  bool hot_ = false;
  bool appended_ = false;
  bool header_stale_ = false;  // records appended since the header was written

  std::set<uint32_t> locked_;
  bool file_locked_ = false;
  std::optional<LockScheme> pending_scheme_;  // see set_lock_scheme()
  void apply_pending_scheme();

  // Read window of consecutive records (exclusive opens only).
  std::string window_;
  uint32_t window_first_ = 0;
  uint32_t window_count_ = 0;
};

// Today's date for headers.
HeaderDate today();

}  // namespace codfix::dbf

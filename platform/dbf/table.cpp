#include "platform/dbf/table.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "lib/core/names.h"
#include "platform/dbf/field_codec.h"
#include "platform/filelock/files.h"
#include "platform/filelock/memory_space.h"
#include "platform/fs/errors.h"

namespace codfix::dbf {

namespace {

constexpr size_t kWindowBytes = 64 * 1024;

// The file name to open: the extension .dbf is added when the name has none.
std::string table_file_name(std::string_view path) {
  size_t slash = path.find_last_of("/\\:");
  size_t start = slash == std::string_view::npos ? 0 : slash + 1;
  if (path.find('.', start) != std::string_view::npos) return std::string(path);
  bool lower = false;
  for (char c : path.substr(start)) {
    if (c >= 'a' && c <= 'z') lower = true;
  }
  return std::string(path) + (lower ? ".dbf" : ".DBF");
}

LockScheme scheme_for(const std::string& driver) {
  return upper_name(driver).find("CDX") != std::string::npos ? LockScheme::kCdx : LockScheme::kNtx;
}

MemoKind memo_for_driver(const std::string& driver) {
  return scheme_for(driver) == LockScheme::kCdx ? MemoKind::kFpt : MemoKind::kDbt;
}

}  // namespace

HeaderDate today() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

Table::~Table() {
  (void)close();
}

std::unique_ptr<Table> Table::open(std::string_view path, const OpenOptions& options,
                                   Failure& failure) {
  const std::string name = table_file_name(path);
  const filelock::Share share =
      options.exclusive ? filelock::Share::kExclusive : filelock::Share::kShared;
  fs::Result<filelock::Handle> h = filelock::Handle::open(name, !options.read_only, share);
  if (!h) {
    failure = {gen::kOpen, sub::kOpenTable, h.dos_error(), name, "cannot open", {}};
    return nullptr;
  }
  std::unique_ptr<Table> t(new Table());
  t->file_ = std::move(*h);
  t->path_ = t->file_.is_memory() ? name : t->file_.path();
  t->options_ = options;

  // In shared mode the header and the size are read under the header lock, so an
  // append of another station is seen whole or not at all.
  const bool shared = !options.exclusive;
  uint8_t first[kTableHeaderSize];
  fs::Result<size_t> got = t->file_.read_at(0, first, sizeof first);
  if (!got) {
    failure = Failure::read_error(t->path_, got.dos_error());
    return nullptr;
  }
  const uint16_t claimed = claimed_header_length({first, *got});
  LockLayout probe(scheme_for(options.driver), claimed, 1);
  if (shared) {
    fs::Status st =
        t->file_.lock(probe.header().offset, 1, filelock::LockKind::kWrite, filelock::Wait::kYes);
    if (!st) {
      failure = {gen::kOpen, sub::kOpenTable, st.dos_error(), t->path_, "header lock refused", {}};
      return nullptr;
    }
  }
  fs::Result<uint64_t> size = t->file_.size();
  std::vector<uint8_t> bytes(std::max<size_t>(claimed, kTableHeaderSize));
  got = size ? t->file_.read_at(0, bytes.data(), bytes.size()) : fs::Result<size_t>(size.error());
  if (shared) t->file_.unlock(probe.header().offset, 1);
  if (!got) {
    failure = Failure::read_error(t->path_, got.dos_error());
    return nullptr;
  }
  bytes.resize(*got);
  std::string problem;
  std::optional<TableHeader> header = decode_table_header(bytes, *size, problem);
  if (!header) {
    failure = Failure::corrupt(t->path_, problem);
    return nullptr;
  }
  t->header_ = std::move(*header);
  const uint64_t data = *size - t->header_.header_length;
  const uint64_t count = data / t->header_.record_length;
  const uint64_t rest = data % t->header_.record_length;
  if (count > 0xFFFFFFFFull) {
    failure = Failure::corrupt(t->path_, "more records than a table can hold");
    return nullptr;
  }
  if (rest != 0) {
    uint8_t last = 0;
    fs::Result<size_t> r = t->file_.read_at(*size - 1, &last, 1);
    if (!r) {
      failure = Failure::read_error(t->path_, r.dos_error());
      return nullptr;
    }
    if (rest != 1 || last != kEndOfFile) {
      failure = Failure::corrupt(t->path_, std::to_string(rest) + " bytes after record " +
                                               std::to_string(count) + " (a record cut short)");
      return nullptr;
    }
  }
  if (t->header_.record_count > count) {
    failure =
        Failure::corrupt(t->path_, "the header counts " + std::to_string(t->header_.record_count) +
                                       " records, the file holds " + std::to_string(count));
    return nullptr;
  }
  t->count_ = static_cast<uint32_t>(count);
  t->layout_ =
      LockLayout(scheme_for(options.driver), t->header_.header_length, t->header_.record_length);

  bool has_memo_field = false;
  for (const Field& f : t->header_.fields) has_memo_field = has_memo_field || f.is_memo();
  if (t->header_.memo == MemoKind::kNone && has_memo_field) {
    failure = {gen::kOpen, sub::kMemoType, 0, t->path_, "memo field in a table without memo file",
               {}};
    return nullptr;
  }
  if (t->header_.memo != MemoKind::kNone) {
    t->memo_ = MemoFile::open(t->header_.memo, MemoFile::path_for(t->path_, t->header_.memo),
                              !options.read_only, share, failure);
    if (!t->memo_) return nullptr;
  }
  t->buffer_.assign(t->header_.record_length, ' ');
  Failure f = t->go(1);
  if (f) {
    failure = f;
    return nullptr;
  }
  return t;
}

std::unique_ptr<Table> Table::create(std::string_view path, const Structure& structure,
                                     const std::string& driver, Failure& failure) {
  const std::string name = table_file_name(path);
  std::string problem = check_structure(structure);
  if (!problem.empty()) {
    failure = {gen::kCreate, sub::kCreateTable, 0, name, problem, {}};
    return nullptr;
  }
  bool has_memo = false;
  for (const FieldSpec& f : structure) has_memo = has_memo || f.type == 'M' || f.type == 'm';
  const MemoKind memo = has_memo ? memo_for_driver(driver) : MemoKind::kNone;

  fs::Result<filelock::Handle> h = filelock::Handle::create(name);
  if (!h) {
    int os = h.dos_error() == fs::dos::kSharingViolation ? fs::dos::kAccessDenied : h.dos_error();
    failure = {gen::kCreate, sub::kCreateTable, os, name, "cannot create", {}};
    return nullptr;
  }
  std::vector<uint8_t> bytes = encode_new_table(structure, memo, today());
  bytes.push_back(kEndOfFile);
  fs::Status st = h->write_at(0, bytes.data(), bytes.size());
  if (!st) {
    failure = {gen::kCreate, sub::kCreateTable, st.dos_error(), name, "cannot write", {}};
    return nullptr;
  }
  std::unique_ptr<Table> t(new Table());
  t->file_ = std::move(*h);
  t->path_ = t->file_.is_memory() ? name : t->file_.path();
  t->options_.exclusive = true;
  t->options_.read_only = false;
  t->options_.driver = driver;
  std::string ignored;
  t->header_ = *decode_table_header(bytes, bytes.size(), ignored);
  t->layout_ = LockLayout(scheme_for(driver), t->header_.header_length, t->header_.record_length);
  if (memo != MemoKind::kNone) {
    t->memo_ = MemoFile::create(memo, MemoFile::path_for(t->path_, memo), failure);
    if (!t->memo_) return nullptr;
  }
  t->buffer_.assign(t->header_.record_length, ' ');
  t->count_ = 0;
  t->go(1);
  return t;
}

Failure Table::close() {
  if (!file_.is_open()) return {};
  Failure result = flush();
  if (!result && options_.exclusive && header_stale_ && !options_.read_only) {
    result = write_header(false, count_);
    if (!result) result = write_end_mark(count_);
    header_stale_ = false;
  }
  file_.unlock_all();
  locked_.clear();
  file_locked_ = false;
  memo_.reset();
  file_.close();
  return result;
}

bool Table::set_lock_scheme(LockScheme scheme) {
  pending_scheme_.reset();
  if (scheme == layout_.scheme()) return true;
  const LockLayout next(scheme, header_.header_length, header_.record_length);
  auto overlaps = [](const LockRange& a, const LockRange& b) {
    return a.offset < b.offset + b.length && b.offset < a.offset + a.length;
  };
  std::vector<LockRange> old_ranges, new_ranges;
  for (uint32_t k : locked_) {
    old_ranges.push_back(layout_.record(k));
    new_ranges.push_back(next.record(k));
  }
  bool movable = !file_locked_;
  for (const LockRange& n : new_ranges) {
    for (const LockRange& o : old_ranges) movable = movable && !overlaps(n, o);
  }
  // Taken at the new places first, so that no other station can slip in between.
  for (size_t i = 0; movable && i < new_ranges.size(); ++i) {
    fs::Status st = file_.lock(new_ranges[i].offset, new_ranges[i].length,
                               filelock::LockKind::kWrite, filelock::Wait::kNo);
    if (!st) {
      for (size_t j = 0; j < i; ++j) file_.unlock(new_ranges[j].offset, new_ranges[j].length);
      movable = false;
    }
  }
  if (!movable) {
    pending_scheme_ = scheme;
    return false;
  }
  for (const LockRange& r : old_ranges) file_.unlock(r.offset, r.length);
  layout_ = next;
  return true;
}

void Table::apply_pending_scheme() {
  if (pending_scheme_ && locked_.empty() && !file_locked_) {
    layout_ = LockLayout(*pending_scheme_, header_.header_length, header_.record_length);
    pending_scheme_.reset();
  }
}

Failure Table::set_table_flags(uint8_t flags) {
  if (header_.raw[28] == flags) return {};
  if (options_.read_only) {
    return {gen::kReadOnly, sub::kReadOnly, 0, path_, "table opened read-only", {}};
  }
  fs::Status st = file_.write_at(28, &flags, 1);
  if (!st) return Failure::write_error(path_, st.dos_error());
  header_.raw[28] = flags;
  return {};
}

bool Table::cdx_driver() const {
  return scheme_for(options_.driver) == LockScheme::kCdx;
}

int Table::field_index(std::string_view name) const {
  for (size_t i = 0; i < header_.fields.size(); ++i) {
    if (same_name(header_.fields[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

Structure Table::structure() const {
  Structure s;
  for (const Field& f : header_.fields) {
    if (f.hidden()) continue;
    s.push_back({f.name, f.type, f.length, f.decimals});
  }
  return s;
}

Failure Table::recount() {
  if (options_.exclusive) return {};
  fs::Result<uint64_t> size = file_.size();
  if (!size) return Failure::read_error(path_, size.dos_error());
  uint64_t data = *size > header_.header_length ? *size - header_.header_length : 0;
  count_ = static_cast<uint32_t>(std::min<uint64_t>(data / header_.record_length, 0xFFFFFFFFu));
  return {};
}

Failure Table::count(uint32_t& n) {
  Failure f = recount();
  n = count_;
  return f;
}

void Table::blank_buffer() {
  buffer_[0] = kLiveFlag;
  for (const Field& f : header_.fields) blank_field(f, buffer_.data() + f.offset);
}

Failure Table::load(uint32_t recno) {
  const uint32_t r = header_.record_length;
  if (options_.exclusive && !file_.is_memory()) {
    if (recno < window_first_ || recno >= window_first_ + window_count_) {
      const uint32_t per = std::max<uint32_t>(1, static_cast<uint32_t>(kWindowBytes / r));
      const uint32_t first = (recno - 1) / per * per + 1;
      const uint32_t n = std::min<uint32_t>(per, count_ - first + 1);
      window_.resize(size_t{n} * r);
      fs::Result<size_t> got = file_.read_at(record_offset(first), window_.data(), window_.size());
      if (!got) {
        window_count_ = 0;
        return Failure::read_error(path_, got.dos_error());
      }
      window_first_ = first;
      window_count_ = static_cast<uint32_t>(*got / r);
      if (recno >= window_first_ + window_count_) {
        return Failure::corrupt(path_, "record " + std::to_string(recno) + " cut short");
      }
    }
    std::memcpy(buffer_.data(), window_.data() + size_t{recno - window_first_} * r, r);
    return {};
  }
  fs::Result<size_t> got = file_.read_at(record_offset(recno), buffer_.data(), r);
  if (!got) return Failure::read_error(path_, got.dos_error());
  if (*got < r) return Failure::corrupt(path_, "record " + std::to_string(recno) + " cut short");
  return {};
}

Failure Table::go(uint32_t recno) {
  if (Failure f = flush()) return f;
  if (recno > count_ || recno == 0) {
    if (Failure f = recount()) return f;
  }
  if (recno >= 1 && recno <= count_) {
    if (Failure f = load(recno)) {
      recno_ = count_ + 1;
      phantom_ = true;
      blank_buffer();
      return f;
    }
    recno_ = recno;
    phantom_ = false;
  } else {
    recno_ = count_ + 1;
    phantom_ = true;
    blank_buffer();
  }
  return {};
}

Failure Table::reread() {
  if (hot_ || phantom_) return {};
  return load(recno_);
}

Failure Table::get(int i, Value& out) {
  const Field& f = header_.fields[static_cast<size_t>(i)];
  std::string_view bytes = field_bytes(i);
  if (f.is_memo()) {
    std::optional<uint32_t> block = read_memo_block(f, bytes);
    if (!block) {
      out = Value::memo("");
      return Failure::corrupt(path_, "record " + std::to_string(recno_) + ": memo field " + f.name +
                                         " holds '" + std::string(bytes) + "', not a block number");
    }
    std::string text;
    if (*block != 0 && memo_) {
      if (Failure failure = memo_->read(*block, text)) {
        out = f.type == 'M' ? Value::memo("") : Value(std::string());
        return failure;
      }
    }
    out = f.type == 'M' ? Value::memo(std::move(text)) : Value(std::move(text));
    return {};
  }
  std::string problem;
  if (!read_field(f, bytes, out, problem)) {
    if (f.type == 'N' || f.type == 'F') out = Value::number(0, f.length, f.decimals);
    return Failure::corrupt(path_, "record " + std::to_string(recno_) + ": " + problem);
  }
  return {};
}

Failure Table::must_write() {
  if (options_.read_only) {
    return {gen::kReadOnly, sub::kReadOnly, 0, path_, "table opened read-only", {}};
  }
  if (!options_.exclusive && !file_locked_ && locked_.count(recno_) == 0) {
    return {gen::kUnlocked, sub::kUnlocked, 0, path_, "record not locked", {}};
  }
  return {};
}

Failure Table::make_hot() {
  if (hot_) return {};
  if (observer_ && !appended_) {
    if (Failure f = observer_->before_change()) return f;
  }
  hot_ = true;
  return {};
}

Failure Table::put(int i, const Value& v) {
  if (phantom_) return {};
  if (Failure f = must_write()) return f;
  const Field& f = header_.fields[static_cast<size_t>(i)];
  if (f.is_memo()) {
    if (!v.is_text()) {
      return {gen::kDataType, sub::kDataType, 0, path_, "not text for a memo field", f.name};
    }
    uint32_t block = 0;
    if (!v.text().empty()) {
      if (!memo_) return Failure::corrupt(path_, "no memo file");
      if (Failure failure = memo_->write(v.text(), block)) return failure;
    }
    if (Failure failure = make_hot()) return failure;
    write_memo_block(f, buffer_.data() + f.offset, block);
    return {};
  }
  if (Failure failure = make_hot()) return failure;
  switch (write_field(f, v, buffer_.data() + f.offset)) {
    case WriteOutcome::kOk:
      return {};
    case WriteOutcome::kOverflow:
      return {gen::kDataWidth, sub::kDataWidth, 0, path_, "value too wide for " + f.name, f.name};
    case WriteOutcome::kWrongType:
      break;
  }
  return {gen::kDataType, sub::kDataType, 0, path_, "wrong type for " + f.name, f.name};
}

Failure Table::put_raw(int i, std::string_view bytes) {
  if (phantom_) return {};
  if (Failure f = must_write()) return f;
  const Field& f = header_.fields[static_cast<size_t>(i)];
  if (Failure failure = make_hot()) return failure;
  size_t n = std::min<size_t>(bytes.size(), f.length);
  std::memcpy(buffer_.data() + f.offset, bytes.data(), n);
  return {};
}

Failure Table::set_deleted(bool deleted) {
  if (phantom_) return {};
  if (Failure f = must_write()) return f;
  if (Failure f = make_hot()) return f;
  buffer_[0] = deleted ? kDeletedFlag : kLiveFlag;
  return {};
}

Failure Table::put_record(const char* bytes) {
  if (phantom_) return {};
  if (Failure f = must_write()) return f;
  if (Failure f = make_hot()) return f;
  std::memcpy(buffer_.data(), bytes, buffer_.size());
  return {};
}

Failure Table::flush() {
  if (!hot_) return {};
  const uint32_t r = header_.record_length;
  fs::Status st = file_.write_at(record_offset(recno_), buffer_.data(), r);
  if (!st) return Failure::write_error(path_, st.dos_error());
  if (recno_ >= window_first_ && recno_ < window_first_ + window_count_) {
    std::memcpy(window_.data() + size_t{recno_ - window_first_} * r, buffer_.data(), r);
  }
  hot_ = false;
  const bool appended = appended_;
  appended_ = false;
  if (observer_) return observer_->after_write(appended);
  return {};
}

Failure Table::commit() {
  if (Failure f = flush()) return f;
  if (options_.read_only) return {};
  if (options_.exclusive && header_stale_) {
    if (Failure f = write_header(false, count_)) return f;
    if (Failure f = write_end_mark(count_)) return f;
    header_stale_ = false;
  }
  fs::Status st = file_.sync();
  if (st && memo_) st = memo_->handle().sync();
  if (!st) return Failure::write_error(path_, st.dos_error());
  return {};
}

}  // namespace codfix::dbf

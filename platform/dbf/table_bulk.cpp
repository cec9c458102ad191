// Table: whole-table work: bulk reads and appends, PACK (with the memo file's
// compaction), ZAP and the size check of verify.
#include <cstring>

#include "platform/dbf/field_codec.h"
#include "platform/dbf/table.h"
#include "platform/filelock/files.h"
#include "platform/fs/errors.h"

namespace codfix::dbf {

Failure Table::read_records(uint32_t recno, uint32_t count, std::string& out) {
  if (recno == 0) {
    out.clear();
    return {};
  }
  if (uint64_t{recno} + count - 1 > count_) {
    if (Failure f = recount()) {
      out.clear();
      return f;
    }
  }
  if (recno > count_) {
    out.clear();
    return {};
  }
  const uint32_t r = header_.record_length;
  if (Failure f = read_stored_records(recno, std::min<uint32_t>(count, count_ - recno + 1), out)) {
    return f;
  }
  // A record changed in the buffer but not yet written is read as it is now.
  if (hot_ && recno_ >= recno && recno_ < recno + out.size() / r) {
    std::memcpy(out.data() + size_t{recno_ - recno} * r, buffer_.data(), r);
  }
  return {};
}

Failure Table::read_stored_records(uint32_t recno, uint32_t count, std::string& out) const {
  const uint32_t r = header_.record_length;
  // Resizing a buffer that is already large enough leaves its bytes alone, which
  // spares clearing every block of a long scan before reading over it.
  out.resize(size_t{count} * r);
  fs::Result<size_t> got = file_.read_at(record_offset(recno), out.data(), out.size());
  if (!got) return Failure::read_error(path_, got.dos_error());
  out.resize(*got / r * r);
  return {};
}

Failure Table::append_records(const char* records, uint32_t count, uint32_t& first) {
  if (Failure f = reserve_records(count, first)) return f;
  if (Failure f = write_reserved(first, records, count)) {
    count_ = first - 1;  // the room is given back: the file is as it was
    first = 0;
    return f;
  }
  return {};
}

Failure Table::reserve_records(uint32_t count, uint32_t& first) {
  first = 0;
  if (!options_.exclusive || options_.read_only) {
    return {gen::kShared, sub::kShared, 0, path_, "bulk append needs exclusive use", {}};
  }
  if (Failure f = flush()) return f;
  if (uint64_t{count_} + count > 0xFFFFFFFFu) {
    return {gen::kWrite, sub::kWrite, 0, path_, "too many records", {}};
  }
  first = count_ + 1;
  count_ += count;
  header_stale_ = true;
  return {};
}

Failure Table::write_reserved(uint32_t recno, const char* records, uint32_t count) {
  const uint64_t bytes = uint64_t{count} * header_.record_length;
  fs::Status st = file_.write_at(record_offset(recno), records, bytes);
  if (!st) return Failure::write_error(path_, st.dos_error());
  return {};
}

Failure Table::cut_records(uint32_t count) {
  if (count >= count_) return {};
  count_ = count;
  window_count_ = 0;
  if (Failure f = write_header(false, count_)) return f;
  if (Failure f = write_end_mark(count_)) return f;
  header_stale_ = false;
  return {};
}

Failure Table::pack() {
  if (!options_.exclusive || options_.read_only) {
    return {gen::kShared, sub::kShared, 0, path_, "PACK needs exclusive use", {}};
  }
  if (Failure f = flush()) return f;
  window_count_ = 0;
  const uint32_t r = header_.record_length;

  // The kept memos go to a fresh memo file, copied over the old one at the end.
  std::unique_ptr<MemoFile> packed;
  std::string packed_name;
  if (memo_) {
    packed_name = memo_->name() + ".pk$";
    fs::Result<filelock::Handle> h = filelock::Handle::create(packed_name);
    if (!h) return Failure::write_error(packed_name, h.dos_error());
    if (Failure f = memo_->init_empty(*h)) return f;
    packed = MemoFile::wrap(memo_->kind(), std::move(*h));
  }
  auto drop_packed = [&] {
    packed.reset();
    if (!packed_name.empty()) (void)filelock::remove_file(packed_name);
  };

  constexpr uint32_t kChunk = 4096;
  std::string chunk, kept;
  uint32_t out = 0;
  std::string text;
  for (uint32_t k = 1; k <= count_; k += kChunk) {
    if (Failure f = read_records(k, kChunk, chunk)) {
      drop_packed();
      return f;
    }
    kept.clear();
    for (size_t at = 0; at + r <= chunk.size(); at += r) {
      char* rec = chunk.data() + at;
      if (rec[0] == kDeletedFlag) continue;
      if (packed) {
        for (const Field& f : header_.fields) {
          if (!f.is_memo()) continue;
          std::optional<uint32_t> block = read_memo_block(f, {rec + f.offset, f.length});
          if (!block) {
            drop_packed();
            return Failure::corrupt(path_, "memo field " + f.name + " holds no block number");
          }
          uint32_t moved = 0;
          if (*block != 0) {
            Failure failure = memo_->read(*block, text);
            if (!failure && !text.empty()) failure = packed->write(text, moved);
            if (failure) {
              drop_packed();
              return failure;
            }
          }
          write_memo_block(f, rec + f.offset, moved);
        }
      }
      kept.append(rec, r);
    }
    if (!kept.empty()) {
      fs::Status st = file_.write_at(record_offset(out + 1), kept.data(), kept.size());
      if (!st) {
        drop_packed();
        return Failure::write_error(path_, st.dos_error());
      }
      out += static_cast<uint32_t>(kept.size() / r);
    }
  }
  if (packed) {
    filelock::Handle& from = packed->handle();
    filelock::Handle& to = memo_->handle();
    fs::Result<uint64_t> size = from.size();
    if (!size) {
      drop_packed();
      return Failure::read_error(packed_name, size.dos_error());
    }
    std::string buf(256 * 1024, '\0');
    for (uint64_t at = 0; at < *size; at += buf.size()) {
      fs::Result<size_t> got = from.read_at(at, buf.data(), buf.size());
      fs::Status st = got ? to.write_at(at, buf.data(), *got) : fs::Status(got.error());
      if (!st) {
        drop_packed();
        return Failure::write_error(memo_->name(), st.dos_error());
      }
    }
    fs::Status st = to.truncate(*size);
    drop_packed();
    if (!st) return Failure::write_error(memo_->name(), st.dos_error());
  }
  count_ = out;
  if (Failure f = write_header(false, count_)) return f;
  if (Failure f = write_end_mark(count_)) return f;
  header_stale_ = false;
  return go(1);
}

Failure Table::zap() {
  if (!options_.exclusive || options_.read_only) {
    return {gen::kShared, sub::kShared, 0, path_, "ZAP needs exclusive use", {}};
  }
  hot_ = false;
  appended_ = false;
  window_count_ = 0;
  count_ = 0;
  if (Failure f = write_header(false, 0)) return f;
  if (Failure f = write_end_mark(0)) return f;
  header_stale_ = false;
  if (memo_) {
    if (Failure f = memo_->zap()) return f;
  }
  return go(1);
}

Failure Table::check_size(std::string& detail) {
  detail.clear();
  uint8_t head[kTableHeaderSize];
  fs::Result<size_t> got = file_.read_at(0, head, sizeof head);
  fs::Result<uint64_t> size = file_.size();
  if (!got) return Failure::read_error(path_, got.dos_error());
  if (!size) return Failure::read_error(path_, size.dos_error());
  const uint32_t stored = static_cast<uint32_t>(head[4]) | (static_cast<uint32_t>(head[5]) << 8) |
                          (static_cast<uint32_t>(head[6]) << 16) |
                          (static_cast<uint32_t>(head[7]) << 24);
  const uint64_t data = *size - header_.header_length;
  const uint64_t n = data / header_.record_length;
  const uint64_t rest = data % header_.record_length;
  if (stored != n) {
    detail = "header record count " + std::to_string(stored) + " but the file holds " +
             std::to_string(n) + " records";
  } else if (rest > 1) {
    detail = std::to_string(rest) + " trailing bytes after the last record";
  }
  return {};
}

}  // namespace codfix::dbf

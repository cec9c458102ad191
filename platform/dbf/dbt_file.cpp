#include "platform/dbf/dbt_file.h"

#include <algorithm>
#include <cstring>

namespace codfix::dbf {

namespace {

uint32_t le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void put32(char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

}  // namespace

std::string DbtFile::empty_header() {
  std::string h(kBlockSize, '\0');
  put32(h.data(), 1);
  put32(h.data() + 4, kBlockSize);
  return h;
}

Failure DbtFile::read(uint32_t block, std::string& out) {
  out.clear();
  fs::Result<uint64_t> size = file_.size();
  if (!size) return Failure::read_error(name_, size.dos_error());
  const uint64_t start = uint64_t{block} * kBlockSize;
  if (block == 0 || start >= *size) {
    return Failure::corrupt(name_, "memo block " + std::to_string(block) +
                                       " past the end of the memo file (" + std::to_string(*size) +
                                       " bytes)");
  }
  char buffer[4096];
  uint64_t at = start;
  while (at < *size) {
    size_t want = static_cast<size_t>(std::min<uint64_t>(sizeof buffer, *size - at));
    fs::Result<size_t> got = file_.read_at(at, buffer, want);
    if (!got) return Failure::read_error(name_, got.dos_error());
    if (*got == 0) break;
    const char* end = static_cast<const char*>(std::memchr(buffer, 0x1A, *got));
    if (end) {
      out.append(buffer, static_cast<size_t>(end - buffer));
      return {};
    }
    out.append(buffer, *got);
    at += *got;
  }
  out.clear();
  return Failure::corrupt(name_, "memo at block " + std::to_string(block) +
                                     " runs to the end of the file without its 0x1A end mark");
}

Failure DbtFile::write(std::string_view text, uint32_t& block) {
  block = 0;
  if (Failure f = lock()) return f;
  uint8_t head[4];
  fs::Result<size_t> got = file_.read_at(0, head, 4);
  if (!got || *got < 4) {
    unlock();
    return got ? Failure::corrupt(name_, "memo file shorter than its header")
               : Failure::read_error(name_, got.dos_error());
  }
  fs::Result<uint64_t> size = file_.size();
  if (!size) {
    unlock();
    return Failure::read_error(name_, size.dos_error());
  }
  // Never below what the file already holds, even when the header lags behind.
  uint64_t next = std::max<uint64_t>({le32(head), 1, (*size + kBlockSize - 1) / kBlockSize});
  const uint64_t blocks = (text.size() + 2 + kBlockSize - 1) / kBlockSize;
  if (next + blocks > 0xFFFFFFFFull) {
    unlock();
    return {gen::kWrite, sub::kWrite, 0, name_, "memo file full", {}};
  }
  std::string data(text);
  data += "\x1A\x1A";
  fs::Status st = file_.write_at(next * kBlockSize, data.data(), data.size());
  if (st) {
    char h[4];
    put32(h, static_cast<uint32_t>(next + blocks));
    st = file_.write_at(0, h, 4);
  }
  unlock();
  if (!st) return Failure::write_error(name_, st.dos_error());
  block = static_cast<uint32_t>(next);
  return {};
}

Failure DbtFile::zap() {
  std::string h = empty_header();
  fs::Status st = file_.write_at(0, h.data(), h.size());
  if (st) st = file_.truncate(h.size());
  if (!st) return Failure::write_error(name_, st.dos_error());
  return {};
}

Failure DbtFile::init_empty(filelock::Handle& out) {
  std::string h = empty_header();
  fs::Status st = out.write_at(0, h.data(), h.size());
  if (st) st = out.truncate(h.size());
  if (!st) return Failure::write_error(out.path(), st.dos_error());
  return {};
}

}  // namespace codfix::dbf

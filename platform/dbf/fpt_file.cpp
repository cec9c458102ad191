#include "platform/dbf/fpt_file.h"

#include <algorithm>
#include <cstring>

namespace codfix::dbf {

namespace {

uint32_t be32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

void put_be32(char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((v >> (8 * (3 - i))) & 0xFF);
}

}  // namespace

std::string FptFile::empty_header() {
  std::string h(kHeaderSize, '\0');
  put_be32(h.data(), kHeaderSize / kDefaultBlockSize);
  h[6] = static_cast<char>(kDefaultBlockSize >> 8);
  h[7] = static_cast<char>(kDefaultBlockSize & 0xFF);
  return h;
}

uint32_t FptFile::block_size_of(const uint8_t* header) {
  uint32_t size = be32(header + 4);
  if (size > 0x10000 && size % 0x10000 != 0) size &= 0xFFFF;
  return size;
}

Failure FptFile::header_block_size(uint32_t& size) {
  uint8_t head[8];
  fs::Result<size_t> got = file_.read_at(0, head, 8);
  if (!got) return Failure::read_error(name_, got.dos_error());
  if (*got < 8) return Failure::corrupt(name_, "memo file shorter than its header");
  size = block_size_of(head);
  if (size == 0) return Failure::corrupt(name_, "memo block size 0");
  return {};
}

Failure FptFile::read(uint32_t block, std::string& out) {
  out.clear();
  uint32_t bs = 0;
  if (Failure f = header_block_size(bs)) return f;
  fs::Result<uint64_t> size = file_.size();
  if (!size) return Failure::read_error(name_, size.dos_error());
  const uint64_t start = uint64_t{block} * bs;
  const uint64_t first_data = (kHeaderSize + bs - 1) / bs;
  if (block < first_data || start + 8 > *size) {
    return Failure::corrupt(name_, "memo block " + std::to_string(block) +
                                       " outside the memo file (" + std::to_string(*size) +
                                       " bytes)");
  }
  uint8_t head[8];
  fs::Result<size_t> got = file_.read_at(start, head, 8);
  if (!got) return Failure::read_error(name_, got.dos_error());
  const uint64_t length = be32(head + 4);
  if (start + 8 + length > *size) {
    return Failure::corrupt(name_, "memo at block " + std::to_string(block) + " claims " +
                                       std::to_string(length) + " bytes past the end of the file");
  }
  out.resize(static_cast<size_t>(length));
  got = file_.read_at(start + 8, out.data(), out.size());
  if (!got) return Failure::read_error(name_, got.dos_error());
  if (*got < out.size()) return Failure::corrupt(name_, "memo cut short");
  return {};
}

Failure FptFile::write(std::string_view text, uint32_t& block) {
  block = 0;
  if (Failure f = lock()) return f;
  uint8_t head[8];
  fs::Result<size_t> got = file_.read_at(0, head, 8);
  fs::Result<uint64_t> size = file_.size();
  if (!got || *got < 8 || !size || block_size_of(head) == 0) {
    unlock();
    if (!got) return Failure::read_error(name_, got.dos_error());
    if (!size) return Failure::read_error(name_, size.dos_error());
    return Failure::corrupt(name_, "memo file header damaged");
  }
  const uint64_t bs = block_size_of(head);
  uint64_t next =
      std::max<uint64_t>({be32(head), (kHeaderSize + bs - 1) / bs, (*size + bs - 1) / bs});
  const uint64_t blocks = (8 + text.size() + bs - 1) / bs;
  if (next + blocks > 0xFFFFFFFFull) {
    unlock();
    return {gen::kWrite, sub::kWrite, 0, name_, "memo file full", {}};
  }
  std::string data(blocks * bs, '\0');
  put_be32(data.data(), 1);
  put_be32(data.data() + 4, static_cast<uint32_t>(text.size()));
  std::memcpy(data.data() + 8, text.data(), text.size());
  fs::Status st = file_.write_at(next * bs, data.data(), data.size());
  if (st) {
    char h[4];
    put_be32(h, static_cast<uint32_t>(next + blocks));
    st = file_.write_at(0, h, 4);
  }
  unlock();
  if (!st) return Failure::write_error(name_, st.dos_error());
  block = static_cast<uint32_t>(next);
  return {};
}

Failure FptFile::zap() {
  uint32_t bs = 0;
  if (Failure f = header_block_size(bs)) return f;
  std::string h(kHeaderSize, '\0');
  fs::Result<size_t> got = file_.read_at(0, h.data(), h.size());
  if (!got) return Failure::read_error(name_, got.dos_error());
  // Keep the block size and whatever other tools keep in the header; reset the
  // next free block.
  put_be32(h.data(), static_cast<uint32_t>((kHeaderSize + bs - 1) / bs));
  fs::Status st = file_.write_at(0, h.data(), h.size());
  if (st) st = file_.truncate(kHeaderSize);
  if (!st) return Failure::write_error(name_, st.dos_error());
  return {};
}

Failure FptFile::init_empty(filelock::Handle& out) {
  uint32_t bs = 0;
  if (Failure f = header_block_size(bs)) return f;
  std::string h(kHeaderSize, '\0');
  put_be32(h.data(), static_cast<uint32_t>((kHeaderSize + bs - 1) / bs));
  h[6] = static_cast<char>((bs >> 8) & 0xFF);
  h[7] = static_cast<char>(bs & 0xFF);
  fs::Status st = out.write_at(0, h.data(), h.size());
  if (st) st = out.truncate(h.size());
  if (!st) return Failure::write_error(out.path(), st.dos_error());
  return {};
}

}  // namespace codfix::dbf

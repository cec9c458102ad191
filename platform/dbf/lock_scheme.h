// Where the byte-range locks of a table go: the record, whole-file and header
// (append) locks of each driver's lock scheme. The offsets lie past the data of
// any table smaller than 1 GB, so they never stop anyone from reading records.
//
//   A (NTX driver)          record k at 1,000,000,000 + k; file lock 1,000,000,001
//                           for 1,000,000,000 bytes; header lock 1,000,000,000
//   extended NTX            as A with base 4,000,000,000 (file lock 294,967,295)
//   F (CDX), no structural  record k at 0x40000000 + its file offset; file lock
//   index in use            0x40000001 for 0x3FFFFFFD; header 0x40000000
//   F with the structural   record k at 0x7FFFFFFE - k; file lock 0x77FFFFFF for
//   index in use            0x07FFFFFF; header 0x7FFFFFFE
#pragma once

#include <cstdint>

namespace codfix::dbf {

enum class LockScheme : uint8_t { kNtx, kNtxExtended, kCdx, kCdxStructural };

struct LockRange {
  uint64_t offset;
  uint64_t length;
};

class LockLayout {
 public:
  LockLayout(LockScheme scheme, uint32_t header_length, uint32_t record_length)
      : scheme_(scheme), header_length_(header_length), record_length_(record_length) {}

  LockScheme scheme() const { return scheme_; }

  LockRange record(uint32_t recno) const {
    switch (scheme_) {
      case LockScheme::kNtx:
        return {1'000'000'000ull + recno, 1};
      case LockScheme::kNtxExtended:
        return {4'000'000'000ull + recno, 1};
      case LockScheme::kCdx:
        return {0x40000000ull + header_length_ + uint64_t{recno - 1} * record_length_, 1};
      case LockScheme::kCdxStructural:
        return {0x7FFFFFFEull - recno, 1};
    }
    return {0, 0};
  }
  LockRange file() const {
    switch (scheme_) {
      case LockScheme::kNtx:
        return {1'000'000'001ull, 1'000'000'000ull};
      case LockScheme::kNtxExtended:
        return {4'000'000'001ull, 294'967'295ull};
      case LockScheme::kCdx:
        return {0x40000001ull, 0x3FFFFFFDull};
      case LockScheme::kCdxStructural:
        return {0x77FFFFFFull, 0x07FFFFFFull};
    }
    return {0, 0};
  }
  LockRange header() const {
    switch (scheme_) {
      case LockScheme::kNtx:
        return {1'000'000'000ull, 1};
      case LockScheme::kNtxExtended:
        return {4'000'000'000ull, 1};
      case LockScheme::kCdx:
        return {0x40000000ull, 1};
      case LockScheme::kCdxStructural:
        return {0x7FFFFFFEull, 1};
    }
    return {0, 0};
  }

 private:
  LockScheme scheme_;
  uint32_t header_length_;
  uint32_t record_length_;
};

}  // namespace codfix::dbf

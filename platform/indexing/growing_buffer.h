// GrowingBuffer: a block of memory for a bulk build that grows without copying
// what it holds where the system allows it: large blocks are mapped straight from
// the system and grow by being remapped. Elsewhere it is malloc and realloc.
//
// The bytes are uninitialised until written. Not copyable; moving hands the block
// over.
#pragma once

#include <cstddef>
#include <cstdint>

namespace codfix::indexing {

class GrowingBuffer {
 public:
  GrowingBuffer() = default;
  ~GrowingBuffer();
  GrowingBuffer(GrowingBuffer&& other) noexcept;
  GrowingBuffer& operator=(GrowingBuffer&& other) noexcept;
  GrowingBuffer(const GrowingBuffer&) = delete;
  GrowingBuffer& operator=(const GrowingBuffer&) = delete;

  uint8_t* data() const { return data_; }
  size_t capacity() const { return capacity_; }
  // Makes room for at least `bytes`, keeping the bytes held; throws
  // std::bad_alloc when the memory cannot be had.
  void reserve(size_t bytes);
  // Gives the memory back.
  void reset();

 private:
  uint8_t* data_ = nullptr;
  size_t capacity_ = 0;
  bool mapped_ = false;
};

}  // namespace codfix::indexing

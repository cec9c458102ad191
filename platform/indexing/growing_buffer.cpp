#include "platform/indexing/growing_buffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace codfix::indexing {
namespace {

#if defined(__linux__)
constexpr size_t kMapFrom = size_t{64} << 10;
constexpr size_t kMapUnit = size_t{64} << 10;
constexpr size_t kEightfoldBelow = size_t{16} << 20;

size_t round_up(size_t bytes) {
  return (bytes + kMapUnit - 1) / kMapUnit * kMapUnit;
}

uint8_t* map_fresh(size_t bytes) {
  void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return nullptr;
  return static_cast<uint8_t*>(p);
}
#endif

}  // namespace

GrowingBuffer::~GrowingBuffer() {
  reset();
}

GrowingBuffer::GrowingBuffer(GrowingBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      capacity_(std::exchange(other.capacity_, 0)),
      mapped_(std::exchange(other.mapped_, false)) {}

GrowingBuffer& GrowingBuffer::operator=(GrowingBuffer&& other) noexcept {
  if (this != &other) {
    reset();
    data_ = std::exchange(other.data_, nullptr);
    capacity_ = std::exchange(other.capacity_, 0);
    mapped_ = std::exchange(other.mapped_, false);
  }
  return *this;
}

void GrowingBuffer::reserve(size_t bytes) {
  if (bytes <= capacity_) return;
#if defined(__linux__)
  if (bytes >= kMapFrom) {
    // Mapped blocks below 16 MB grow at least eightfold: pages never written
    // are never backed, so the extra costs only address space, and each remap,
    // which stops the other threads of the process for a moment, is rarer.
    // Larger blocks double, so as not to ask for more than the machine has.
    const size_t grown = capacity_ < kEightfoldBelow ? capacity_ * 8 : capacity_ * 2;
    const size_t size = round_up(mapped_ ? std::max(bytes, grown) : bytes);
    uint8_t* p = nullptr;
    if (mapped_) {
      void* moved = ::mremap(data_, capacity_, size, MREMAP_MAYMOVE);
      if (moved != MAP_FAILED) {
        p = static_cast<uint8_t*>(moved);
      }
    } else if ((p = map_fresh(size)) != nullptr && capacity_ > 0) {
      std::memcpy(p, data_, capacity_);
    }
    if (p == nullptr) throw std::bad_alloc();
    if (!mapped_) std::free(data_);
    data_ = p;
    capacity_ = size;
    mapped_ = true;
    return;
  }
#endif
  void* p = std::realloc(data_, bytes);
  if (p == nullptr) throw std::bad_alloc();
  data_ = static_cast<uint8_t*>(p);
  capacity_ = bytes;
}

void GrowingBuffer::reset() {
#if defined(__linux__)
  if (mapped_) {
    (void)::munmap(data_, capacity_);
  } else {
    std::free(data_);
  }
#else
  std::free(data_);
#endif
  data_ = nullptr;
  capacity_ = 0;
  mapped_ = false;
}

}  // namespace codfix::indexing

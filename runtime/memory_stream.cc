#include "runtime/memory_stream.h"

#include <cstdlib>
#include <cstring>
#include <limits>

#include "runtime/exceptions.h"

namespace quorvex {
namespace {

constexpr int64_t kMaxSize = std::numeric_limits<int32_t>::max();

// Signed 32-bit addition that wraps around instead of overflowing.
int32_t WrappingAdd(int32_t a, int32_t b) {
  return int32_t(uint32_t(a) + uint32_t(b));
}

}  // namespace

int32_t TCustomMemoryStream::ReadSome(void* buffer, int32_t count) {
  if (position_ < 0 || count < 0) return 0;
  int64_t available = int64_t(size_) - position_;
  if (available <= 0) return 0;
  int32_t n = int32_t(count < available ? count : available);
  std::memcpy(buffer, block_ + position_, size_t(n));
  position_ += n;
  return n;
}

int32_t TCustomMemoryStream::MoveTo(int32_t offset, int32_t origin) {
  switch (origin) {
    case FromStart:
      position_ = offset;
      break;
    case FromCurrent:
      position_ = WrappingAdd(position_, offset);
      break;
    case FromEnd:
      position_ = WrappingAdd(size_, offset);
      break;
    default:
      break;
  }
  return position_;
}

TMemoryStream::~TMemoryStream() {
  Clear();
}

int32_t TMemoryStream::WriteSome(const void* buffer, int32_t count) {
  if (position_ < 0 || count <= 0) return 0;
  int64_t end = int64_t(position_) + count;
  if (end > kMaxSize) return 0;
  if (end > size_) {
    if (end > capacity_) Resize(int32_t(end));
    if (position_ > size_) std::memset(block_ + size_, 0, size_t(position_ - size_));
    size_ = int32_t(end);
  }
  std::memcpy(block_ + position_, buffer, size_t(count));
  position_ = int32_t(end);
  return count;
}

void TMemoryStream::Resize(int32_t capacity) {
  int64_t rounded = capacity > 0 ? (int64_t(capacity) + GrowthStep - 1) & ~int64_t(GrowthStep - 1)
                                 : int64_t(capacity);
  if (rounded == capacity_) return;
  if (rounded < 0 || rounded > kMaxSize) Raise<EStreamError>(kMsgMemoryStreamError);
  if (rounded == 0) {
    std::free(block_);
    block_ = nullptr;
    capacity_ = 0;
    reserved_ = 0;
    size_ = 0;
    return;
  }
  if (rounded > reserved_ || rounded < capacity_) Reserve(rounded);
  capacity_ = int32_t(rounded);
  if (size_ > capacity_) size_ = capacity_;
}

// A block that grows takes half as much again as it holds, when that can be had, so that a
// stream written in small pieces is moved only a few times however large it becomes; one that
// shrinks takes just what is asked.
void TMemoryStream::Reserve(int64_t capacity) {
  int64_t generous = capacity > reserved_ ? reserved_ + reserved_ / 2 : capacity;
  if (generous > capacity && generous <= kMaxSize) {
    if (void* grown = std::realloc(block_, size_t(generous))) {
      block_ = static_cast<unsigned char*>(grown);
      reserved_ = generous;
      return;
    }
  }
  void* grown = std::realloc(block_, size_t(capacity));
  if (grown == nullptr) Raise<EStreamError>(kMsgMemoryStreamError);
  block_ = static_cast<unsigned char*>(grown);
  reserved_ = capacity;
}

void TMemoryStream::Clear() {
  Resize(0);
  size_ = 0;
  position_ = 0;
}

}  // namespace quorvex

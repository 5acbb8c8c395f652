#ifndef QUORVEX_RUNTIME_MEMORY_STREAM_H_
#define QUORVEX_RUNTIME_MEMORY_STREAM_H_

#include <cstdint>

#include "runtime/streams.h"

namespace quorvex {

// A stream over a block of memory. Reading and moving work on the block; writing is left to
// the derived class. The position may lie anywhere, also beyond the size or below zero.
class TCustomMemoryStream : public TStream {
 public:
  int32_t ReadSome(void* buffer, int32_t count) override;
  int32_t MoveTo(int32_t offset, int32_t origin) override;

  // The block and the number of bytes of content in it, for copying the content out whole.
  const unsigned char* Memory() const { return block_; }
  int32_t Size() const { return size_; }

 protected:
  unsigned char* block_ = nullptr;
  int32_t size_ = 0;
  int32_t position_ = 0;
};

// A memory stream that owns its block and grows it in steps of GrowthStep bytes as it is
// written.
class TMemoryStream : public TCustomMemoryStream {
 public:
  static constexpr int32_t GrowthStep = 8192;

  TMemoryStream() = default;
  ~TMemoryStream() override;

  int32_t WriteSome(const void* buffer, int32_t count) override;
  // Changes the capacity to capacity rounded up to a multiple of GrowthStep, keeping the
  // content that fits (a smaller capacity cuts the size to it); 0 frees the block. Raises
  // EStreamError when the memory cannot be had, leaving the stream as it was.
  virtual void Resize(int32_t capacity);
  // Frees the block; size, position and capacity become 0.
  void Clear();

  int32_t Capacity() const { return capacity_; }

 private:
  // Makes the block hold at least capacity bytes, keeping the content that fits; raises
  // EStreamError when the memory cannot be had, leaving the block as it was.
  void Reserve(int64_t capacity);

  int32_t capacity_ = 0;
  int64_t reserved_ = 0;  // the bytes the block holds, capacity_ or more
};

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_MEMORY_STREAM_H_

#ifndef QUORVEX_RUNTIME_BYTE_BLOCK_H_
#define QUORVEX_RUNTIME_BYTE_BLOCK_H_

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quorvex {

// Sixty-four bytes looked at together, as bit masks: bit i of a mask stands for byte i. The
// scans of the text passes test a whole block of bytes with a few operations on its masks.
// With SSE2 the bytes are compared sixteen at a time; elsewhere one at a time.
class ByteBlock {
 public:
  static constexpr size_t kSize = 64;

  // The kSize bytes from at, which must all be readable.
  explicit ByteBlock(const char* at) {
#if defined(__SSE2__)
    parts_[0] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    parts_[1] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 16));
    parts_[2] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 32));
    parts_[3] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 48));
#else
    std::memcpy(bytes_, at, kSize);
#endif
  }

  // The bytes equal to c.
  uint64_t Equal(char c) const {
    return EqualAny(c);
  }

  // The bytes equal to any of cs, found together.
  template <typename... Chars>
  uint64_t EqualAny(Chars... cs) const {
#if defined(__SSE2__)
    return PartEqualAny(parts_[0], cs...) | PartEqualAny(parts_[1], cs...) << 16 |
           PartEqualAny(parts_[2], cs...) << 32 | PartEqualAny(parts_[3], cs...) << 48;
#else
    uint64_t mask = 0;
    for (size_t i = 0; i < kSize; ++i) mask |= uint64_t(((bytes_[i] == cs) || ...)) << i;
    return mask;
#endif
  }

 private:
#if defined(__SSE2__)
  template <typename... Chars>
  static uint64_t PartEqualAny(__m128i part, char c, Chars... cs) {
    __m128i found = _mm_cmpeq_epi8(part, _mm_set1_epi8(c));
    ((found = _mm_or_si128(found, _mm_cmpeq_epi8(part, _mm_set1_epi8(cs)))), ...);
    return uint32_t(_mm_movemask_epi8(found));
  }

  __m128i parts_[4];
#else
  char bytes_[kSize];
#endif
};

// The offset of the lowest bit set in bits, which is not 0.
inline int LowestBit(uint64_t bits) {
  return __builtin_ctzll(bits);
}

// The offset of the highest bit set in bits, which is not 0.
inline int HighestBit(uint64_t bits) {
  return 63 - __builtin_clzll(bits);
}

// The bits below offset count (all of them from 64 on).
inline uint64_t BitsBelow(size_t count) {
  return count >= 64 ? ~uint64_t{0} : (uint64_t{1} << count) - 1;
}

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_BYTE_BLOCK_H_

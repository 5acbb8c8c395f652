#ifndef QUORVEX_RUNTIME_LINE_END_SCAN_H_
#define QUORVEX_RUNTIME_LINE_END_SCAN_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quorvex {

// Eight bytes as a number, the first byte lowest; spelt out so that compilers make it one load.
inline uint64_t LoadWordLowFirst(const char* at) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(at);
  return uint64_t(bytes[0]) | uint64_t(bytes[1]) << 8 | uint64_t(bytes[2]) << 16 |
         uint64_t(bytes[3]) << 24 | uint64_t(bytes[4]) << 32 | uint64_t(bytes[5]) << 40 |
         uint64_t(bytes[6]) << 48 | uint64_t(bytes[7]) << 56;
}

// The first byte in [begin, end) that ends a line as text channels read it (CR, LF, or the
// end mark Ctrl-Z, passed in as end_mark), or end when there is none.
//
// Lines are mostly printable text, so the scan tests eight bytes at a time for bytes below
// 0x1B (the highest of the three). In a word that has one, the first such byte is found
// directly; a tab or another control byte there lets the scan go on after it.
inline const char* FindLineEnd(const char* begin, const char* end, char end_mark) {
  constexpr uint64_t kOnes = 0x0101010101010101u;
  constexpr uint64_t kHighBits = 0x8080808080808080u;
  constexpr uint64_t kBelow = 0x1B;
  // Multiplied by the lowest set bit of a byte mask, shifted to the low bit of byte k, gives
  // k in its top byte.
  constexpr uint64_t kByteIndexes = 0x0001020304050607u;
  const char* at = begin;
  while (end - at >= 8) {
    const uint64_t word = LoadWordLowFirst(at);
    // The high bit of the first byte below kBelow is set, and none before it; bytes after it
    // may be marked too.
    const uint64_t below = (word - kOnes * kBelow) & ~word & kHighBits;
    if (below == 0) {
      at += 8;
      continue;
    }
    at += ((below & (~below + 1)) >> 7) * kByteIndexes >> 56;
    if (*at == '\r' || *at == '\n' || *at == end_mark) return at;
    ++at;
  }
  while (at < end && *at != '\r' && *at != '\n' && *at != end_mark) ++at;
  return at;
}

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_LINE_END_SCAN_H_

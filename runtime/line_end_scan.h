#ifndef QUORVEX_RUNTIME_LINE_END_SCAN_H_
#define QUORVEX_RUNTIME_LINE_END_SCAN_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The first byte in [from, end), where from is the start of a line, that is one of
// - marker, or the first of the two bytes pair_first, pair_second,
// - end_mark, or a CR or LF that is not part of a CR LF pair (a CR that ends the bytes counts
//   as one, since its LF is not among them),
// or end when there is none: the lines before it all end with CR LF. pair_first and marker
// are none of CR, LF and end_mark. With SSE2, sixteen bytes are looked at a time.
inline const char* FindMarkerOrOtherLineEnd(const char* from, const char* end, char end_mark,
                                            char marker, char pair_first, char pair_second) {
  const char* at = from;
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i mark = _mm_set1_epi8(end_mark);
  const __m128i wanted = _mm_set1_epi8(marker);
  const __m128i first = _mm_set1_epi8(pair_first);
  const __m128i second = _mm_set1_epi8(pair_second);
  uint32_t cr_before = 0;  // 1 when the byte before the sixteen is a CR
  for (; end - at > 16; at += 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 1));
    const uint32_t crs = uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, cr)));
    const uint32_t lfs = uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, lf)));
    const __m128i found =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(chunk, mark), _mm_cmpeq_epi8(chunk, wanted)),
                     _mm_and_si128(_mm_cmpeq_epi8(chunk, first), _mm_cmpeq_epi8(next, second)));
    const uint32_t lone_crs = crs & ~uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(next, lf)));
    const uint32_t lone_lfs = lfs & ~((crs << 1) | cr_before);
    if (const uint32_t stops = uint32_t(_mm_movemask_epi8(found)) | lone_crs | lone_lfs) {
      return at + __builtin_ctz(stops);
    }
    cr_before = crs >> 15;
  }
  if (cr_before != 0) ++at;  // the LF of the CR that ended the last sixteen
#endif
  for (; at < end; ++at) {
    const char c = *at;
    if (c == marker || c == end_mark || c == '\n') return at;
    if (c == pair_first && end - at > 1 && at[1] == pair_second) return at;
    if (c == '\r' && (end - at < 2 || at[1] != '\n')) return at;
    if (c == '\r') ++at;
  }
  return end;
}

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_LINE_END_SCAN_H_
